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


def cpconv(scenario: winerun.Scenario, arguments: list[str], data: bytes = b""
           ) -> tuple[int, bytes]:
    """Runs the release's cpconv.exe with the bytes on its standard input."""
    code, out, _ = cpconv_with_errors(scenario, arguments, data)
    return code, out


def cpconv_with_errors(scenario: winerun.Scenario, arguments: list[str], data: bytes = b""
                       ) -> tuple[int, bytes, str]:
    """The same, with its standard error as the console shows it (code page 852)."""
    exe = scenario.install(RELEASE / "cpconv.exe", APP_DIR)
    done = subprocess.run(["wine", exe, *arguments], input=data, capture_output=True,
                          env=scenario.environment(), timeout=120)
    return done.returncode, done.stdout, done.stderr.decode("cp852")


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

            # Sides that only the library knows: a charset without a table of its own, UTF-16.
            code, koi8u = cpconv(scenario, ["27", "39"], "Ґ".encode())
            self.assertEqual((code, koi8u), (0, "Ґ".encode("koi8_u")))
            code, utf16 = cpconv(scenario, ["UTF-16", "cp852"], "\ufeffčau".encode("utf-16-le"))
            self.assertEqual((code, utf16), (0, "čau".encode("cp852")))
            # A name that is not ours goes to the library as written; U+1F600 keeps its pair.
            self.assertEqual(cpconv(scenario, ["-f", "CP437", "-t", "UTF-8"], b"\x80\x82\x9a\xe1"),
                             (0, "ÇéÜß".encode()))
            self.assertEqual(cpconv(scenario, ["UTF-8", "UTF-16LE"], "a😀b".encode()),
                             (0, "a😀b".encode("utf-16-le")))

    def test_cpconv_converts_files_in_pieces_and_writes_its_output_whole_or_not_at_all(self):
        # Some 3 MiB of a DOS text: many pieces, a character cut at most of their ends.
        dos_text = ("Příliš žluťoučký kůň úpěl ďábelské ódy.\r\n" * 80_000).encode("cp852")
        with winerun.Scenario() as scenario:
            letter = scenario.host_path(r"C:\data\DOPIS.TXT")
            letter.parent.mkdir()
            letter.write_bytes(dos_text)
            # Into UTF-8 on standard output, then back in place of the file itself.
            code, utf8, errors = cpconv_with_errors(scenario,
                                                    ["cp852", "UTF-8", r"C:\data\DOPIS.TXT"])
            self.assertEqual((code, errors), (0, ""))
            self.assertEqual(utf8, dos_text.decode("cp852").encode())
            letter.write_bytes(utf8)
            code, _, errors = cpconv_with_errors(
                scenario, ["-f", "utf-8", "-t", "852", "-o", r"C:\data\DOPIS.TXT",
                           r"C:\data\DOPIS.TXT"])
            self.assertEqual((code, errors), (0, ""))
            self.assertEqual(letter.read_bytes(), dos_text)

            # An input that is not there: a message that names it, and the old output stays.
            code, out, errors = cpconv_with_errors(
                scenario, ["852", "13", r"C:\data\DOPIS.TXT", r"C:\data\CHYBI.TXT", "-o",
                           r"C:\data\DOPIS.TXT"])
            self.assertEqual(code, 1)
            self.assertTrue(errors.startswith('cpconv: nelze číst "C:\\data\\CHYBI.TXT"'), errors)
            self.assertEqual(letter.read_bytes(), dos_text)
            self.assertEqual(sorted(path.name for path in letter.parent.iterdir()), ["DOPIS.TXT"])

            # A reader that stops early: the closed pipe is reported, not passed over.
            exe = scenario.install(RELEASE / "cpconv.exe", APP_DIR)
            reader = subprocess.Popen(["head", "-c", "10"], stdin=subprocess.PIPE,
                                      stdout=subprocess.DEVNULL)
            done = subprocess.run(["wine", exe, "852", "13", r"C:\data\DOPIS.TXT"],
                                  stdout=reader.stdin, stderr=subprocess.PIPE,
                                  env=scenario.environment(), timeout=120)
            reader.stdin.close()
            reader.wait(timeout=60)
            self.assertEqual(done.returncode, 1)
            self.assertTrue(done.stderr.decode("cp852").startswith(
                "cpconv: nelze zapsat standardní výstup"), done.stderr)

    def test_without_the_library_its_charsets_are_refused(self):
        with winerun.Scenario() as scenario:
            code, out, errors = cpconv_with_errors(scenario, ["32", "13"], b"\0A\0B")
            self.assertEqual((code, out), (1, b""))
            self.assertEqual(errors, "cpconv: znakovou sadu UTF-16 lze převádět jen s knihovnou "
                                     "iconv.dll vedle programu\n")

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

    def test_cpconv_refuses_bad_arguments_and_unknown_charsets(self):
        with winerun.Scenario() as scenario:
            # A name that is not ours is the library's: unknown only when it does not know it.
            scenario.install(ICONV_DLL, APP_DIR)
            for arguments, message in ((["13"], "chybné parametry; nápověda: cpconv --help"),
                                       (["13", "CP-852"], "neznámá znaková sada: CP-852")):
                code, out, errors = cpconv_with_errors(scenario, arguments)
                self.assertEqual((code, out), (2, b""))
                self.assertEqual(errors, f"cpconv: {message}\n")


if __name__ == "__main__":
    unittest.main()
