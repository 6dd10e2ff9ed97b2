#!/usr/bin/env python3
"""Checks the release's programs: each stays within its size limit, is stripped, and names a
debug file beside the release folder that turns an address of the error report (relative to
the module) into a function and a source line with addr2line, as the README describes.

    check_release.py RELEASE_DIR SYMBOLS_DIR BINUTILS_PREFIX
"""

import re
import struct
import subprocess
import sys
import unittest
from pathlib import Path

RELEASE, SYMBOLS, PREFIX = (Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3])
del sys.argv[1:4]

KIB = 1024
# sanivo.exe grew past 160 KiB with the checked replacement of NTVDM.EXE, backups that never
# replace a file, and the short program path; past 176 KiB with the way back from both repairs;
# past 184 KiB with backup targets compared by identity, runs that take turns, the log that
# appends only to a log of ours, the switch table, the help page and the local log; past 196 KiB
# with the conversion that checks its input and carries characters beyond U+FFFF (205,853 bytes
# measured).
# sanivo-uzivatel.exe converts only its own Windows-1250 texts and starts no module it does not
# use, but shares the parser, the log and the registry with sanivo.exe. Half of it is the
# runtime, not ours: the unwinder and personality routines that exceptions need and the C
# start-up (some 40 KiB) and the unwind tables of every function (some 20 KiB), so it cannot
# reach 96 KiB while it raises exceptions (133,661 bytes measured, with the switch table, the
# help page and the local log).
LIMITS = {"sanivo.exe": 204 * KIB, "sanivo-uzivatel.exe": 132 * KIB, "IMAGECFG.EXE": 96 * KIB}


def tool(name: str, *arguments: str) -> str:
    return subprocess.run([PREFIX + name, *arguments], capture_output=True, text=True,
                          check=True).stdout


def image_base(program: Path) -> int:
    image = program.read_bytes()
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    return struct.unpack_from("<I", image, pe + 24 + 28)[0]  # PE32 optional header


class Release(unittest.TestCase):
    def test_programs_stay_within_their_size_limits(self):
        for name, limit in LIMITS.items():
            with self.subTest(name):
                size = (RELEASE / name).stat().st_size
                self.assertLessEqual(size, limit, f"{name} has {size} bytes")

    def test_programs_are_stripped_and_link_their_debug_files(self):
        for program in sorted(RELEASE.glob("*.[eE][xX][eE]")):
            with self.subTest(program.name):
                self.assertEqual(tool("nm", str(program)).strip(), "")
                self.assertIn((program.name + ".debug\0").encode(), program.read_bytes())
                self.assertTrue((SYMBOLS / (program.name + ".debug")).is_file())

    # The programs run elevated (sanivo.exe) or beside it; each restricts the DLL search first
    # thing, which no Wine scenario notices when it is left out: the names of the two calls,
    # imported or looked up, must be in every program.
    def test_programs_restrict_the_dll_search(self):
        for program in sorted(RELEASE.glob("*.[eE][xX][eE]")):
            image = program.read_bytes()
            for call in (b"SetDllDirectoryA", b"SetDefaultDllDirectories"):
                with self.subTest(program.name, call=call):
                    self.assertTrue(call + b"\0" in image, f"{program.name} does not name {call}")

    def test_a_reported_address_inside_RunMainBody_gives_its_function_and_line(self):
        # RunMainBody is a function of its own, or link-time optimisation inlines it into
        # RunProgram, its one caller: the debug file names the function that holds the address
        # and, with -i, the line of main_body.cpp inlined there. Inlined, the modules' start and
        # the reading of the switches come first, about 1 KiB of code.
        debug = SYMBOLS / "sanivo.exe.debug"
        symbols = tool("nm", str(debug))
        found = (re.search(r"^([0-9a-f]+) [Tt] __ZN6sanivo11(RunMainBody)E\S*$", symbols, re.M)
                 or re.search(r"^([0-9a-f]+) [Tt] __ZN6sanivo10(RunProgram)Ev$", symbols, re.M))
        start, holder = int(found[1], 16), found[2]
        base = image_base(RELEASE / "sanivo.exe")
        # Addresses as the report prints them, relative to the module ("at %08X").
        relative = [address - base for address in range(start, start + 0x1000)]
        located = tool("addr2line", "-a", "-f", "-i", "-e", str(debug),
                       *(hex(base + r) for r in relative))
        demangled = subprocess.run(["c++filt"], input=located, capture_output=True, text=True,
                                   check=True).stdout
        body = main_body_lines()
        for frames in re.split(r"^0x[0-9a-f]+\n", demangled, flags=re.M)[1:]:
            frames = frames.splitlines()  # innermost first: function, then file and line
            inner = re.search(r"app/main_body\.cpp:(\d+)", frames[1])
            if inner and int(inner[1]) in body:
                self.assertIn(holder, frames[-2])
                self.assertRegex(frames[-1], r"app/(main_body|program)\.cpp:\d+")
                return
        self.fail(f"no address of {holder} maps to a line of RunMainBody")


def main_body_lines() -> range:
    """The lines of RunMainBody's body in app/main_body.cpp."""
    source_file = Path(__file__).resolve().parents[2] / "app" / "main_body.cpp"
    source = source_file.read_text().splitlines()
    first = next(i for i, text in enumerate(source, 1) if re.match(r"\w+ RunMainBody\(", text))
    last = next(i for i, text in enumerate(source, 1) if i > first and text == "}")
    return range(first + 1, last)


if __name__ == "__main__":
    unittest.main()
