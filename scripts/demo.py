#!/usr/bin/env python3
"""Runs the release's sanivo.exe in a fresh Wine prefix in this terminal and lists what it
changed: the files below C:\\ and the registry values the repairs write.

    demo.py BUILD_DIR win7|winxp
"""

import os
import subprocess
import sys
from pathlib import Path

BUILD = Path(sys.argv[1]).resolve()
VERSION = sys.argv[2] if len(sys.argv) > 2 else "win7"
sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "wine"))
import winerun  # noqa: E402

RELEASE = BUILD / "release"
APP_DIR = r"C:\Program Files\Morek"
KEYS = [r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts",
        r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Console\TrueTypeFont",
        r"HKCU\Console\%SystemRoot%_system32_ntvdm.exe"]
NTVDM_COPIES = [r"C:\windows\system32\NTVDM.EXE", r"C:\windows\system32\dllcache\NTVDM.EXE",
                r"C:\windows\ServicePackFiles\i386\NTVDM.EXE"]


def files(root: Path) -> dict[str, tuple[int, int]]:
    return {str(p.relative_to(root)): (p.stat().st_size, p.stat().st_mtime_ns)
            for p in root.rglob("*") if p.is_file()}


def registry(scenario: winerun.Scenario) -> dict[tuple[str, str], tuple[str, str]]:
    """Every value of the keys the repairs write: (key, name) -> (type, data)."""
    return {(key, value.name): (value.type, value.data)
            for key in KEYS for value in winerun.parse_reg_query(scenario.reg_query(key))}


def prepare(scenario: winerun.Scenario) -> list[str]:
    for name in ("sanivo.exe", "IMAGECFG.EXE", "mrk_lccs.ttf"):
        scenario.install(RELEASE / name, APP_DIR)
    if VERSION == "winxp":
        # A stand-in NTVDM.EXE (with a load-configuration directory) and its cached copies;
        # they go in after the session started, since Wine tidies dllcache at that moment.
        scenario.start_session()
        fixture = (BUILD / "tests/wine/ntvdm_fixture/ntvdm_fixture.exe").read_bytes()
        for path in NTVDM_COPIES:
            target = scenario.host_path(path)
            target.parent.mkdir(parents=True, exist_ok=True)
            target.write_bytes(fixture)
        return [r"-zaloha:C:\zaloha\ "]
    # Every Windows 7 offers these two faces to the console; Wine's prefix does not.
    key = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Console\TrueTypeFont"
    for name, face in (("0", "Lucida Console"), ("00", "Consolas")):
        subprocess.run(["wine", "reg", "add", key, "/v", name, "/d", face, "/f"],
                       env=scenario.environment(), capture_output=True, check=True)
    return []


def main() -> int:
    pristine = BUILD / "wine" / "pristine"
    winerun.make_pristine(pristine)
    with winerun.Scenario(version=VERSION, pristine=pristine) as scenario:
        arguments = prepare(scenario)
        files_before, registry_before = files(scenario.drive_c), registry(scenario)
        exe = scenario.host_path(APP_DIR) / "sanivo.exe"
        print(f"\nRunning sanivo.exe {' '.join(arguments)}on Wine set to {VERSION} ...\n")
        env = dict(scenario.environment(), LANG="cs_CZ.UTF-8")
        code = subprocess.run(["wine", str(exe), *[a.strip() for a in arguments]],
                              env=env).returncode
        # The page ends on row 15 of the terminal; the report goes below it, in plain colours.
        print(f"\x1b[0m\x1b[17;1H\x1b[J\nExit code {code}. What the program changed:")
        after = files(scenario.drive_c)
        for path in sorted(set(after) | set(files_before)):
            windows_path = "C:\\" + path.replace("/", "\\")
            if path not in files_before:
                print(f"  new file       {windows_path}")
            elif path not in after:
                print(f"  removed file   {windows_path}")
            elif after[path] != files_before[path]:
                print(f"  changed file   {windows_path}")
        for (key, name), (kind, data) in sorted(registry(scenario).items()):
            if registry_before.get((key, name)) != (kind, data):
                print(f"  registry value {key}\\{name} = {data} ({kind})")
    return code


if __name__ == "__main__":
    sys.exit(main())
