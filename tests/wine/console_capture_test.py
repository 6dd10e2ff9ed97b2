"""The runner's own scenario: a program paints a known screen in an 80 x 25 pane, and the
screen, its colours, the exit code and the Windows version of the prefix come back."""

import unittest

import winerun


class ConsoleCaptureTest(unittest.TestCase):
    def test_screen_colours_exit_code_and_version(self):
        for version, expected in (("win7", "6.1"), ("winxp", "5.1")):
            with self.subTest(version=version), winerun.Scenario(version=version) as scenario:
                self.assertEqual(scenario.reg_value(r"HKCU\Software\Wine", "Version").data,
                                 version)
                exe = scenario.install(winerun.program("console_paint"), r"C:\Program Files\Test")
                self.assertTrue(scenario.host_path(exe).is_file())

                result = scenario.run_console(exe, timeout=60)

                self.assertFalse(result.timed_out)
                self.assertEqual(result.exit_code, 3)
                self.assertEqual(result.title, "Console paint č")
                screen = result.screen
                self.assertEqual((screen.width, screen.height), (80, 25))
                self.assertEqual(screen.text(8, 4, 5), "Hello")
                self.assertEqual((screen.cell(8, 4).foreground, screen.cell(8, 4).background),
                                 ("yellow", "navy"))
                self.assertEqual(screen.attribute(12, 4), 0x1E)
                self.assertEqual(screen.attribute(13, 4), 0x17)  # painted blank after it
                self.assertEqual(screen.text(0, 6, 13), "Žluťoučký kůň")
                self.assertEqual(screen.attribute(0, 6), 0x4A)
                self.assertEqual(screen.text(0, 8, 4), expected + " ")
                self.assertEqual(screen.attribute(0, 8), 0x1F)
                self.assertEqual(screen.text(0, 10, 6), "80x25 ")
                # The last cell was only filled: a blank, silver on navy.
                self.assertEqual((screen.text(79, 24), screen.attribute(79, 24)), (" ", 0x17))

    def test_piped_run_gives_exit_code(self):
        with winerun.Scenario() as scenario:
            result = scenario.run_piped(winerun.program("console_paint"), timeout=60)
            self.assertFalse(result.timed_out)
            self.assertEqual(result.exit_code, 3)
            self.assertIn(b"Hello", result.stdout)  # the console calls fail; the writes do not


class ScreenParsingTest(unittest.TestCase):
    """The parsing of tmux's capture, on captures written by hand."""

    def test_colours_carry_over_lines_and_rows_are_padded(self):
        captured = "\x1b[93m\x1b[44mAB\n\nC\x1b[39m\x1b[49mD\x1b[1;31mE\x1b[0mF\n"
        screen = winerun.Screen.parse(captured)
        self.assertEqual((screen.width, screen.height), (80, 25))
        self.assertEqual([screen.attribute(x, 0) for x in range(3)], [0x1E, 0x1E, 0x07])
        self.assertEqual(screen.text(0, 2, 4), "CDEF")
        self.assertEqual(screen.attribute(0, 2), 0x1E)
        self.assertEqual(screen.cell(1, 2).foreground, "silver")
        self.assertEqual(screen.cell(2, 2).foreground, "red")  # bold makes it bright
        self.assertEqual(screen.attribute(3, 2), 0x07)
        self.assertEqual(screen.row(24), " " * 80)

    def test_indexed_and_bright_background_colours(self):
        screen = winerun.Screen.parse("\x1b[38;5;9m\x1b[104mX\x1b[38;5;4mY")
        self.assertEqual(screen.attribute(0, 0), 0x9C)
        self.assertEqual(screen.cell(1, 0).foreground, "navy")

    def test_registry_listing(self):
        listing = ("\r\nHKEY_CURRENT_USER\\Software\\Wine\r\n"
                   "    Version    REG_SZ    winxp\r\n"
                   "    (Default)    REG_SZ    \r\n"
                   "    Font Size    REG_DWORD    0x1e\r\n")
        values = winerun.parse_reg_query(listing)
        self.assertEqual([(v.name, v.type, v.data) for v in values],
                         [("Version", "REG_SZ", "winxp"), ("(Default)", "REG_SZ", ""),
                          ("Font Size", "REG_DWORD", "0x1e")])


if __name__ == "__main__":
    unittest.main()
