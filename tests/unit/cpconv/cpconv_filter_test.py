#!/usr/bin/env python3
"""The native cpconv as a filter: binary-safe conversion in pieces and the usage message."""

import subprocess
import sys
import unittest

CPCONV = sys.argv.pop(1)


def run(*arguments: str, data: bytes = b"") -> subprocess.CompletedProcess:
    return subprocess.run([CPCONV, *arguments], input=data, capture_output=True, timeout=60)


class Filter(unittest.TestCase):
    def test_every_byte_goes_through_and_zero_bytes_survive(self):
        data = bytes(range(256)) * 3
        done = run("13", "24", data=data)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(len(done.stdout), len(data))
        self.assertEqual(done.stdout[:128], bytes(range(128)))
        self.assertEqual(done.stdout[0xE8], 0x9F)  # č

    def test_a_text_longer_than_a_piece_keeps_sequences_cut_between_pieces(self):
        data = ("ž" * 300_000).encode()  # 600 000 bytes: pieces end inside a character
        done = run("-f", "utf-8", "-t", "cp852", data=data)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(done.stdout, b"\xA7" * 300_000)

    def test_unicode_forms_and_options(self):
        self.assertEqual(run("13", "27", data="čau".encode("cp1250")).stdout, "čau".encode())
        self.assertEqual(run("27", "28", data="é+".encode()).stdout, b"+AOk-+-")
        self.assertEqual(run("--strict", "13", "24", data=b"a\x80b").stdout, b"ab")
        self.assertEqual(run("--map", "10D,17E", "13", "24", data=b"\xE8").stdout, b"\xA7")

    def test_bad_arguments_give_a_message_and_exit_code_2(self):
        for arguments in ([], ["13"], ["13", "24", "-q"], ["--map", "xyz", "1", "2"]):
            done = run(*arguments)
            self.assertEqual(done.returncode, 2, arguments)
            self.assertTrue(done.stderr.startswith(b"cpconv: "), done.stderr)
            self.assertEqual(done.stdout, b"")


if __name__ == "__main__":
    unittest.main()
