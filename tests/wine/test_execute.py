#!/usr/bin/env python3
"""ExecuteAndWait on Wine's real shell: exec_probe.exe starts sleeper.exe, which creates a
marker file when it ends, and reports how long the call took and whether the child had ended."""

import re
import time
import unittest

import winerun

PROBE_DIRECTORY = r"C:\probes"
REPORT = re.compile(r"returned=(\d) elapsed_ms=(\d+) child_ended=(yes|no)")


class ExecuteAndWaitUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scenario = winerun.Scenario().__enter__()
        cls.probe = cls.scenario.install(winerun.program("exec_probe"), PROBE_DIRECTORY)
        cls.sleeper = cls.scenario.install(winerun.program("sleeper"), PROBE_DIRECTORY)

    @classmethod
    def tearDownClass(cls):
        cls.scenario.close()

    def execute(self, program, parameters, limit_ms, marker):
        result = self.scenario.run_piped(self.probe, [program, parameters, str(limit_ms), marker],
                                         timeout=60)
        self.assertEqual(result.exit_code, 0, result.stderr.decode("cp1250", "replace"))
        return result.stdout.decode("cp1250").strip()

    def run_sleeper(self, sleep_ms, limit_ms):
        """(returned, elapsed ms, child ended, marker) for a sleeper of `sleep_ms`."""
        marker = r"C:\ended-%d-%d" % (sleep_ms, limit_ms)
        report = self.execute(self.sleeper, "%d %s" % (sleep_ms, marker), limit_ms, marker)
        match = REPORT.fullmatch(report)
        self.assertIsNotNone(match, report)
        return match.group(1) == "1", int(match.group(2)), match.group(3) == "yes", marker

    def test_without_limit_returns_only_after_the_program_ended(self):
        returned, elapsed, ended, _ = self.run_sleeper(1500, 0)
        self.assertTrue(returned)
        self.assertTrue(ended)
        self.assertGreaterEqual(elapsed, 1500)

    def test_limit_gives_up_and_leaves_the_program_running(self):
        returned, elapsed, ended, marker = self.run_sleeper(4000, 100)
        self.assertTrue(returned)
        self.assertFalse(ended)
        # Four waits and three sleeps of 50 ms each: about 350 ms, never the child's 4 s.
        self.assertGreaterEqual(elapsed, 300)
        self.assertLess(elapsed, 2000)
        marker_file = self.scenario.host_path(marker)
        deadline = time.monotonic() + 15
        while not marker_file.exists() and time.monotonic() < deadline:
            time.sleep(0.2)
        self.assertTrue(marker_file.exists(), "the started program was stopped")

    def test_missing_program_raises_the_system_error_text(self):
        report = self.execute(r"C:\nowhere\IMAGECFG.EXE", "", 0, r"C:\never")
        # Windows reports ERROR_FILE_NOT_FOUND here; Wine's shell, which tries to show an
        # error box without a display, leaves a different code. Either way a system message,
        # trimmed of its full stop and line break.
        match = re.fullmatch(r"raised=Exception message=\[(.+)\]", report)
        self.assertIsNotNone(match, report)
        self.assertFalse(match.group(1).endswith((".", " ", "\n", "\r")), report)


if __name__ == "__main__":
    unittest.main(verbosity=2)
