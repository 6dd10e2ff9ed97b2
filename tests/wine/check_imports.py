#!/usr/bin/env python3
"""Checks the import table of a 32-bit Windows program built here: it may import only from the
system DLLs that every supported Windows loads from its KnownDLLs list and that load no further
library on demand (shell32 does: the program loads it at run time by full path, after it has
restricted the DLL search), and its subsystem version must be 5.01, so that it starts on
Windows XP.

    check_imports.py OBJDUMP PROGRAM.exe
"""

import re
import subprocess
import sys

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"}
SUBSYSTEM_VERSION = (5, 1)


def problems(objdump_output: str) -> list[str]:
    found = []
    dlls = {name.lower() for name in re.findall(r"^\s*DLL Name: (\S+)", objdump_output, re.M)}
    if not dlls:
        found.append("no import table found")
    for dll in sorted(dlls - ALLOWED_DLLS):
        found.append(f"imports from {dll}")
    versions = dict(re.findall(r"^(M(?:aj|in)orSubsystemVersion)\s+(\d+)", objdump_output, re.M))
    subsystem = (int(versions.get("MajorSubsystemVersion", -1)),
                 int(versions.get("MinorSubsystemVersion", -1)))
    if subsystem != SUBSYSTEM_VERSION:
        found.append(f"subsystem version {subsystem[0]}.{subsystem[1]}, not 5.1")
    return found


def main(objdump: str, program: str) -> int:
    output = subprocess.run([objdump, "-p", program], capture_output=True, text=True,
                            check=True).stdout
    found = problems(output)
    for problem in found:
        print(f"{program}: {problem}", file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
