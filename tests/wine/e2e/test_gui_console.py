#!/usr/bin/env python3
"""GUISEND.EXE against a real window of the GUI console's class, under Xvfb: the exact message
sequences for styles, colours, a Windows-1250 letter, -info and the empty text; and, without a
receiver, exit code 0 and nothing posted."""

from __future__ import annotations

import os
import shutil
import subprocess
import time
import unittest
from pathlib import Path

import winerun
from sanivo_e2e import APP_DIR, RELEASE

END = (9998, 1)


def chars(text: bytes) -> list[tuple[int, int]]:
    return [(9999, byte) for byte in text]


def free_display() -> int:
    for number in range(90, 190):
        if not Path(f"/tmp/.X11-unix/X{number}").exists() and \
                not Path(f"/tmp/.X{number}-lock").exists():
            return number
    raise RuntimeError("no free X display number")


class GuiConsole(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = f":{free_display()}"
        cls.xvfb = subprocess.Popen(["Xvfb", cls.display, "-screen", "0", "800x600x24",
                                     "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
        for _ in range(100):
            if Path(f"/tmp/.X11-unix/X{cls.display[1:]}").exists():
                break
            time.sleep(0.1)

    @classmethod
    def tearDownClass(cls):
        cls.xvfb.terminate()
        cls.xvfb.wait(timeout=30)

    def setUp(self):
        self.scenario = winerun.Scenario().__enter__()
        self.addCleanup(self.scenario.close)
        self.env = self.scenario.environment() | {"DISPLAY": self.display}
        self.guisend = self.scenario.install(RELEASE / "GUISEND.EXE", APP_DIR)
        self.log = self.scenario.drive_c / "received.txt"

    def send(self, *arguments: str) -> int:
        return subprocess.run(["wine", self.guisend, *arguments], env=self.env,
                              stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=120).returncode

    def received(self) -> list[tuple[int, int]]:
        if not self.log.exists():
            return []
        lines = self.log.read_text().split()
        triples = [tuple(int(v) for v in lines[i:i + 3]) for i in range(0, len(lines), 3)]
        for message, _, l_param in triples:
            self.assertIn(message, (9998, 9999))
            self.assertEqual(l_param, 0)
        return [(message, w_param) for message, w_param, _ in triples]

    def start_receiver(self) -> None:
        receiver = self.scenario.install(winerun.program("gui_receiver"), r"C:\tools")
        ready = self.scenario.drive_c / "ready"
        subprocess.Popen(["wine", receiver, r"C:\received.txt", r"C:\ready"], env=self.env,
                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
        for _ in range(600):
            if ready.exists():
                return
            time.sleep(0.1)
        self.fail("the receiver's window did not come up")

    def sequence_of(self, *arguments: str) -> list[tuple[int, int]]:
        """What one GUISEND call posts: the messages up to the end command it ends with."""
        before = len(self.received())
        self.assertEqual(self.send(*arguments), 0)
        for _ in range(300):
            got = self.received()[before:]
            if END in got:
                return got
            time.sleep(0.1)
        return self.received()[before:]

    def test_without_a_receiver_nothing_is_posted_and_the_exit_code_is_0(self):
        self.assertEqual(self.send("-style:1", "text"), 0)
        self.assertEqual(self.send(), 0)
        self.start_receiver()
        self.assertEqual(self.received(), [])

    def test_sequences_for_styles_colours_letters_info_and_the_empty_text(self):
        self.start_receiver()
        cases = [
            (["plain"], [(9998, 2), (9998, 6)] + chars(b"plain")),
            (["-style:1", "bold"], [(9998, 3), (9998, 6)] + chars(b"bold")),
            (["-style:2", "it"], [(9998, 4), (9998, 6)] + chars(b"it")),
            (["-style:3", "bi"], [(9998, 5), (9998, 6)] + chars(b"bi")),
            (["-style:4", "u"], [(9998, 2), (9998, 6)] + chars(b"u")),
            (["-color:0xFF0000", "b"], [(9998, 2), (9998, 7)] + chars(b"b")),
            (["-color:0x008000", "g"], [(9998, 2), (9998, 8)] + chars(b"g")),
            (["-color:0x0000FF", "r"], [(9998, 2), (9998, 9)] + chars(b"r")),
            (["-color:0xFE0000", "n"], [(9998, 2), (9998, 6)] + chars(b"n")),
            (["á"], [(9998, 2), (9998, 6), (9999, 225)]),
            (["-info", "ab"], [(9998, 2), (9998, 6)] + chars(b"[i] ab")),
            ([], []),
        ]
        for arguments, expected in cases:
            with self.subTest(arguments=arguments):
                self.assertEqual(self.sequence_of(*arguments), expected + [END])

    def test_bad_options_give_the_usage_line_and_exit_code_2(self):
        done = subprocess.run(["wine", self.guisend, "-style:300", "x"], env=self.env,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        self.assertEqual(done.returncode, 2)
        self.assertTrue(done.stderr.startswith(b"usage: GUISEND"), done.stderr)


if __name__ == "__main__":
    if shutil.which("Xvfb") is None:
        raise SystemExit("Xvfb is missing: scripts/setup installs it (package xvfb)")
    unittest.main()
