#!/usr/bin/env python3
"""A small fleet run by a script: eight prefixes stand for eight machines (two Windows XP with the
NTVDM stand-in, two Windows 7, and Windows 2000, Vista, 8 and 10), each with its own computer
name and a drive Z: that points to one shared folder, as a network drive would. All start at
the same moment with -tise and a log on Z:, then all check themselves with -kontrola; a ninth,
unrepaired XP machine is only checked. Each prefix has its own wineserver, so only the log's
byte-range lock keeps the machines' records apart, as on a network share. Everything stays in
the scenarios' own folders; every wait is bounded."""

import csv
import io
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

import pe_facts
import winerun
from sanivo_e2e import PageChecks, RELEASE, install_release
from test_console_font import seed_windows7

LIVE = r"C:\windows\system32\NTVDM.EXE"
CACHED = (r"C:\windows\system32\dllcache\NTVDM.EXE",
          r"C:\windows\ServicePackFiles\i386\NTVDM.EXE")
HEADER = ["cas", "pocitac", "uzivatel", "windows", "oprava", "vysledek", "zprava", "zaloha"]
LOG = r"-protokol:Z:\protokoly\sanivo.csv"

# Computer name, Wine's version name, what Windows reports (major.minor), the repair's name.
FLEET = (("PC-XP-01", "winxp", "5.1", "afinita"),
         ("PC-XP-02", "winxp", "5.1", "afinita"),
         ("PC-W7-01", "win7", "6.1", "font"),
         ("PC-W7-02", "win7", "6.1", "font"),
         ("PC-W2K", "win2k", "5.0", "zadna"),
         ("PC-VISTA", "vista", "6.0", "zadna"),
         ("PC-W8", "win8", "6.2", "zadna"),
         # A program whose manifest names no later Windows is told 6.2, by Windows 10 as by Wine.
         ("PC-W10", "win10", "6.2", "zadna"))
REPAIRED = {"afinita": ("opraveno", "Úspěšně dokončeno"),
            "font": ("opraveno", "Úspěšně dokončeno"),
            "zadna": ("neni-potreba", "tento systém nepotřebuje nijak opravit")}


class Fleet(PageChecks):
    @classmethod
    def setUpClass(cls):
        cls.shared = Path(tempfile.mkdtemp(prefix="fleet-",
                                           dir=winerun.pristine_from_environment().parent))
        cls.ntvdm = winerun.program("ntvdm_fixture").read_bytes()
        cls.machines = {}
        try:
            for name, version, _, _ in FLEET + (("PC-XP-NEOPRAVENE", "winxp", "5.1", "afinita"),):
                cls.machines[name] = cls.prepare(name, version)
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        for scenario, _ in cls.machines.values():
            scenario.close()
        subprocess.run(["rm", "-rf", str(cls.shared)])

    @classmethod
    def prepare(cls, name: str, version: str):
        scenario = winerun.Scenario(version=version, computer_name=name)
        scenario.__enter__()
        scenario.map_drive("z", cls.shared)
        # Wine empties dllcache when a session starts: the session first, the copies after.
        scenario.start_session(seconds=900)
        if version == "winxp":
            for path in (LIVE, *CACHED):
                host = scenario.host_path(path)
                host.parent.mkdir(parents=True, exist_ok=True)
                host.write_bytes(cls.ntvdm)
        if version == "win7":
            seed_windows7(scenario)
        return scenario, install_release(scenario, "IMAGECFG.EXE", "mrk_lccs.ttf")

    def run_fleet(self, *arguments: str) -> dict:
        """Starts sanivo.exe on every machine of the fleet at once; their exit codes."""
        running = {}
        for name, *_ in FLEET:
            scenario, exe = self.machines[name]
            running[name] = subprocess.Popen(
                scenario.command("wine", exe, *arguments), env=scenario.environment(),
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 400
        codes = {}
        try:
            for name, process in running.items():
                codes[name] = process.wait(timeout=max(1, deadline - time.monotonic()))
        finally:
            for process in running.values():
                process.kill()
                process.wait()
        return codes

    def records(self) -> list:
        content = (self.shared / "protokoly" / "sanivo.csv").read_bytes()
        self.assertTrue(content.startswith(b"\xef\xbb\xbf"), content[:20])
        text = content[3:].decode("utf-8")
        self.assertTrue(text.endswith("\r\n"))
        rows = list(csv.reader(io.StringIO(text, newline=""), delimiter=";"))
        self.assertEqual(rows[0], HEADER)
        return rows[1:]

    def assertOneRecordPerMachine(self, records: list, results: dict) -> None:
        self.assertEqual(sorted(record[1] for record in records), sorted(n for n, *_ in FLEET))
        for name, _, windows, repair in FLEET:
            record = next(record for record in records if record[1] == name)
            self.assertEqual(len(record), 8, record)
            self.assertRegex(record[0], r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")
            self.assertTrue(record[3].startswith(windows + "."), record)
            self.assertEqual((record[4], record[5], record[6]), (repair, *results[repair]), record)
            self.assertEqual(record[7], "", record)

    def test_fleet_repairs_once_then_checks_itself(self):
        codes = self.run_fleet("-tise", LOG)
        self.assertEqual(codes, {name: 0 for name, *_ in FLEET})
        records = self.records()
        self.assertEqual(len(records), len(FLEET))
        self.assertOneRecordPerMachine(records, REPAIRED)
        for name in ("PC-XP-01", "PC-XP-02"):
            scenario, _ = self.machines[name]
            for path in (LIVE, *CACHED):
                self.assertEqual(pe_facts.affinity_mask(scenario.host_path(path).read_bytes()),
                                 1, f"{name} {path}")

        codes = self.run_fleet("-kontrola", "-tise", LOG)
        self.assertEqual(codes, {name: 0 for name, *_ in FLEET})
        checked = self.records()[len(FLEET):]
        self.assertEqual(len(checked), len(FLEET))
        not_needed = ("neni-potreba", "Oprava není potřeba")
        self.assertOneRecordPerMachine(checked, {"afinita": not_needed, "font": not_needed,
                                                 "zadna": REPAIRED["zadna"]})

    def test_unrepaired_machine_reports_needed_and_keeps_its_files(self):
        scenario, exe = self.machines["PC-XP-NEOPRAVENE"]
        before = {path: scenario.host_path(path).read_bytes() for path in (LIVE, *CACHED)}
        # A check makes no backup, and the Windows habit /zaloha: is named, not ignored.
        result = scenario.run_console(exe, ["-kontrola", "-tise", "-zaloha:C:\\zal\\",
                                            "/zaloha:C:\\zal2\\"], timeout=120)
        self.assertEqual(result.exit_code, 4, str(result.screen))
        self.assertPainted(result.screen)
        self.assertStatus(result.screen, "Oprava je potřeba", "yellow")
        unknown = "Neznámý parametr: /zaloha:C:\\zal2\\"
        self.assertEqual(result.screen.text(10, 18, len(unknown)), unknown)
        self.assertColours(result.screen, 10, 18, "yellow", None)
        for path, content in before.items():
            self.assertEqual(scenario.host_path(path).read_bytes(), content, path)
        self.assertFalse(scenario.host_path(r"C:\zal").exists())


if __name__ == "__main__":
    unittest.main()
