#!/usr/bin/env python3
"""Runs Windows programs under Wine for the tests.

One pristine 32-bit Wine prefix is made per build directory (the CTest fixture ``wine_prefix``
runs ``winerun.py make-prefix DIR``). Every scenario works on a copy of it of its own, with the
Windows version it asks for, and runs programs with LANG=cs_CZ.UTF-8 (ANSI code page 1250, OEM
code page 852) and WINEDEBUG=-all: either in a tmux pane of exactly 80 x 25 cells, whose screen
is read back with its colours, or with standard output and error as pipes.

In a scenario (a Python unittest script, see sanivo_wine_scenario in CMakeLists.txt):

    import winerun

    with winerun.Scenario(version="winxp") as scenario:   # a fresh copy of the prefix
        exe = scenario.install(winerun.program("sanivo"), r"C:\\Program Files\\Morek")
        result = scenario.run_console(exe, ["-zaloha"], timeout=60)
        assert result.exit_code == 0
        assert result.screen.text(8, 4, 5) == "Hello"
        cell = result.screen.cell(8, 4)           # column 8, row 4, both from 0
        assert (cell.char, cell.foreground, cell.background) == ("H", "yellow", "navy")
        assert result.screen.attribute(8, 4) == 0x1E
        ntvdm = scenario.host_path(r"C:\\windows\\system32\\ntvdm.exe")   # a pathlib.Path
        assert scenario.reg_value(r"HKCU\\Software\\Wine", "Version").data == "winxp"
        piped = scenario.run_piped(exe, [], timeout=60)  # .exit_code, .stdout, .stderr (bytes)

    # One machine among several: its own computer name (every Wine process of the prefix runs
    # in a UTS namespace with that host name; needs root) and a drive shared with the others.
    with winerun.Scenario(version="winxp", computer_name="PC-01") as machine:
        machine.map_drive("z", shared_folder)
        subprocess.Popen(machine.command("wine", exe, "-tise"), env=machine.environment())

Colours are the sixteen console colours by the names of the program's palette: black, navy,
green, teal, maroon, purple, olive, silver, gray, blue, lime, aqua, red, fuchsia, yellow, white.
The pristine prefix is taken from WINERUN_PRISTINE (CTest sets it) unless one is given. A
scenario's copy lies beside it and is removed when the scenario closes, unless keep=True (or
WINERUN_KEEP=1) asks to keep it; make-prefix removes what is left over, so one test run at a
time may use a build directory.

From the command line:

    winerun.py make-prefix DIR               make the pristine prefix DIR if it is not there
    winerun.py run [--version V] [--keep] [--timeout S] -- PROGRAM ARGS...
                                             run with piped output in a fresh copy; the
                                             program's output and exit code are passed on
    winerun.py console [--version V] [--keep] [--timeout S] -- PROGRAM ARGS...
                                             run in an 80 x 25 pane and print the screen
"""

from __future__ import annotations

import argparse
import contextlib
import dataclasses
import fcntl
import itertools
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path, PureWindowsPath
from typing import Callable, Iterator, Sequence

SCREEN_WIDTH = 80
SCREEN_HEIGHT = 25
READY_MARK = ".winerun-ready"  # in the pristine prefix; holds the Wine version that made it
SCENARIO_PREFIX = "scenario-"  # the copies, beside the pristine prefix

# The console's colours by attribute index.
COLOUR_NAMES = ("black", "navy", "green", "teal", "maroon", "purple", "olive", "silver",
                "gray", "blue", "lime", "aqua", "red", "fuchsia", "yellow", "white")
DEFAULT_FOREGROUND = 7  # the terminal's default colours stand for attribute 0x07
DEFAULT_BACKGROUND = 0
# ANSI orders the basic colours red-green-blue by bit; the console blue-green-red.
_ANSI_TO_CONSOLE = (0, 4, 2, 6, 1, 5, 3, 7)

_session_numbers = itertools.count(1)


class WineRunError(RuntimeError):
    """Something around the program failed: the prefix, tmux, or wine itself."""


# ---- Environment and the pristine prefix -------------------------------------------------------

