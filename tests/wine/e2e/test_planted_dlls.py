#!/usr/bin/env python3
"""Libraries planted where an elevated program might pick them up: beside sanivo.exe and
IMAGECFG.EXE, in the current directory, and in the work directory that IMAGECFG runs in. Each
is a canary DLL that leaves C:\\canary\\<name>.loaded when any process loads it. A whole repair
loads none of them and still ends green; that includes the optional iconv.dll, which only
cpconv.exe, running with the user's rights, may load."""

import shutil
import unittest

import winerun
from sanivo_e2e import APP_DIR, PageChecks, SUCCESS, WORK_DIR_NAME, install_release
from test_console_font import seed_windows7

# What Wine's shell32, user32, gdi32 and advapi32 load while the repairs run (seen with
# WINEDEBUG=+loaddll), and libraries that Windows's own DLLs load on demand.
PLANTED = ("shcore.dll", "shlwapi.dll", "combase.dll", "ole32.dll", "oleaut32.dll", "rpcrt4.dll",
           "ucrtbase.dll", "uxtheme.dll", "zlib1.dll", "version.dll", "imm32.dll", "win32u.dll",
           "sechost.dll", "comctl32.dll", "dwmapi.dll", "cryptbase.dll", "winmm.dll",
           "profapi.dll", "userenv.dll", "iconv.dll")
LIVE_NTVDM = r"C:\windows\system32\NTVDM.EXE"
CACHED_NTVDM = r"C:\windows\system32\dllcache\NTVDM.EXE"


class PlantedLibraries(PageChecks):
    def plant_everywhere(self, scenario: winerun.Scenario) -> None:
        (scenario.drive_c / "canary").mkdir()
        temp = [path for path in (scenario.drive_c / "users").glob("*/Temp") if path.is_dir()]
        self.assertEqual(len(temp), 1, temp)
        for directory in (scenario.host_path(APP_DIR), scenario.drive_c / "pracovni",
                          temp[0] / WORK_DIR_NAME):
            directory.mkdir(parents=True, exist_ok=True)
            for name in PLANTED:
                shutil.copy(winerun.program("canary"), directory / name)

    def repair(self, scenario: winerun.Scenario, heading: str, *release_files: str) -> None:
        exe = install_release(scenario, *release_files)
        self.plant_everywhere(scenario)
        result = scenario.run_console(exe, timeout=120, cwd=scenario.drive_c / "pracovni")
        self.assertEqual(result.exit_code, 0, str(result.screen))
        self.assertPainted(result.screen)
        self.assertEqual(result.screen.text(10, 6, len(heading)), heading)
        self.assertStatus(result.screen, SUCCESS, "lime")

    def assertNoCanaryLoaded(self, scenario: winerun.Scenario) -> None:
        loaded = {marker.name: marker.read_text(errors="replace")
                  for marker in (scenario.drive_c / "canary").iterdir()}
        self.assertEqual(loaded, {}, "canary loaded by the program named in each marker")

    def assertCanaryWorks(self, scenario: winerun.Scenario) -> None:
        """A canary that a program does load leaves its marker, so no marker means no load."""
        control = scenario.install(winerun.program("canary"), r"C:\control")
        scenario.run_piped("rundll32.exe", [control + ",Nothing"], timeout=60)
        self.assertTrue((scenario.drive_c / "canary" / "canary.dll.loaded").exists())

    def test_affinity_repair_on_windows_xp(self):
        with winerun.Scenario(version="winxp") as scenario:
            # Wine empties dllcache when a session starts: the cached copy goes in after it.
            scenario.start_session()
            fixture = winerun.program("ntvdm_fixture").read_bytes()
            for path in (LIVE_NTVDM, CACHED_NTVDM):
                host = scenario.host_path(path)
                host.parent.mkdir(parents=True, exist_ok=True)
                host.write_bytes(fixture)
            self.repair(scenario, "- oprava problému s vícejádrovými procesory . . .",
                        "IMAGECFG.EXE")
            self.assertNoCanaryLoaded(scenario)
            self.assertCanaryWorks(scenario)

    def test_font_repair_on_windows_7(self):
        with winerun.Scenario(version="win7") as scenario:
            seed_windows7(scenario)
            self.repair(scenario, "- oprava problému s češtinou ve Windows 7 . . .",
                        "mrk_lccs.ttf")
            self.assertNoCanaryLoaded(scenario)
            self.assertCanaryWorks(scenario)


if __name__ == "__main__":
    unittest.main()
