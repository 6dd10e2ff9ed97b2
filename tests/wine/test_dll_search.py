#!/usr/bin/env python3
"""The restricted DLL search under Wine: a library that a system DLL would load by its bare name
is not taken from the program's directory nor from the current directory once the search is
restricted, and still comes from the system directory when it is there; the libraries that the
seam loads by full path keep loading."""

import shutil
import unittest

import winerun

PROBE_DIRECTORY = r"C:\probe"
SYSTEM = r"C:\windows\system32"


class RestrictedDllSearch(unittest.TestCase):
    def test_planted_libraries_are_passed_over_once_restricted(self):
        with winerun.Scenario(version="winxp") as scenario:
            probe = scenario.install(winerun.program("dll_search_probe"), PROBE_DIRECTORY)
            current = scenario.drive_c / "current"
            current.mkdir()
            # uxtheme.dll is in the system directory as well; sanivo_optional.dll only where
            # it is planted, like an optional library the system looks for.
            canary = winerun.program("canary")
            shutil.copy(canary, scenario.host_path(PROBE_DIRECTORY) / "uxtheme.dll")
            shutil.copy(canary, current / "sanivo_optional.dll")
            cases = (("unrestricted", "uxtheme.dll", PROBE_DIRECTORY + r"\uxtheme.dll"),
                     ("restricted", "uxtheme.dll", SYSTEM + r"\uxtheme.dll"),
                     ("unrestricted", "sanivo_optional.dll", r"C:\current\sanivo_optional.dll"),
                     ("restricted", "sanivo_optional.dll", "not loaded"))
            for mode, name, expected in cases:
                with self.subTest(mode=mode, name=name):
                    result = scenario.run_piped(probe, [mode, name], timeout=60, cwd=current)
                    self.assertEqual(result.exit_code, 0, result.stderr)
                    self.assertEqual(result.stdout.decode("cp1250").lower().split("\r\n"),
                                     [expected.lower(), "version info read", ""])


if __name__ == "__main__":
    unittest.main()
