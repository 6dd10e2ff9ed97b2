#!/usr/bin/env python3
"""The console font repair on Windows 7: the real sanivo.exe with the real font beside it."""

import struct
import unittest

import winerun
from sanivo_e2e import (APP_DIR, PageChecks, SUCCESS, RELEASE, install_release, listing,
                        reg_add)

FONTS_KEY = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts"
TRUETYPE_KEY = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Console\TrueTypeFont"
CONSOLE_KEY = r"HKCU\Console\%SystemRoot%_system32_ntvdm.exe"
FONT_VALUE = "Lucida Console CS Obyčejné (TrueType)"
FACE = "Lucida Console CS"


def seed_windows7(scenario: winerun.Scenario) -> None:
    """Wine's prefix lacks the console's TrueType list that every Windows 7 has."""
    reg_add(scenario, TRUETYPE_KEY, "0", "Lucida Console")
    reg_add(scenario, TRUETYPE_KEY, "00", "Consolas")


def earlier_revision(font: bytes) -> bytes:
    """The font with another head.fontRevision: what an earlier release shipped."""
    count = struct.unpack_from(">H", font, 4)[0]
    for record in range(12, 12 + 16 * count, 16):
        if font[record:record + 4] == b"head":
            offset = struct.unpack_from(">I", font, record + 8)[0]
            revision = struct.unpack_from(">I", font, offset + 4)[0]
            return font[:offset + 4] + struct.pack(">I", revision ^ 0x10000) + font[offset + 8:]
    raise AssertionError("no head table")


