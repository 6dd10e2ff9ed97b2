#!/usr/bin/env python3
"""The conversion with a real GNU libiconv beside the programs: the page does not change, and
cpconv.exe hands the library's transliteration through where the built-in engine writes "_"."""

from __future__ import annotations

import os
import shutil
import subprocess
import unittest
from pathlib import Path

import winerun
from sanivo_e2e import APP_DIR, RELEASE, PageChecks, install_release, reg_add

ICONV_DLL = Path(os.environ["SANIVO_ICONV_DLL"])

CZECH = "Příliš žluťoučký kůň úpěl ďábelské ódy"
# Windows-1250 marks that code page 852 lacks: low and high double quotes, euro sign, ellipsis.
MARKS = "„a“ € …"


def page_cells(screen: winerun.Screen) -> list[tuple[str, int]]:
    return [(screen.text(x, y, 1), screen.attribute(x, y))
            for y in range(screen.height) for x in range(screen.width)]


def cpconv(scenario: winerun.Scenario, arguments: list[str], data: bytes) -> tuple[int, bytes]:
    """Runs the release's cpconv.exe with the bytes on its standard input."""
    exe = scenario.install(RELEASE / "cpconv.exe", APP_DIR)
    done = subprocess.run(["wine", exe, *arguments], input=data, capture_output=True,
                          env=scenario.environment(), timeout=120)
    return done.returncode, done.stdout


class WithGnuLibiconv(PageChecks):
    def test_the_page_is_the_same_cell_by_cell_with_the_library(self):
        pages = []
        for with_library in (False, True):
            with winerun.Scenario(version="win2k") as scenario:
                exe = install_release(scenario)
                if with_library:
                    scenario.install(ICONV_DLL, APP_DIR)
                result = scenario.run_console(exe, timeout=90)
                self.assertEqual(result.exit_code, 0, str(result.screen))
                self.assertPainted(result.screen)
                pages.append(page_cells(result.screen))
        self.assertEqual(pages[1], pages[0])

    def test_cpconv_transliterates_through_the_library_and_writes_underscores_without(self):
        text = (CZECH + " " + MARKS).encode("cp1250")
        with winerun.Scenario() as scenario:
            code, without = cpconv(scenario, ["13", "24"], text)
            self.assertEqual(code, 0)
            self.assertEqual(without, (CZECH + " _a_ _ _").encode("cp852"))

            scenario.install(ICONV_DLL, APP_DIR)
            code, with_library = cpconv(scenario, ["13", "24"], text)
            self.assertEqual(code, 0)
            self.assertTrue(with_library.startswith(CZECH.encode("cp852")), with_library)
            marks = with_library[len(CZECH) + 1:]
            self.assertNotIn(b"_", marks)
            self.assertIn(b"EUR", marks)
            self.assertIn(b"...", marks)

            # Sides that only the library knows: a charset without a table of its own.
            code, koi8u = cpconv(scenario, ["27", "39"], "Ґ".encode())
            self.assertEqual((code, koi8u), (0, "Ґ".encode("koi8_u")))

    def test_the_library_ends_stateful_targets_and_utf7_runs_as_whole_texts(self):
        with winerun.Scenario() as scenario:
            code, built_in = cpconv(scenario, ["27", "28"], "čaj 1+1 kůň".encode())
            self.assertEqual((code, built_in), (0, b"+AQ0-aj 1+-1 k+AW8BSA-"))
            code, run_before_blank = cpconv(scenario, ["27", "28"], "č ".encode())
            self.assertEqual((code, run_before_blank), (0, b"+AQ0- "))

            scenario.install(ICONV_DLL, APP_DIR)
            # The library leaves out the "-" before a blank: proof that it encodes. A last run
            # is closed as the built-in encoder closes it.
            self.assertEqual(cpconv(scenario, ["27", "28"], "č ".encode()), (0, b"+AQ0 "))
            self.assertEqual(cpconv(scenario, ["27", "28"], "čaj 1+1 kůň".encode()),
                             (0, built_in))
            # ISO-2022-JP shifts back to ASCII, ISO-2022-KR ends with SI.
            self.assertEqual(cpconv(scenario, ["27", "78"], "あ".encode()),
                             (0, b'\x1b$B$"\x1b(B'))
            self.assertEqual(cpconv(scenario, ["27", "94"], "가".encode()),
                             (0, b"\x1b$)C\x0e0!\x0f"))

    def test_an_iconv_dll_in_the_current_directory_or_on_path_is_never_loaded(self):
        with winerun.Scenario(version="win2k") as scenario:
            exe = install_release(scenario)
            (scenario.drive_c / "canary").mkdir()
            for folder in ("pracovni", "napath"):
                (scenario.drive_c / folder).mkdir()
                shutil.copy(winerun.program("canary"), scenario.drive_c / folder / "iconv.dll")
            reg_add(scenario, r"HKCU\Environment", "PATH", r"C:\napath")

            result = scenario.run_console(exe, timeout=90, cwd=scenario.drive_c / "pracovni")
            self.assertEqual(result.exit_code, 0, str(result.screen))
            self.assertPainted(result.screen)
            self.assertEqual(list((scenario.drive_c / "canary").iterdir()), [])

            # A load by bare name from elsewhere does reach the one on PATH.
            scenario.run_piped("rundll32.exe", ["iconv.dll,Nothing"], timeout=60,
                               cwd=scenario.drive_c)
            marker = scenario.drive_c / "canary" / "iconv.dll.loaded"
            self.assertTrue(marker.exists())

    def test_cpconv_refuses_bad_arguments(self):
        with winerun.Scenario() as scenario:
            exe = scenario.install(RELEASE / "cpconv.exe", APP_DIR)
            result = scenario.run_piped(exe, ["13"])
            self.assertEqual(result.exit_code, 2)
            self.assertTrue(result.stderr.startswith(b"usage: cpconv"), result.stderr)


if __name__ == "__main__":
    unittest.main()
