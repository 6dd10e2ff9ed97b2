#!/usr/bin/env python3
"""-vratit takes the repair back: the real sanivo.exe repairs, then takes back, and the machine
is compared with what it was before the repair."""

import unittest

import pe_facts
import winerun
from sanivo_e2e import PageChecks, SUCCESS, install_release, run_with_command_line
from test_console_font import CONSOLE_KEY, FONTS_KEY, TRUETYPE_KEY, seed_windows7
from test_ntvdm_affinity import CACHED, LIVE

SESSION_MANAGER_KEY = r"HKLM\System\CurrentControlSet\Control\Session Manager"
TAKEN_BACK = "Oprava byla vrácena"
NOTHING_TO_TAKE_BACK = "Není co vracet"


class TakeBack(PageChecks):
    def run_sanivo(self, scenario, exe, arguments, exit_code, heading):
        result = run_with_command_line(scenario, exe, arguments)
        self.assertEqual(result.exit_code, exit_code, str(result.screen))
        self.assertEqual(result.screen.text(10, 6, len(heading)), heading)
        return result

    def test_windows_xp_gets_the_original_back_byte_for_byte(self):
        with winerun.Scenario(version="winxp") as scenario:
            # Wine empties dllcache when a Wine session starts: the copies go in after.
            scenario.start_session()
            original = winerun.program("ntvdm_fixture").read_bytes()  # its checksum right
            for path in (LIVE, *CACHED):
                host = scenario.host_path(path)
                host.parent.mkdir(parents=True, exist_ok=True)
                host.write_bytes(original)
            exe = install_release(scenario, "IMAGECFG.EXE")
            repair = "- oprava problému s vícejádrovými procesory . . ."
            undo = "- vrácení opravy problému s vícejádrovými procesory . . ."

            self.run_sanivo(scenario, exe, " -tise", 0, repair)
            self.assertEqual(pe_facts.affinity_mask(scenario.host_path(LIVE).read_bytes()), 1)

            result = self.run_sanivo(scenario, exe, " -vratit -tise", 0, undo)
            self.assertPainted(result.screen)
            self.assertStatus(result.screen, TAKEN_BACK, "lime")
            for path in (LIVE, *CACHED):
                self.assertEqual(scenario.host_path(path).read_bytes(), original, path)
            again = self.run_sanivo(scenario, exe, " -vratit -tise", 0, undo)
            self.assertStatus(again.screen, NOTHING_TO_TAKE_BACK, "lime")

    # Windows holds a registered font open from logon: another process holds it here, so the
    # file can only go at the restart, and a repair before the restart keeps it.
    def test_windows_7_removes_what_the_repair_added(self):
        with winerun.Scenario(version="win7") as scenario:
            seed_windows7(scenario)
            scenario.start_session()
            keys = (FONTS_KEY, TRUETYPE_KEY, CONSOLE_KEY)
            before = [scenario.reg_query(key) for key in keys]
            exe = install_release(scenario, "mrk_lccs.ttf")
            font = r"C:\windows\Fonts\mrk_lccs.ttf"
            repair = "- oprava problému s češtinou ve Windows 7 . . ."
            undo = "- vrácení opravy problému s češtinou ve Windows 7 . . ."

            self.assertStatus(self.run_sanivo(scenario, exe, " -tise", 0, repair).screen,
                              SUCCESS, "lime")
            self.hold(scenario, font)
            result = self.run_sanivo(scenario, exe, " -vratit -tise", 3, undo)
            self.assertStatus(result.screen, "Oprava byla vrácena, font zmizí po restartu",
                              "yellow")
            self.assertEqual([scenario.reg_query(key) for key in keys], before)
            self.assertTrue(scenario.host_path(font).exists())
            pending = scenario.reg_query(SESSION_MANAGER_KEY, "PendingFileRenameOperations")
            self.assertIn("\\??\\" + font.lower(), pending.lower())

            self.assertStatus(self.run_sanivo(scenario, exe, " -tise", 0, repair).screen,
                              SUCCESS, "lime")
            self.assertNotIn("mrk_lccs", scenario.reg_query(SESSION_MANAGER_KEY).lower())


if __name__ == "__main__":
    unittest.main()
