#!/usr/bin/env python3
"""A small fleet run by a script: eight prefixes stand for eight machines (two Windows XP with the
NTVDM stand-in, two Windows 7, and Windows 2000, Vista, 8 and 10), each with its own computer
name and a drive Z: that points to one shared folder, as a network drive would. All start at
the same moment with -tise and a log on Z:, then all check themselves with -kontrola, then the
start-up script runs again and leaves the repaired fleet as it is. A spreadsheet that holds the
log keeps one machine's record waiting on that machine until its next run. A ninth, unrepaired
XP machine fails with NTVDM.EXE in use and says why, is checked, and refuses a mistyped switch.
Each prefix has its own wineserver, so only the log's byte-range lock keeps the machines'
records apart, as on a network share. Everything stays in the scenarios' own folders; every
wait is bounded."""

import csv
import io
import os
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
FONT = r"C:\windows\Fonts\mrk_lccs.ttf"
HEADER = ["cas", "pocitac", "uzivatel", "windows", "oprava", "vysledek", "zprava", "zaloha",
          "pricina", "verze"]
LOG = r"-protokol:Z:\protokoly\sanivo.csv"
VERSION = os.environ["SANIVO_FILE_VERSION"]

# Computer name, Wine's version name, what the log says of Windows (up to major.minor), the
# repair's name.
FLEET = (("PC-XP-01", "winxp", "Windows XP 5.1", "afinita"),
         ("PC-XP-02", "winxp", "Windows XP 5.1", "afinita"),
         ("PC-W7-01", "win7", "Windows 7 6.1", "font"),
         ("PC-W7-02", "win7", "Windows 7 6.1", "font"),
         ("PC-W2K", "win2k", "Windows 2000 5.0", "zadna"),
         ("PC-VISTA", "vista", "Windows Vista 6.0", "zadna"),
         ("PC-W8", "win8", "Windows 6.2", "zadna"),
         # A program whose manifest names no later Windows is told 6.2, by Windows 10 as by Wine.
         ("PC-W10", "win10", "Windows 6.2", "zadna"))
NOT_NEEDED = ("neni-potreba", "Oprava není potřeba")
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

    def records(self, name: str = "sanivo.csv") -> list:
        content = (self.shared / "protokoly" / name).read_bytes()
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
            self.assertEqual(len(record), 10, record)
            self.assertRegex(record[0], r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")
            self.assertTrue(record[3].startswith(windows + "."), record)
            self.assertEqual((record[4], record[5], record[6]), (repair, *results[repair]), record)
            self.assertEqual(record[7:], ["", "", VERSION], record)

    def system_files(self) -> dict:
        """The bytes and modification time of each file a repair writes, machine by machine."""
        files = {}
        for name, version, *_ in FLEET:
            scenario, _ = self.machines[name]
            paths = {"winxp": (LIVE, *CACHED), "win7": (FONT,)}.get(version, ())
            for path in paths:
                host = scenario.host_path(path)
                files[name, path] = (host.read_bytes(), host.stat().st_mtime_ns)
        return files

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
        unchanged = {"afinita": NOT_NEEDED, "font": NOT_NEEDED, "zadna": REPAIRED["zadna"]}
        self.assertOneRecordPerMachine(checked, unchanged)

        # The start-up script runs at every start: a repaired machine is left as it is, and
        # gets no backup.
        before = self.system_files()
        codes = self.run_fleet("-tise", "-zaloha:C:\\zal\\", LOG)
        self.assertEqual(codes, {name: 0 for name, *_ in FLEET})
        self.assertEqual(self.system_files(), before)
        for name, *_ in FLEET:
            self.assertFalse(self.machines[name][0].host_path(r"C:\zal").exists(), name)
        again = self.records()[2 * len(FLEET):]
        self.assertEqual(len(again), len(FLEET))
        self.assertOneRecordPerMachine(again, unchanged)

    def test_held_log_keeps_the_record_on_the_machine_until_its_next_run(self):
        # Runs after the fleet's rounds, alphabetically, and adds to the same log.
        scenario, exe = self.machines["PC-W2K"]
        holder = self.hold(scenario, r"Z:\protokoly\sanivo.csv")
        result = scenario.run_console(exe, ["-tise", LOG], timeout=120)
        holder.kill()
        holder.wait()
        self.assertEqual(result.exit_code, 0, str(result.screen))
        kept = "Protokol nelze zapsat, záznam čeká na tomto počítači:"
        self.assertEqual(result.screen.text(10, 16, len(kept)), kept)
        waiting = list(scenario.drive_c.rglob("MOREK Sanivo/protokol.csv"))
        self.assertEqual(len(waiting), 1)
        logged = len(self.records())

        result = scenario.run_console(exe, ["-tise", LOG], timeout=120)
        self.assertEqual(result.exit_code, 0, str(result.screen))
        records = self.records()[logged:]
        self.assertEqual([record[1] for record in records], ["PC-W2K", "PC-W2K"],
                         f"{records}\n{result.screen}")
        self.assertLess(records[0][0], records[1][0], "the waiting record comes first")
        self.assertFalse(waiting[0].exists())

    def test_unrepaired_machine_reports_needed_and_keeps_its_files(self):
        scenario, exe = self.machines["PC-XP-NEOPRAVENE"]
        before = {path: scenario.host_path(path).read_bytes() for path in (LIVE, *CACHED)}
        # A DOS program holds NTVDM.EXE: the record names the call that failed and its code.
        holder = self.hold(scenario, LIVE)
        result = scenario.run_console(exe, ["-tise", r"-protokol:Z:\protokoly\jiny.csv"],
                                      timeout=120)
        holder.kill()
        holder.wait()
        self.assertEqual(result.exit_code, 2, str(result.screen))
        self.assertStatus(result.screen, "Nejdříve vypněte všechny DOS aplikace", "red")
        record = self.records("jiny.csv")[-1]
        self.assertEqual(record[5], "chyba", record)
        self.assertRegex(record[8], r"^CreateFileA: 32 \S", record)

        # A check makes no backup.
        result = scenario.run_console(exe, ["-kontrola", "-tise", "-zaloha:C:\\zal\\"],
                                      timeout=120)
        self.assertEqual(result.exit_code, 4, str(result.screen))
        self.assertPainted(result.screen)
        self.assertStatus(result.screen, "Oprava je potřeba", "yellow")
        # The Windows habit /zaloha: is named, and a script's run with it changes nothing.
        result = scenario.run_console(exe, ["-tise", "-zaloha:C:\\zal\\",
                                            "/zaloha:C:\\zal2\\"], timeout=120)
        self.assertEqual(result.exit_code, 2, str(result.screen))
        self.assertStatus(result.screen, "Neplatné parametry", "red")
        unknown = "Neznámý parametr: /zaloha:C:\\zal2\\"
        self.assertEqual(result.screen.text(10, 18, len(unknown)), unknown)
        self.assertColours(result.screen, 10, 18, "yellow", None)
        for path, content in before.items():
            self.assertEqual(scenario.host_path(path).read_bytes(), content, path)
        self.assertFalse(scenario.host_path(r"C:\zal").exists())


if __name__ == "__main__":
    unittest.main()
