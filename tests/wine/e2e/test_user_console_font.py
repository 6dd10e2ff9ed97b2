#!/usr/bin/env python3
"""The per-user program of a logon script on Windows 7: the real sanivo-uzivatel.exe writes the
user's console settings of ntvdm.exe after sanivo.exe has done the machine-wide part, and
nothing else; without that part it changes nothing."""

import re
import subprocess
import unittest
from pathlib import PureWindowsPath

import winerun
from sanivo_e2e import APP_DIR, PageChecks, SUCCESS, install_release
from test_console_font import CONSOLE_KEY, seed_windows7

USER_PROGRAM = "sanivo-uzivatel.exe"
HEADING = "- oprava češtiny ve Windows 7 pro tohoto uživatele . . ."
SETTINGS_SECTION = r"[Console\\%SystemRoot%_system32_ntvdm.exe]"


def registry(scenario: winerun.Scenario) -> dict[str, list[str]]:
    """Every key of the machine's and the user's registry files that holds values, with its value
    lines, without the times Wine stamps on them (on keys, and the display driver's date at
    every start). Wine writes a key without values only while it has no sub-keys."""
    scenario.stop_wine()  # the server writes the files when it ends
    keys = {}
    for hive in ("system.reg", "user.reg"):
        lines = []
        for line in (scenario.prefix / hive).read_text(encoding="utf-8").splitlines():
            if line.startswith("["):
                key = re.sub(r"] \d+$", "]", line)
                lines = keys.setdefault(f"{hive} {key}", [])
            elif line and not line.startswith(("#time=", '"DriverDateData"=')):
                lines.append(line)
    return {key: lines for key, lines in keys.items() if lines}


def fonts_folder(scenario: winerun.Scenario) -> dict[str, bytes]:
    return {path.name.lower(): path.read_bytes()
            for path in scenario.host_path(r"C:\windows\Fonts").iterdir()}


class UserConsoleFont(PageChecks):
    def run_user_program(self, scenario: winerun.Scenario, exit_code: int,
                         status: str, colour: str) -> None:
        exe = str(PureWindowsPath(APP_DIR) / USER_PROGRAM)
        result = scenario.run_console(exe, ["-tise"], timeout=120)
        self.assertEqual(result.exit_code, exit_code, str(result.screen))
        self.assertPainted(result.screen)
        self.assertEqual(result.screen.text(10, 6, len(HEADING)), HEADING)
        self.assertStatus(result.screen, status, colour)

    def test_writes_back_the_users_settings_and_nothing_else(self):
        with winerun.Scenario(version="win7") as scenario:
            seed_windows7(scenario)
            exe = install_release(scenario, "mrk_lccs.ttf", USER_PROGRAM)
            repaired = scenario.run_console(exe, ["-tise"], timeout=120)
            self.assertEqual(repaired.exit_code, 0, str(repaired.screen))
            after_repair = registry(scenario)
            subprocess.run(scenario.command("wine", "reg", "delete", CONSOLE_KEY, "/f"),
                           env=scenario.environment(), capture_output=True, timeout=120,
                           check=True)
            before = registry(scenario)
            fonts = fonts_folder(scenario)
            self.assertNotIn(f"user.reg {SETTINGS_SECTION}", before)

            self.run_user_program(scenario, 0, SUCCESS, "lime")

            after = registry(scenario)
            self.assertEqual(after[f"user.reg {SETTINGS_SECTION}"],
                             after_repair[f"user.reg {SETTINGS_SECTION}"])
            del after[f"user.reg {SETTINGS_SECTION}"]
            self.assertEqual(after, before)
            self.assertEqual(fonts_folder(scenario), fonts)

    def test_without_the_machine_wide_part_it_is_red_and_changes_nothing(self):
        with winerun.Scenario(version="win7") as scenario:
            seed_windows7(scenario)
            install_release(scenario, USER_PROGRAM)
            before = registry(scenario)
            fonts = fonts_folder(scenario)
            self.run_user_program(scenario, 2, "Font není nainstalován pro celý počítač", "red")
            self.assertEqual(registry(scenario), before)
            self.assertEqual(fonts_folder(scenario), fonts)


if __name__ == "__main__":
    unittest.main()
