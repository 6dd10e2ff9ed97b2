#!/usr/bin/env python3
"""The per-user program of a logon script on Windows 7: the real sanivo-uzivatel.exe."""

import os
import re
import subprocess
import unittest

import winerun
from sanivo_e2e import APP_DIR, PageChecks, SUCCESS, install_release
from test_console_font import CONSOLE_KEY, seed_windows7

VERSION = os.environ["SANIVO_FILE_VERSION"]
SETTINGS = r"user.reg [Console\\%SystemRoot%_system32_ntvdm.exe]"


def snapshot(scenario: winerun.Scenario) -> tuple[dict[str, list[str]], dict[str, bytes]]:
    """The keys of the registry files that hold values, with their value lines but not the times
    Wine stamps on keys and on the display driver at every start; and the Fonts folder."""
    scenario.stop_wine()  # the server writes the files when it ends
    keys, lines = {}, []  # the file's header holds no values
    for hive in ("system.reg", "user.reg"):
        for line in (scenario.prefix / hive).read_text(encoding="utf-8").splitlines():
            if line.startswith("["):
                lines = keys.setdefault(hive + " " + re.sub(r"] \d+$", "]", line), [])
            elif line and not line.startswith(("#time=", '"DriverDateData"=')):
                lines.append(line)
    fonts = scenario.host_path(r"C:\windows\Fonts")
    return {k: v for k, v in keys.items() if v}, {p.name: p.read_bytes() for p in fonts.iterdir()}


class UserConsoleFont(PageChecks):
    def run_user_program(self, scenario: winerun.Scenario, exit_code: int, *status: str,
                         switches: tuple[str, ...] = ()) -> None:
        result = scenario.run_console(APP_DIR + r"\sanivo-uzivatel.exe",
                                      ["-tise", r"-protokol:C:\sanivo.csv", *switches],
                                      timeout=120)
        self.assertEqual(result.exit_code, exit_code, str(result.screen))
        self.assertPainted(result.screen)
        self.assertStatus(result.screen, *status)

    def test_writes_back_the_users_settings_and_takes_them_back_alone(self):
        with winerun.Scenario(version="win7") as scenario:
            seed_windows7(scenario)
            exe = install_release(scenario, "mrk_lccs.ttf", "sanivo-uzivatel.exe")
            self.assertEqual(scenario.run_console(exe, ["-tise"], timeout=120).exit_code, 0)
            written = snapshot(scenario)[0][SETTINGS]
            subprocess.run(scenario.command("wine", "reg", "delete", CONSOLE_KEY, "/f"),
                           env=scenario.environment(), capture_output=True, check=True)
            registry, fonts = snapshot(scenario)
            self.run_user_program(scenario, 0, SUCCESS, "lime")
            self.assertEqual(snapshot(scenario), ({**registry, SETTINGS: written}, fonts))
            # The way back takes this user's settings again, and nothing of the machine's.
            self.run_user_program(scenario, 0, "Oprava byla vrácena", "lime", switches=("-vratit",))
            self.assertEqual(snapshot(scenario), (registry, fonts))
            log = scenario.host_path(r"C:\sanivo.csv").read_text(encoding="utf-8-sig")
            self.assertIn(f";font-uzivatel;opraveno;{SUCCESS};;;{VERSION}\n", log)
            self.assertIn(f";font-uzivatel;vraceno;Oprava byla vrácena;;;{VERSION}\n", log)

    def test_without_the_machine_wide_part_it_is_red_and_changes_nothing(self):
        with winerun.Scenario(version="win7") as scenario:
            seed_windows7(scenario)
            install_release(scenario, "sanivo-uzivatel.exe")
            before = snapshot(scenario)
            self.run_user_program(scenario, 2, "Font není nainstalován pro celý počítač", "red")
            self.assertEqual(snapshot(scenario), before)


if __name__ == "__main__":
    unittest.main()