def wine_environment(prefix: Path) -> dict[str, str]:
    """The environment for wine in `prefix`: Czech locale, no debug output, no display."""
    env = {name: value for name, value in os.environ.items()
           if not name.startswith(("LC_", "WINE", "TMUX"))
           and name not in ("DISPLAY", "WAYLAND_DISPLAY", "LANGUAGE")}
    env.update({
        "WINEPREFIX": str(prefix),
        "WINEARCH": "win32",
        "WINEDEBUG": "-all",
        "LANG": "cs_CZ.UTF-8",
        # No installers for .NET or the HTML engine; nothing is downloaded.
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
    })
    return env


def wine_version() -> str:
    return subprocess.run(["wine", "--version"], capture_output=True, text=True,
                          check=True).stdout.strip()


@contextlib.contextmanager
def _locked(path: Path) -> Iterator[None]:
    path.parent.mkdir(parents=True, exist_ok=True)
    with open(path, "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        yield


def make_pristine(prefix: Path, log=sys.stdout) -> Path:
    """Makes the pristine 32-bit prefix at `prefix` unless it is there, made by this Wine."""
    prefix = Path(prefix).absolute()
    mark = prefix / READY_MARK
    version = wine_version()
    with _locked(prefix.with_name(prefix.name + ".lock")):
        remove_leftover_scenarios(prefix.parent)
        if mark.exists() and mark.read_text() == version:
            return prefix
        if prefix.exists():  # half made, or by another Wine
            shutil.rmtree(prefix)
        prefix.parent.mkdir(parents=True, exist_ok=True)
        env = wine_environment(prefix)
        started = time.monotonic()
        boot = subprocess.run(["wineboot", "-i"], env=env, stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, timeout=900)
        subprocess.run(["wineserver", "-w"], env=env, timeout=900)
        if boot.returncode != 0 or not (prefix / "system.reg").exists():
            raise WineRunError(f"wineboot failed ({boot.returncode}):\n{boot.stderr}")
        mark.write_text(version)
        print(f"winerun: made {prefix} with {version} in {time.monotonic() - started:.1f} s",
              file=log)
    return prefix


def remove_leftover_scenarios(directory: Path) -> None:
    """Removes the copies that runs killed before their end left behind. The fixture calls it
    before any scenario starts: one test run at a time per build directory."""
    for leftover in directory.glob(SCENARIO_PREFIX + "*"):
        prefix = leftover / "prefix"
        if prefix.is_dir():
            subprocess.run(["wineserver", "-k"], env=wine_environment(prefix),
                           capture_output=True, timeout=60)
        shutil.rmtree(leftover, ignore_errors=True)


def pristine_from_environment() -> Path:
    value = os.environ.get("WINERUN_PRISTINE")
    if not value:
        raise WineRunError("WINERUN_PRISTINE is not set: give the pristine prefix")
    prefix = Path(value)
    if not (prefix / READY_MARK).exists():
        raise WineRunError(f"{prefix} is no pristine prefix: run 'winerun.py make-prefix' first")
    return prefix


def program(name: str) -> Path:
    """A program of the build, by the name that sanivo_wine_scenario(... PROGRAMS) gave it."""
    value = os.environ.get(f"WINERUN_PROGRAM_{name}")
    if not value:
        raise WineRunError(f"WINERUN_PROGRAM_{name} is not set")
    return Path(value)


# ---- The screen --------------------------------------------------------------------------------

@dataclasses.dataclass(frozen=True)
class Cell:
    char: str
    foreground_index: int
    background_index: int

    @property
    def foreground(self) -> str:
        return COLOUR_NAMES[self.foreground_index]

    @property
    def background(self) -> str:
        return COLOUR_NAMES[self.background_index]

    @property
    def attribute(self) -> int:
        """The console attribute the cell shows: foreground in the low, background in the high
        four bits."""
        return self.foreground_index | self.background_index << 4


_BLANK = Cell(" ", DEFAULT_FOREGROUND, DEFAULT_BACKGROUND)
_SGR = re.compile(r"\x1b\[([0-9;:]*)m")
_OTHER_ESCAPE = re.compile(r"\x1b(?:\[[0-9;:?]*[A-Za-z]|[()][0-9A-Za-z]|[=>])")


class _Pen:
    """The colours that tmux's escape sequences select, as console colour indexes."""

    def __init__(self) -> None:
        self.foreground = DEFAULT_FOREGROUND
        self.background = DEFAULT_BACKGROUND
        self.bold = False

    def apply(self, parameters: str) -> None:
        codes = [int(code) if code else 0 for code in re.split("[;:]", parameters)]
        i = 0
        while i < len(codes):
            code = codes[i]
            if code == 0:
                self.__init__()
            elif code == 1:
                self.bold = True
            elif code == 22:
                self.bold = False
            elif 30 <= code <= 37:
                self.foreground = _ANSI_TO_CONSOLE[code - 30] | (8 if self.bold else 0)
            elif code == 39:
                self.foreground = DEFAULT_FOREGROUND
            elif 40 <= code <= 47:
                self.background = _ANSI_TO_CONSOLE[code - 40]
            elif code == 49:
                self.background = DEFAULT_BACKGROUND
            elif 90 <= code <= 97:
                self.foreground = _ANSI_TO_CONSOLE[code - 90] | 8
            elif 100 <= code <= 107:
                self.background = _ANSI_TO_CONSOLE[code - 100] | 8
            elif code in (38, 48) and i + 2 < len(codes) and codes[i + 1] == 5:
                colour = _indexed_colour(codes[i + 2])
                if code == 38:
                    self.foreground = colour
                else:
                    self.background = colour
                i += 2
            elif code in (38, 48) and i + 4 < len(codes) and codes[i + 1] == 2:
                raise WineRunError(f"true-colour sequence in the screen: {parameters}")
            i += 1


def _indexed_colour(index: int) -> int:
    if not 0 <= index <= 15:
        raise WineRunError(f"colour {index} is none of the console's sixteen")
    return _ANSI_TO_CONSOLE[index & 7] | (index & 8)


class Screen:
    """An 80 x 25 screen as `tmux capture-pane -p -e` gives it: rows of cells, each with its
    character and its console colours. Positions are column x and row y, both from 0."""

    def __init__(self, rows: list[list[Cell]]):
        self.rows = rows

    @classmethod
    def parse(cls, captured: str, width: int = SCREEN_WIDTH, height: int = SCREEN_HEIGHT):
        pen = _Pen()  # tmux carries the colours over from one line to the next
        rows: list[list[Cell]] = []
        for line in captured.split("\n")[:height]:
            row: list[Cell] = []
            position = 0
            while position < len(line):
                sgr = _SGR.match(line, position)
                if sgr:
                    pen.apply(sgr.group(1))
                    position = sgr.end()
                    continue
                other = _OTHER_ESCAPE.match(line, position)
                if other:
                    position = other.end()
                    continue
                row.append(Cell(line[position], pen.foreground, pen.background))
                position += 1
            if len(row) > width:
                raise WineRunError(f"row {len(rows)} has {len(row)} cells: {line!r}")
            # tmux leaves off the cells at the end of a row that were never written.
            rows.append(row + [_BLANK] * (width - len(row)))
        rows += [[_BLANK] * width for _ in range(height - len(rows))]
        return cls(rows)

    @property
    def width(self) -> int:
        return len(self.rows[0])

    @property
    def height(self) -> int:
        return len(self.rows)

    def cell(self, x: int, y: int) -> Cell:
        return self.rows[y][x]

    def attribute(self, x: int, y: int) -> int:
        return self.cell(x, y).attribute

    def text(self, x: int, y: int, length: int | None = None) -> str:
        """The characters of row y from column x on (to the end of the row without length)."""
        cells = self.rows[y][x:] if length is None else self.rows[y][x:x + length]
        return "".join(cell.char for cell in cells)

    def row(self, y: int) -> str:
        return self.text(0, y)

    def __str__(self) -> str:
        return "\n".join(self.row(y).rstrip() for y in range(self.height))


# ---- Results -----------------------------------------------------------------------------------

@dataclasses.dataclass
class ConsoleResult:
    exit_code: int | None  # None when the time ran out; 128 + N when signal N ended wine
    timed_out: bool
    screen: Screen
    title: str  # the console title, as the terminal got it
    captured: str  # the raw capture, escape sequences included


@dataclasses.dataclass
class PipedResult:
    exit_code: int | None  # None when the time ran out
    timed_out: bool
    stdout: bytes
    stderr: bytes


@dataclasses.dataclass
class RegistryValue:
    name: str  # "(Default)" for the unnamed value, as reg.exe shows it
    type: str  # "REG_SZ", "REG_DWORD", ...
    data: str  # as reg.exe shows it: strings as they are, numbers as "0x1e"


# ---- A scenario: one copy of the prefix --------------------------------------------------------

class Scenario:
    """A fresh copy of the pristine prefix, for one scenario; use it as a context manager."""

    def __init__(self, version: str | None = None, pristine: Path | None = None,
                 keep: bool | None = None, computer_name: str | None = None):
        self.version = version
        # The machine's own name: every Wine process of the scenario, its wineserver included,
        # runs in a UTS namespace of its own whose host name is this (needs root).
        self.computer_name = computer_name
        self.pristine = Path(pristine) if pristine else pristine_from_environment()
        self.keep = keep if keep is not None else os.environ.get("WINERUN_KEEP") == "1"
        self.root: Path | None = None

    def __enter__(self) -> "Scenario":
        self.root = Path(tempfile.mkdtemp(prefix=SCENARIO_PREFIX, dir=self.pristine.parent))
        try:
            # A full copy: Wine and the programs write into the prefix's files in place, so
            # hard links would change the pristine prefix. Some 600 MB take about two seconds.
            subprocess.run(["cp", "-a", str(self.pristine), str(self.prefix)], check=True)
            if self.version:
                set_windows_version(self.prefix, self.version)
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc_info) -> None:
        self.close()

    def close(self) -> None:
        if self.root is None:
            return
        self.stop_wine()
        if self.keep:
            print(f"winerun: kept {self.prefix}", file=sys.stderr)
        else:
            shutil.rmtree(self.root, ignore_errors=True)
        self.root = None

    @property
    def prefix(self) -> Path:
        if self.root is None:
            raise WineRunError("the scenario is not open")
        return self.root / "prefix"

    @property
    def drive_c(self) -> Path:
        return self.prefix / "drive_c"

    def environment(self) -> dict[str, str]:
        return wine_environment(self.prefix)

    def command(self, tool: str, *args: str) -> list[str]:
        """The command line that runs `tool` (wine, wineserver) on this scenario's machine."""
        if self.computer_name is None:
            return [tool, *args]
        return ["unshare", "--uts", "sh", "-c", 'hostname "$0" && exec "$@"',
                self.computer_name, tool, *args]

    def map_drive(self, letter: str, host_directory: Path) -> None:
        """Drive `letter` of this machine shows `host_directory`, as a network drive would."""
        link = self.prefix / "dosdevices" / f"{letter.lower()}:"
        if link.is_symlink() or link.exists():
            link.unlink()
        link.symlink_to(Path(host_directory).absolute())

    def start_session(self, seconds: int = 600) -> None:
        """Starts a Wine session that stays up between the runs of this scenario: a persistent
        wineserver and one warm-up program. Wine tidies some system folders (dllcache) when a
        session starts, so files meant to survive that go in after this call."""
        env = self.environment()
        # No pipes: the server and Wine's own background processes would hold them open.
        quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
                 "stderr": subprocess.DEVNULL}
        subprocess.run(self.command("wineserver", f"-p{seconds}"), env=env, timeout=60, check=True,
                       **quiet)
        subprocess.run(self.command("wine", "cmd", "/c", "exit"), env=env, timeout=120,
                       check=True, **quiet)

    def stop_wine(self) -> None:
        """Ends every process of this prefix and its wineserver."""
        env = self.environment()
        subprocess.run(["wineserver", "-k"], env=env, capture_output=True, timeout=60)
        subprocess.run(["wineserver", "-w"], env=env, capture_output=True, timeout=60)

    # -- Files --

    def host_path(self, windows_path: str) -> Path:
        """The file behind a Windows path such as C:\\windows\\system32\\x.dll. Existing parts
        are found without regard to case, as Windows does; the rest is taken as written."""
        path = PureWindowsPath(windows_path)
        if not path.drive or not path.root:
            raise WineRunError(f"{windows_path} is no full Windows path")
        current = (self.prefix / "dosdevices" / path.drive.lower()).resolve()
        for part in path.parts[1:]:
            exact = current / part
            if not exact.exists() and current.is_dir():
                matches = [entry for entry in current.iterdir()
                           if entry.name.lower() == part.lower()]
                exact = matches[0] if matches else exact
            current = exact
        return current

    def install(self, host_file: Path | str, windows_directory: str) -> str:
        """Copies a file of the build into the prefix; returns its Windows path."""
        host_file = Path(host_file)
        target = self.host_path(windows_directory)
        target.mkdir(parents=True, exist_ok=True)
        shutil.copy2(host_file, target / host_file.name)
        return str(PureWindowsPath(windows_directory) / host_file.name)

    # -- Windows version and registry --

    def reg_query(self, key: str, value: str | None = None) -> str:
        """What `wine reg query KEY [/v VALUE]` prints; empty when the key or value is missing."""
        command = self.command("wine", "reg", "query", key, *(["/v", value] if value is not None
                                                             else []))
        done = subprocess.run(command, env=self.environment(), stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=120)
        if done.returncode != 0:
            return ""
        return _decode_console_text(done.stdout)

    def reg_value(self, key: str, name: str) -> RegistryValue | None:
        """One value of a key, parsed from reg.exe's listing; None when it is missing."""
        wanted = "(Default)" if name == "" else name
        for found in parse_reg_query(self.reg_query(key, name if name else None)):
            if found.name.lower() == wanted.lower():
                return found
        return None

    # -- Running programs --

    def run_piped(self, program: Path | str, args: Sequence[str] = (), timeout: float = 120,
                  cwd: Path | None = None) -> PipedResult:
        """Runs the program with standard output and error as pipes and no input."""
        try:
            done = subprocess.run(self.command("wine", str(program), *args), env=self.environment(),
                                  stdin=subprocess.DEVNULL, capture_output=True, cwd=cwd,
                                  timeout=timeout)
        except subprocess.TimeoutExpired as expired:
            self.stop_wine()
            return PipedResult(None, True, expired.stdout or b"", expired.stderr or b"")
        return PipedResult(done.returncode, False, done.stdout, done.stderr)

    def run_console(self, program: Path | str, args: Sequence[str] = (), timeout: float = 120,
                    cwd: Path | None = None,
                    file_size_limit: int | None = None,
                    watch: Callable[[Screen], bool] | None = None) -> ConsoleResult:
        """Runs the program in a tmux pane of 80 x 25 cells, waits for it to end and reads the
        screen it left. A private tmux server keeps parallel scenarios apart. With
        file_size_limit, wine and every process it starts can write no file beyond that many
        bytes: a write past it ends the writing process (SIGXFSZ). With watch, the screen is
        read while the program runs and handed to watch until it returns True (or the program
        ends): a scenario can act on what the program shows on its way."""
        session = _TmuxSession(self.root)
        limit = ["prlimit", f"--fsize={file_size_limit}"] if file_size_limit is not None else []
        command = shlex.join([*limit, *self.command("wine", str(program), *args)])
        try:
            session.start(command, self.environment(), cwd)
            deadline = time.monotonic() + timeout
            while watch is not None and time.monotonic() < deadline:
                if watch(Screen.parse(session.capture())) or session.wait(0.2)[0] is not None:
                    break
            exit_code, timed_out = session.wait(max(0.0, deadline - time.monotonic()))
            if timed_out:
                self.stop_wine()
            captured = session.capture()
            title = session.title()
        finally:
            session.kill()
        return ConsoleResult(exit_code, timed_out, Screen.parse(captured), title, captured)


