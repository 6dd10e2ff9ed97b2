#!/usr/bin/env python3
"""The affinity repair on Windows XP: the real sanivo.exe and our IMAGECFG.EXE patch a stand-in
NTVDM.EXE that has a load-configuration directory, and its two cached copies."""

import datetime
import os
import subprocess
import time
import unittest

import pe_facts
import winerun
from sanivo_e2e import PageChecks, SUCCESS, install_release, run_with_command_line

LIVE = r"C:\windows\system32\NTVDM.EXE"
CACHED = (r"C:\windows\system32\dllcache\NTVDM.EXE",
          r"C:\windows\ServicePackFiles\i386\NTVDM.EXE")


class NtvdmAffinityRepair(PageChecks):
    def setUp(self):
        self.scenario = winerun.Scenario(version="winxp").__enter__()
        self.addCleanup(self.scenario.close)
        # Wine empties dllcache when a Wine session starts: start the session first and put
        # the cached copy in afterwards.
        self.scenario.start_session()
        self.original = winerun.program("ntvdm_fixture").read_bytes()
        self.assertEqual(pe_facts.affinity_mask(self.original), 0)
        for path in (LIVE, *CACHED):
            self.put(path, self.original)
        self.exe = install_release(self.scenario, "IMAGECFG.EXE")

    def put(self, windows_path: str, content: bytes) -> None:
        host = self.scenario.host_path(windows_path)
        host.parent.mkdir(parents=True, exist_ok=True)
        host.write_bytes(content)

    def content(self, windows_path: str) -> bytes:
        return self.scenario.host_path(windows_path).read_bytes()

    def repair(self, arguments: str = "", bottom_edge: bool = True) -> winerun.ConsoleResult:
        result = run_with_command_line(self.scenario, self.exe, arguments)
        self.assertEqual(result.exit_code, 0, str(result.screen))
        self.assertPainted(result.screen, bottom_edge)
        heading = "- oprava problému s vícejádrovými procesory . . ."
        self.assertEqual(result.screen.text(10, 6, len(heading)), heading)
        return result

    def assertPatched(self, windows_path: str) -> None:
        image = self.content(windows_path)
        self.assertEqual(pe_facts.affinity_mask(image), 1, windows_path)
        self.assertEqual(pe_facts.stored_checksum(image), pe_facts.computed_checksum(image),
                         windows_path)

    def assertNothingChanged(self) -> None:
        for path in (LIVE, *CACHED):
            self.assertEqual(self.content(path), self.original, path)

    def work_copies(self) -> list:
        return list((self.scenario.drive_c / "users").rglob("Morek-Sanivo/ntvdm.exe"))

    def test_patches_live_file_and_cached_copies_after_a_dated_backup(self):
        result = self.repair(r" -zaloha:C:\zal\ ")
        self.assertStatus(result.screen, SUCCESS, "lime")
        for path in (LIVE, *CACHED):
            self.assertPatched(path)
        today = datetime.date.today().strftime("%Y%m%d")
        self.assertEqual(self.content(rf"C:\zal\{today}.bak"), self.original)
        self.assertEqual(self.work_copies(), [])

    def test_quoted_backup_directory_with_a_blank(self):
        result = self.repair(r' "-zaloha:C:\zal dir\"')
        self.assertStatus(result.screen, SUCCESS, "lime")
        today = datetime.date.today().strftime("%Y%m%d")
        self.assertEqual(self.content(rf"C:\zal dir\{today}.bak"), self.original)

    def test_empty_backup_value_warns_and_the_repair_goes_on(self):
        # The step texts go on behind the warning on row 7 and wrap over the frame's bottom
        # edge; the success line then overwrites the start of the yellow warning.
        result = self.repair(" -zaloha:", bottom_edge=False)
        self.assertStatus(result.screen, SUCCESS, "lime")
        self.assertEqual(result.screen.text(15 + len(SUCCESS), 7, 4), "lohu")
        self.assertColours(result.screen, 36, 7, "yellow", None)
        self.assertPatched(LIVE)

    def test_busy_live_file_changes_nothing(self):
        marker = self.scenario.drive_c / "held.txt"
        holder = subprocess.Popen(
            ["wine", str(winerun.program("holdfile")), LIVE, r"C:\held.txt", "60"],
            env=self.scenario.environment(), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(holder.wait)
        self.addCleanup(holder.kill)
        deadline = time.monotonic() + 60
        while not marker.exists():
            self.assertLess(time.monotonic(), deadline, "the holder never opened the file")
            self.assertIsNone(holder.poll(), "the holder ended")
            time.sleep(0.2)
        result = self.repair(r" -zaloha:C:\zal\ ")
        self.assertStatus(result.screen, "Nejdříve vypněte všechny DOS aplikace", "red")
        self.assertNothingChanged()
        self.assertFalse(self.scenario.host_path(r"C:\zal").exists())

    def test_missing_ntvdm(self):
        self.scenario.host_path(LIVE).unlink()
        result = self.repair()
        self.assertStatus(result.screen, "Soubor NTVDM.EXE nebyl nalezen", "red")

    def test_missing_imagecfg(self):
        self.scenario.host_path(self.exe).with_name("IMAGECFG.EXE").unlink()
        result = self.repair()
        self.assertStatus(result.screen, "Nelze najít nástroj IMAGECFG.EXE", "red")
        self.assertNothingChanged()
        self.assertEqual(len(self.work_copies()), 1)

    def test_tool_the_shell_cannot_start_ends_the_program_with_the_error_report(self):
        self.scenario.host_path(self.exe).with_name("IMAGECFG.EXE").write_bytes(b"no program")
        result = run_with_command_line(self.scenario, self.exe, "")
        self.assertEqual(result.exit_code, 1, str(result.screen))
        page = "".join(result.screen.row(y) for y in range(result.screen.height))
        self.assertIn("Exception Exception in module sanivo.exe at ", page)
        self.assertNothingChanged()
        self.assertEqual(len(self.work_copies()), 1)

    def test_image_the_tool_cannot_patch_is_reported_and_not_installed(self):
        # An image without a load-configuration directory: IMAGECFG refuses it.
        unpatchable = winerun.program("holdfile").read_bytes()
        for path in (LIVE, *CACHED):
            self.put(path, unpatchable)
        result = self.repair()
        self.assertStatus(result.screen, "Nelze upravit afinitu souboru NTVDM.EXE", "red")
        for path in (LIVE, *CACHED):
            self.assertEqual(self.content(path), unpatchable, path)
        self.assertEqual(len(self.work_copies()), 1)


if __name__ == "__main__":
    unittest.main()