class ConsoleFontRepair(PageChecks):
    def run_repair(self, scenario: winerun.Scenario, *release_files: str) -> winerun.ConsoleResult:
        exe = install_release(scenario, *release_files)
        result = scenario.run_console(exe, timeout=120)
        self.assertEqual(result.exit_code, 0, str(result.screen))
        self.assertPainted(result.screen)
        heading = "- oprava problému s češtinou ve Windows 7 . . ."
        self.assertEqual(result.screen.text(10, 6, len(heading)), heading)
        return result

    def assertRegistered(self, scenario: winerun.Scenario) -> None:
        fonts = scenario.reg_value(FONTS_KEY, FONT_VALUE)
        self.assertIsNotNone(fonts, scenario.reg_query(FONTS_KEY))
        self.assertEqual((fonts.type, fonts.data), ("REG_SZ", "mrk_lccs.ttf"))
        self.assertEqual(scenario.reg_value(TRUETYPE_KEY, "000").data, FACE)
        self.assertIsNone(scenario.reg_value(TRUETYPE_KEY, "0000"))
        expected = {"FaceName": ("REG_SZ", FACE), "FontFamily": ("REG_DWORD", "0x37"),
                    "FontSize": ("REG_DWORD", "0x140000"), "FontWeight": ("REG_DWORD", "0x190")}
        for name, (kind, data) in expected.items():
            value = scenario.reg_value(CONSOLE_KEY, name)
            self.assertIsNotNone(value, name)
            self.assertEqual((value.type, value.data), (kind, data), name)

    def test_fresh_system_then_a_second_run(self):
        with winerun.Scenario(version="win7") as scenario:
            seed_windows7(scenario)
            result = self.run_repair(scenario, "mrk_lccs.ttf")
            self.assertStatus(result.screen, SUCCESS, "lime")
            self.assertEqual(scenario.host_path(r"C:\windows\Fonts\mrk_lccs.ttf").read_bytes(),
                             (RELEASE / "mrk_lccs.ttf").read_bytes())
            work_dir = scenario.drive_c / "users"
            self.assertEqual([p for p in work_dir.rglob("*.fot")], [])
            self.assertRegistered(scenario)
            # The console settings outlive the Wine session: the key is no volatile one.
            scenario.stop_wine()
            face = scenario.reg_value(CONSOLE_KEY, "FaceName")
            self.assertEqual(face.data if face else None, FACE)

            # GDI offers the installed face as a fixed-pitch TrueType font with Czech letters
            # and box drawing.
            check = scenario.run_piped(winerun.program("fontcheck"), [], timeout=60)
            self.assertEqual(check.exit_code, 0, check.stdout.decode("cp1250", "replace"))

            again = self.run_repair(scenario, "mrk_lccs.ttf")
            self.assertStatus(again.screen, SUCCESS, "lime")
            self.assertRegistered(scenario)

    def test_damaged_font_is_refused_and_a_differing_installed_one_replaced(self):
        with winerun.Scenario(version="win7") as scenario:
            seed_windows7(scenario)
            fonts = scenario.host_path(r"C:\windows\Fonts")
            installed = fonts / "mrk_lccs.ttf"
            installed.write_bytes(b"")
            font = (RELEASE / "mrk_lccs.ttf").read_bytes()
            # Cut in half, the font once crashed GDI's resource call (exit code 5).
            scenario.host_path(APP_DIR).mkdir(parents=True, exist_ok=True)
            scenario.host_path(APP_DIR + r"\mrk_lccs.ttf").write_bytes(font[:len(font) // 2])
            damaged = self.run_repair(scenario)
            self.assertStatus(damaged.screen, "Font nelze nainstalovat", "red")
            self.assertEqual(installed.read_bytes(), b"")
            self.assertIsNone(scenario.reg_value(FONTS_KEY, FONT_VALUE))

            result = self.run_repair(scenario, "mrk_lccs.ttf")
            self.assertStatus(result.screen, SUCCESS, "lime")
            self.assertEqual(installed.read_bytes(), font)
            self.assertEqual([path.name for path in fonts.glob("mrk_lccs*")], ["mrk_lccs.ttf"])

    def test_an_earlier_font_of_ours_that_windows_holds_open_is_kept(self):
        # Windows holds every registered font open from logon; a later release ships a revised
        # font (the same face, another head.fontRevision).
        with winerun.Scenario(version="win7") as scenario:
            seed_windows7(scenario)
            scenario.start_session()
            earlier = earlier_revision((RELEASE / "mrk_lccs.ttf").read_bytes())
            installed = scenario.host_path(r"C:\windows\Fonts\mrk_lccs.ttf")
            installed.write_bytes(earlier)
            self.hold(scenario, r"C:\windows\Fonts\mrk_lccs.ttf")
            result = self.run_repair(scenario, "mrk_lccs.ttf")
            self.assertStatus(result.screen, SUCCESS, "lime")
            self.assertEqual(installed.read_bytes(), earlier)
            self.assertRegistered(scenario)

    def test_first_install_cut_short_leaves_no_font_under_its_name(self):
        for limit in (100000, 4096):
            with self.subTest(limit=limit), winerun.Scenario(version="win7") as scenario:
                seed_windows7(scenario)
                scenario.start_session()
                exe = install_release(scenario, "mrk_lccs.ttf")
                scenario.run_console(exe, timeout=120, file_size_limit=limit)
                self.assertFalse(
                    scenario.host_path(r"C:\windows\Fonts\mrk_lccs.ttf").exists())

    def test_values_of_another_type_do_not_block_the_repair(self):
        with winerun.Scenario(version="win7") as scenario:
            reg_add(scenario, TRUETYPE_KEY, "0", "0", "REG_DWORD")
            reg_add(scenario, TRUETYPE_KEY, "00", "Consolas")
            reg_add(scenario, CONSOLE_KEY, "FontFamily", "48")
            result = self.run_repair(scenario, "mrk_lccs.ttf")
            self.assertStatus(result.screen, SUCCESS, "lime")
            self.assertEqual(scenario.reg_value(TRUETYPE_KEY, "000").data, FACE)
            family = scenario.reg_value(CONSOLE_KEY, "FontFamily")
            self.assertEqual((family.type, family.data), ("REG_DWORD", "0x37"))

    def test_without_the_font_nothing_changes(self):
        with winerun.Scenario(version="win7") as scenario:
            seed_windows7(scenario)
            fonts_before = scenario.reg_query(FONTS_KEY)
            truetype_before = scenario.reg_query(TRUETYPE_KEY)
            windows_before = listing(scenario.host_path(r"C:\windows"))
            result = self.run_repair(scenario)
            self.assertStatus(result.screen, "Nelze najít font k instalaci", "red")
            self.assertEqual(listing(scenario.host_path(r"C:\windows")), windows_before)
            self.assertEqual(scenario.reg_query(FONTS_KEY), fonts_before)
            self.assertEqual(scenario.reg_query(TRUETYPE_KEY), truetype_before)
            self.assertEqual(scenario.reg_query(CONSOLE_KEY), "")

    def test_without_the_console_truetype_list_registration_fails_after_install(self):
        with winerun.Scenario(version="win7") as scenario:
            result = self.run_repair(scenario, "mrk_lccs.ttf")
            self.assertStatus(result.screen, "Nelze zaregistrovat font do registrů", "red")
            self.assertTrue(scenario.host_path(r"C:\windows\Fonts\mrk_lccs.ttf").exists())
            self.assertIsNotNone(scenario.reg_value(FONTS_KEY, FONT_VALUE))
            self.assertEqual(scenario.reg_query(CONSOLE_KEY), "")


if __name__ == "__main__":
    unittest.main()