class _TmuxSession:
    """One tmux server on a socket of its own, with one window of exactly 80 x 25 cells.

    The program's exit status is written to a file by the pane's own shell. tmux cannot be
    relied on for it: the pane counts as dead as soon as the terminal closes, which may come
    before tmux has collected the process, and #{pane_dead_status} is then still empty."""

    def __init__(self, directory: Path):
        number = next(_session_numbers)
        config = directory / f"tmux-{number}.conf"
        self.status_file = directory / f"status-{number}"
        # The pane stays after the program ends, so that its screen can be read, and tmux
        # writes no notice of its own into it.
        config.write_text("set -g status off\nset -g remain-on-exit on\n"
                          'set -g remain-on-exit-format ""\n')
        self.base = ["tmux", "-u", "-L", f"winerun-{os.getpid()}-{number}", "-f", str(config)]

    def _tmux(self, *args: str, env=None) -> str:
        done = subprocess.run(self.base + list(args), env=env, capture_output=True, timeout=60)
        if done.returncode != 0:
            raise WineRunError(f"tmux {' '.join(args)}: {done.stderr.decode(errors='replace')}")
        return done.stdout.decode("utf-8", errors="replace")

    def start(self, command: str, env: dict[str, str], cwd: Path | None) -> None:
        directory = ["-c", str(cwd)] if cwd else []
        # Written whole by a rename, so that a half-written number is never read.
        partial = shlex.quote(str(self.status_file) + ".partial")
        wrapped = (f"{command}; echo $? > {partial}; "
                   f"mv {partial} {shlex.quote(str(self.status_file))}")
        self._tmux("new-session", "-d", "-s", "scenario", "-x", str(SCREEN_WIDTH),
                   "-y", str(SCREEN_HEIGHT), *directory, wrapped, env=env)
        size = self._tmux("display-message", "-p", "-t", "scenario",
                          "#{pane_width}x#{pane_height}").strip()
        if size != f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}":
            raise WineRunError(f"the pane is {size}, not {SCREEN_WIDTH}x{SCREEN_HEIGHT}")

    def wait(self, timeout: float) -> tuple[int | None, bool]:
        """The exit status once the program has ended and the pane is closed (all its output
        then shown), or (None, True) when the time runs out first."""
        deadline = time.monotonic() + timeout
        while True:
            dead = self._tmux("display-message", "-p", "-t", "scenario",
                              "#{pane_dead}").strip() == "1"
            if dead:
                # The shell renames the file before it ends, and the pane closes only then.
                if not self.status_file.exists():
                    raise WineRunError("the pane's shell ended without the exit status")
                return int(self.status_file.read_text()), False
            if time.monotonic() > deadline:
                return None, True
            time.sleep(0.1)

    def capture(self) -> str:
        return self._tmux("capture-pane", "-p", "-e", "-N", "-t", "scenario")

    def title(self) -> str:
        return self._tmux("display-message", "-p", "-t", "scenario", "#{pane_title}").rstrip("\n")

    def kill(self) -> None:
        subprocess.run(self.base + ["kill-server"], capture_output=True, timeout=60)


