#!/usr/bin/env python3
"""Start-up: a file where the work directory belongs is no work directory, and the failure
stays on screen when the console would close with the program."""

import time
import unittest

import winerun
from sanivo_e2e import RELEASE, SUCCESS, PageChecks, WORK_DIR_NAME, install_release
from test_console_font import seed_windows7

WORK_DIR_FAILED = "Nelze vytvořit dočasný adresář"


class WorkDirectoryInTheWay(PageChecks):
    def timed_run(self, scenario: winerun.Scenario, program: str, args: list[str]):
        started = time.monotonic()
        result = scenario.run_console(program, args, timeout=120)
        self.assertEqual(result.exit_code, 0, f"{result.screen}\ntimed out: {result.timed_out}")
        return result, time.monotonic() - started

    def test_file_of_its_name_is_reported_and_kept_readable_in_a_console_of_its_own(self):
        with winerun.Scenario(version="win7") as scenario:
            exe = install_release(scenario, "mrk_lccs.ttf")
            temp_dirs = list(scenario.drive_c.glob("users/*/Temp"))
            self.assertEqual(len(temp_dirs), 1, temp_dirs)
            (temp_dirs[0] / WORK_DIR_NAME).write_bytes(b"not a directory")

            # Alone in its console, as when started from Explorer, and from cmd, which shares
            # the console and keeps it open.
            own, own_seconds = self.timed_run(scenario, exe, [])
            shared, shared_seconds = self.timed_run(scenario, "cmd", ["/c", exe])

            for result in (own, shared):
                self.assertPainted(result.screen)
                self.assertEqual(result.screen.text(10, 13, len(WORK_DIR_FAILED)),
                                 WORK_DIR_FAILED, str(result.screen))
                self.assertColours(result.screen, 10, 13, "red", None)
                self.assertTrue(result.screen.text(10, 14).rstrip().endswith(
                    "\\Temp\\" + WORK_DIR_NAME), str(result.screen))
                self.assertColours(result.screen, 10, 14, "silver", None)
            # No repair ran: the font repair of Windows 7 would have copied the font.
            self.assertFalse(scenario.host_path(r"C:\windows\Fonts\mrk_lccs.ttf").exists())
            self.assertGreaterEqual(own_seconds, 4.0)
            self.assertLess(shared_seconds, own_seconds - 2.5)


class FolderOutsideTheAnsiCodePage(PageChecks):
    def test_files_beside_the_program_are_found_by_the_folders_short_name(self):
        # Cyrillic letters, which Windows-1250 lacks: the ANSI path of the program holds "?".
        folder = r"C:\Программы Морек"
        with winerun.Scenario(version="win7") as scenario:
            seed_windows7(scenario)
            for name in ("sanivo.exe", "mrk_lccs.ttf"):
                scenario.install(RELEASE / name, folder)
            result = scenario.run_console(folder + r"\sanivo.exe", timeout=120)
            self.assertEqual(result.exit_code, 0, str(result.screen))
            self.assertPainted(result.screen)
            self.assertStatus(result.screen, SUCCESS, "lime")
            self.assertEqual(scenario.host_path(r"C:\windows\Fonts\mrk_lccs.ttf").read_bytes(),
                             (RELEASE / "mrk_lccs.ttf").read_bytes())


if __name__ == "__main__":
    unittest.main()
