#!/usr/bin/env python3
"""Windows versions that need no repair: the page, one line saying so, and nothing changed
besides the work directory."""

import unittest

import winerun
from sanivo_e2e import PageChecks, WORK_DIR_NAME, install_release, listing


class NoRepairNeeded(PageChecks):
    def check_version(self, version: str) -> None:
        with winerun.Scenario(version=version) as scenario:
            exe = install_release(scenario)
            before = listing(scenario.drive_c)
            fonts_before = scenario.reg_query(
                r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts")

            result = scenario.run_console(exe, timeout=90)

            self.assertEqual(result.exit_code, 0, str(result.screen))
            self.assertPainted(result.screen)
            line = "tento systém nepotřebuje nijak opravit"
            self.assertEqual(result.screen.text(10, 6, len(line)), line)
            self.assertColours(result.screen, 10, 6, "white", None)
            created = listing(scenario.drive_c) - before
            work_dirs = {path for path in created if path.endswith(WORK_DIR_NAME.lower())}
            self.assertEqual(len(work_dirs), 1, sorted(created))
            self.assertTrue(next(iter(work_dirs)).startswith("users"), work_dirs)
            self.assertEqual(created - work_dirs, set())
            self.assertEqual(before - listing(scenario.drive_c), set())
            self.assertEqual(scenario.reg_query(
                r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts"), fonts_before)
            self.assertEqual(scenario.reg_query(
                r"HKCU\Console\%SystemRoot%_system32_ntvdm.exe"), "")

    def test_windows_2000(self):
        self.check_version("win2k")

    def test_windows_vista(self):
        self.check_version("vista")

    def test_windows_8(self):
        self.check_version("win8")

    def test_windows_10(self):
        self.check_version("win10")


if __name__ == "__main__":
    unittest.main()
