#!/usr/bin/env python3
"""The command-line parser under Wine: exact command lines reach the real GetCommandLineA
through launch.exe, and params_probe.exe prints what the parser recorded."""

import unittest

import winerun

PROBE_DIRECTORY = r"C:\Program Files\Morek"


class ParamsUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scenario = winerun.Scenario().__enter__()
        cls.probe = cls.scenario.install(winerun.program("params_probe"), PROBE_DIRECTORY)

    @classmethod
    def tearDownClass(cls):
        cls.scenario.close()

    def parse(self, arguments):
        """The probe's lines for the command line `"<probe>"` + arguments (a str)."""
        line_file = self.scenario.drive_c / "command-line.txt"
        line_file.write_bytes(('"%s"' % self.probe + arguments).encode("cp1250"))
        result = self.scenario.run_piped(winerun.program("launch"), [r"C:\command-line.txt"],
                                         timeout=60)
        self.assertEqual(result.exit_code, 0, result.stderr.decode("cp1250", "replace"))
        return result.stdout.decode("cp1250").splitlines()

    def test_drive_path_with_final_backslash(self):
        self.assertEqual(self.parse(r" -ZALOHA:D:\zal\ "), [
            r"tail=[ -ZALOHA:D:\zal\ ]",
            r"param index=0 name=[ZALOHA] value=[D:\zal\] values=[D:\zal\]",
            r"zaloha=1 [D:\zal\]",
            "positional=none",
        ])

    def test_quoted_argument_with_space_and_final_backslash(self):
        # A backslash before a quote escapes nothing, so the next argument survives.
        self.assertEqual(self.parse(r' "-zaloha:C:\zal dir\" next'), [
            r'tail=[ "-zaloha:C:\zal dir\" next]',
            r"param index=0 name=[zaloha] value=[C:\zal dir\] values=[C:\zal dir\]",
            "param index=1 name=[] value=[next] values=[next]",
            r"zaloha=1 [C:\zal dir\]",
            "positional=1",
        ])

    def test_quotes_inside_an_argument_and_czech_letters(self):
        self.assertEqual(self.parse(r' zaloha -Záloha:"C:\Program Files\Žluťák\" x;y'), [
            r'tail=[ zaloha -Záloha:"C:\Program Files\Žluťák\" x;y]',
            "param index=0 name=[] value=[zaloha] values=[zaloha]",
            r"param index=1 name=[Záloha] value=[C:\Program Files\Žluťák\] "
            r"values=[C:\Program Files\Žluťák\]",
            "param index=2 name=[] value=[x;y] values=[x][y]",
            "zaloha=0 []",
            "positional=0",
        ])

    def test_double_dash_is_another_name(self):
        self.assertEqual(self.parse(" --zaloha"), [
            "tail=[ --zaloha]",
            "param index=0 name=[-zaloha] value=[] values=[]",
            "zaloha=0 []",
            "positional=none",
        ])

    def test_first_of_two_values_answers(self):
        self.assertEqual(self.parse(" -zaloha:a -zaloha:b"), [
            "tail=[ -zaloha:a -zaloha:b]",
            "param index=0 name=[zaloha] value=[a] values=[a]",
            "param index=1 name=[zaloha] value=[b] values=[b]",
            "zaloha=1 [a]",
            "positional=none",
        ])

    def test_no_arguments(self):
        self.assertEqual(self.parse(""), ["tail=[]", "zaloha=0 []", "positional=none"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
