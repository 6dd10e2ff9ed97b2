#!/usr/bin/env python3
"""The shared log under load: 50 writers in five prefixes, each prefix a machine of its own
with its own wineserver and computer name, append to one log in a folder that every prefix
sees as drive Z:, all released in the same moment, each 20 records one after another. Share
modes do not reach from one prefix to another (each has its own server), so only the byte-range
lock keeps the records apart, as it does between machines on a network share: without it,
records come out torn or lost. Everything stays in the scenarios' own folders."""

import subprocess
import tempfile
import time
import unittest
from pathlib import Path

import winerun

PREFIXES = 5
WRITERS_PER_PREFIX = 10
# Each writer appends this many records one after the other, so that the writers overlap for
# a while rather than for one append each.
RECORDS_PER_WRITER = 20
HEADER = "cas;pocitac;uzivatel;windows;oprava;vysledek;zprava;zaloha;pricina;verze"
# What a run stopped while it wrote its record left at the end of the log, without a line end.
HALF_RECORD = "2026-12-08 09:30:00;STRESS-9;user;5.1"


class SharedLogUnderLoad(unittest.TestCase):
    def setUp(self):
        self.shared = Path(tempfile.mkdtemp(prefix="shared-log-",
                                            dir=winerun.pristine_from_environment().parent))
        self.addCleanup(lambda: subprocess.run(["rm", "-rf", str(self.shared)]))
        (self.shared / "ready").mkdir()
        (self.shared / "sanivo.csv").write_bytes(
            b"\xef\xbb\xbf" + HEADER.encode() + b"\r\n" + HALF_RECORD.encode())
        self.machines = []
        for number in range(PREFIXES):
            scenario = winerun.Scenario(version="win10", computer_name=f"STRESS-{number}")
            scenario.__enter__()
            self.addCleanup(scenario.close)
            scenario.map_drive("z", self.shared)
            scenario.start_session(seconds=300)
            self.machines.append(scenario)

    def start_writers(self) -> list:
        writers = []
        for number, scenario in enumerate(self.machines):
            exe = scenario.install(winerun.program("logwriter"), r"C:\tools")
            for writer in range(WRITERS_PER_PREFIX):
                name = f"writer-{number}-{writer}"
                process = subprocess.Popen(
                    scenario.command("wine", exe, r"Z:\sanivo.csv", name, rf"Z:\ready\{name}",
                                     r"Z:\start", str(RECORDS_PER_WRITER)),
                    env=scenario.environment(), stdin=subprocess.DEVNULL,
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                self.addCleanup(process.wait)
                self.addCleanup(process.kill)
                writers.append((name, process))
        return writers

    def test_fifty_writers_at_once_leave_every_record_whole(self):
        writers = self.start_writers()
        deadline = time.monotonic() + 400
        while len(list((self.shared / "ready").iterdir())) < len(writers):
            self.assertLess(time.monotonic(), deadline, "the writers never got ready")
            for name, process in writers:
                self.assertIsNone(process.poll(), f"{name} ended before the start")
            time.sleep(0.2)
        (self.shared / "start").write_bytes(b"")
        for name, process in writers:
            self.assertEqual(process.wait(timeout=max(1, deadline + 120 - time.monotonic())), 0,
                             name)

        content = (self.shared / "sanivo.csv").read_bytes()
        self.assertTrue(content.startswith(b"\xef\xbb\xbf" + HEADER.encode() + b"\r\n"),
                        content[:100])
        lines = content[3:].decode("utf-8").split("\r\n")
        self.assertEqual(lines[-1], "", "the log ends with a whole line")
        self.assertEqual(lines[1], HALF_RECORD, "the next record starts on a line of its own")
        records = [line.split(";") for line in lines[2:-1]]
        for record in records:
            self.assertEqual(len(record), 10, record)
            self.assertRegex(record[0], r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")
            self.assertEqual(record[4:6], ["zadna", "neni-potreba"], record)
            self.assertEqual(record[1], "STRESS-" + record[6].split("-")[1], record)
        expected = [f"{name}#{number}" for name, _ in writers
                    for number in range(1, RECORDS_PER_WRITER + 1)]
        self.assertEqual(sorted(record[6] for record in records), sorted(expected))


if __name__ == "__main__":
    unittest.main()
