"""What the end-to-end scenarios share: the release installed into a fresh prefix, the real
sanivo.exe run in an 80 x 25 console, and the page it leaves checked cell by cell."""

from __future__ import annotations

import os
import subprocess
import time
import unittest
from pathlib import Path, PureWindowsPath

import winerun

APP_DIR = r"C:\Program Files\Morek"
RELEASE = Path(os.environ["SANIVO_RELEASE_DIR"])

CAPTION = " MOREK Sanivo - oprava chyb v operačních systémech "
INTRODUCTION = "Program nyní provede následující úpravy operačního sytému:"
SUCCESS = "Úspěšně dokončeno"
WORK_DIR_NAME = "Morek-Sanivo"


def install_release(scenario: winerun.Scenario, *names: str) -> str:
    """Copies the named release files beside each other into APP_DIR; returns sanivo.exe's
    Windows path."""
    for name in ("sanivo.exe", *names):
        scenario.install(RELEASE / name, APP_DIR)
    return str(PureWindowsPath(APP_DIR) / "sanivo.exe")


def run_with_command_line(scenario: winerun.Scenario, exe: str, arguments: str,
                          timeout: float = 120, cwd: str | None = None,
                          file_size_limit: int | None = None) -> winerun.ConsoleResult:
    """Runs sanivo.exe in the console with an exact command line (through launch.exe), from
    the Windows directory cwd if given; file_size_limit as for Scenario.run_console."""
    line_file = scenario.drive_c / "command-line.txt"
    line_file.write_bytes(('"%s"' % exe + arguments).encode("cp1250"))
    launcher = scenario.install(winerun.program("launch"), r"C:\tools")
    return scenario.run_console(launcher, [r"C:\command-line.txt"], timeout=timeout,
                                cwd=scenario.host_path(cwd) if cwd else None,
                                file_size_limit=file_size_limit)


def listing(root: Path) -> set[str]:
    """Every file and directory below root, relative and lower-cased."""
    return {str(path.relative_to(root)).lower() for path in root.rglob("*")}


class PageChecks(unittest.TestCase):
    """Assertions on the one page the program paints, and the other processes a scenario
    stages beside it."""

    def start_holder(self, scenario: winerun.Scenario, arguments: list[str], marker: Path,
                     what: str) -> subprocess.Popen:
        """Starts a helper program of that machine that holds something (a file, the run's
        turn) and waits until it says so by creating `marker`; it is ended with the test."""
        marker.unlink(missing_ok=True)
        holder = subprocess.Popen(scenario.command("wine", *arguments), env=scenario.environment(),
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        self.addCleanup(holder.wait)
        self.addCleanup(holder.kill)
        deadline = time.monotonic() + 60
        while not marker.exists():
            self.assertLess(time.monotonic(), deadline, f"the holder never {what}")
            self.assertIsNone(holder.poll(), "the holder ended")
            time.sleep(0.2)
        return holder

    def hold(self, scenario: winerun.Scenario, windows_path: str) -> subprocess.Popen:
        """Keeps the file open for reading in another process of that machine, sharing only
        reading (not deletion), as a DOS program holds NTVDM.EXE, Windows a registered font or a
        spreadsheet its open file."""
        program = str(winerun.program("holdfile"))
        return self.start_holder(scenario, [program, windows_path, r"C:\held.txt", "120"],
                                 scenario.host_path(r"C:\held.txt"), "opened the file")

    def assertPainted(self, screen: winerun.Screen, bottom_edge: bool = True) -> None:
        self.assertEqual(screen.text(5, 2, 3), "╔══")
        self.assertEqual(screen.text(8, 2, len(CAPTION)), CAPTION)
        self.assertEqual(screen.text(74, 2, 1), "╗")
        if bottom_edge:
            self.assertEqual(screen.text(5, 9, 70), "╚" + "═" * 68 + "╝")
        for row in range(3, 7):
            self.assertEqual(screen.text(5, row, 1), "║", f"row {row}")
            self.assertEqual(screen.text(74, row, 1), "║", f"row {row}")
        self.assertEqual(screen.text(8, 4, len(INTRODUCTION)), INTRODUCTION)
        self.assertColours(screen, 5, 2, "yellow", "navy")
        self.assertColours(screen, 8, 2, "silver", None)
        self.assertColours(screen, 8, 4, "yellow", "navy")
        self.assertColours(screen, 40, 20, None, "navy")

    # Wine's terminal renderer switches to text colour 7 (silver) with a full attribute reset
    # and does not send the background again, so everything written from the first silver
    # text on shows on the terminal's default background, although the console buffer holds
    # navy. Backgrounds are checked only on cells painted before the caption.
    def assertColours(self, screen: winerun.Screen, x: int, y: int, foreground: str | None,
                      background: str | None) -> None:
        cell = screen.cell(x, y)
        if foreground is not None:
            self.assertEqual(cell.foreground, foreground, f"text colour at {x},{y}")
        if background is not None:
            self.assertEqual(cell.background, background, f"background at {x},{y}")

    def assertStatus(self, screen: winerun.Screen, text: str, colour: str) -> None:
        self.assertEqual(screen.text(15, 7, len(text)), text, str(screen))
        self.assertColours(screen, 15, 7, colour, None)


def reg_add(scenario: winerun.Scenario, key: str, name: str, data: str,
            kind: str = "REG_SZ") -> None:
    """Seeds a registry value as the system would have it."""
    winerun.subprocess.run(scenario.command("wine", "reg", "add", key, "/v", name, "/t", kind,
                                            "/d", data, "/f"),
                           env=scenario.environment(), stdin=winerun.subprocess.DEVNULL,
                           capture_output=True, timeout=120, check=True)