def set_windows_version(prefix: Path, version: str) -> None:
    """Sets HKCU\\Software\\Wine, value Version, in a prefix whose wineserver is not running."""
    if not re.fullmatch(r"[a-z0-9]+", version):
        raise WineRunError(f"{version!r} is no Wine version name (winxp, win7, ...)")
    with open(prefix / "user.reg", "a", encoding="ascii") as registry:
        registry.write(f'\n[Software\\\\Wine] {int(time.time())}\n"Version"="{version}"\n')


_REG_LINE = re.compile(r"^ {4}(.*?) {4}(REG_[A-Z_]+)(?: {4}(.*))?$")


def parse_reg_query(text: str) -> list[RegistryValue]:
    """The values in reg.exe's listing of one key."""
    values = []
    for line in text.splitlines():
        found = _REG_LINE.match(line.rstrip("\r"))
        if found:
            values.append(RegistryValue(found.group(1), found.group(2), found.group(3) or ""))
    return values


def _decode_console_text(data: bytes) -> str:
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("cp852")  # the OEM code page of the Czech locale


# ---- Command line ------------------------------------------------------------------------------

def _main(argv: Sequence[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    make = commands.add_parser("make-prefix", help="make the pristine prefix")
    make.add_argument("prefix", type=Path)
    for name in ("run", "console"):
        run = commands.add_parser(name, help=f"{name} a program in a fresh copy")
        run.add_argument("--pristine", type=Path, help="default: $WINERUN_PRISTINE")
        run.add_argument("--version", help="Windows version: winxp, win7, ...")
        run.add_argument("--keep", action="store_true", help="keep the copy")
        run.add_argument("--timeout", type=float, default=600)
        run.add_argument("program")
        run.add_argument("args", nargs=argparse.REMAINDER)
    options = parser.parse_args(argv)

    if options.command == "make-prefix":
        make_pristine(options.prefix)
        return 0
    with Scenario(options.version, options.pristine, options.keep or None) as scenario:
        if options.command == "run":
            sys.stdout.flush()
            try:
                # Output goes straight through, so that a long run shows its progress.
                done = subprocess.run(["wine", options.program, *options.args],
                                      env=scenario.environment(), stdin=subprocess.DEVNULL,
                                      timeout=options.timeout)
            except subprocess.TimeoutExpired:
                print(f"winerun: {options.program} did not end within {options.timeout} s",
                      file=sys.stderr)
                return 124
            return done.returncode
        result = scenario.run_console(options.program, options.args, options.timeout)
        print(result.screen)
        print(f"winerun: exit code {result.exit_code}"
              + (" (timed out)" if result.timed_out else ""), file=sys.stderr)
        return 0 if result.exit_code == 0 else 1


if __name__ == "__main__":
    sys.exit(_main(sys.argv[1:]))
