#!/usr/bin/env python3
"""cpconv.exe, without and with GNU libiconv's iconv.dll beside it, against a plain 64 KiB-piece
filter over the same GNU libiconv, under Wine: Czech text from Windows-1250 to code page 852,
from UTF-8 to code page 852 and from Windows-1250 to UTF-8, through pipes and through files.
A benchmark, not a test: it prints a table of what it measured.

    cpconv_wine_bench.py BUILD_DIR SIZE_MIB...     (scripts/bench-cpconv builds what it needs)

Each run goes through measure.exe inside Wine, which reports the program's own time (from its
start to its end, Wine's start of the process included) and its peak working set and peak
private memory as Windows reports them. Each run is made three times and the fastest counts, as
the machine is shared; the memory is the highest seen. Every run's output must be the same bytes.
"""

from __future__ import annotations

import hashlib
import os
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "wine"))
import winerun  # noqa: E402

# "Příliš žluťoučký kůň úpěl ďábelské ódy." and its like: letters that code page 852 has, so
# that every program writes the same bytes.
PARAGRAPH = ("Příliš žluťoučký kůň úpěl ďábelské ódy. Vážený pane řediteli, dovolte mi, abych "
             "Vám poděkoval za dopis ze dne 12. 3. 1994. Účetní závěrka: 1 234,50 Kč.\r\n")
# (cpconv's ids, the filter's names, the input's encoding)
DIRECTIONS = [("13 24", "WINDOWS-1250 852", "cp1250"), ("27 24", "UTF-8 852", "utf-8"),
              ("13 27", "WINDOWS-1250 UTF-8", "cp1250")]
MIB = 1 << 20
REPEATS = 3


def make_input(path: Path, size: int, encoding: str) -> None:
    paragraph = PARAGRAPH.encode(encoding)
    block = paragraph * (MIB // len(paragraph) + 1)
    with path.open("wb") as out:
        left = size
        while left > 0:
            out.write(block[:min(left, len(block))])
            left -= min(left, len(block))


def sha256_of(path: Path) -> str:
    digest = hashlib.sha256()
    with path.open("rb") as data:
        while chunk := data.read(MIB):
            digest.update(chunk)
    return digest.hexdigest()


class Bench:
    def __init__(self, build: Path, scenario: winerun.Scenario):
        self.scenario = scenario
        self.env = scenario.environment()
        self.measure = scenario.install(build / "tests/bench/bench_measure.exe", r"C:\bench")
        self.filter = scenario.install(build / "tests/wine/iconv/libiconv_filter.exe",
                                       r"C:\bench")
        self.plain = scenario.install(build / "release/cpconv.exe", r"C:\bench\plain")
        self.with_library = scenario.install(build / "release/cpconv.exe", r"C:\bench\lib")
        scenario.install(build / "tests/wine/iconv/iconv.dll", r"C:\bench\lib")
        self.input = scenario.host_path(r"C:\bench\in.txt")
        self.output = scenario.host_path(r"C:\bench\out.txt")
        self.report = scenario.host_path(r"C:\bench\report.txt")

    def best_of(self, command: str, through_pipes: bool) -> tuple[list[float], set[str]]:
        runs = [self.run(command, through_pipes) for _ in range(REPEATS)]
        return ([min(figures[0] for figures, _ in runs), max(figures[1] for figures, _ in runs),
                 max(figures[2] for figures, _ in runs)], {digest for _, digest in runs})

    def run(self, command: str, through_pipes: bool) -> tuple[list[float], str]:
        """Runs the Windows command line under measure.exe; gives its figures and the sha256
        of what it wrote (to out.txt by name or through its standard output)."""
        self.output.unlink(missing_ok=True)
        measured = ["wine", self.measure, r"C:\bench\report.txt", command]
        if through_pipes:
            # cat at both ends: the cheapest reader and writer of a pipe.
            shell = f"cat {self.input} | {' '.join(map(quote, measured))} | cat > {self.output}"
            subprocess.run(shell, shell=True, env=self.env, check=True)
        else:
            stdin = self.input.open("rb") if "libiconv_filter" in command else subprocess.DEVNULL
            with self.output.open("ab") as stdout:
                subprocess.run(measured, env=self.env, stdin=stdin, stdout=stdout, check=True)
        digest = sha256_of(self.output)
        seconds, working_set, private, code = self.report.read_text().split()
        if code != "0":
            raise RuntimeError(f"{command} ended with {code}")
        return [float(seconds), int(working_set) / MIB, int(private) / MIB], digest


def quote(text: str) -> str:
    return "'" + text.replace("'", "'\\''") + "'"


def main(build: Path, sizes: list[int]) -> int:
    pristine = build / "wine" / "pristine"
    winerun.make_pristine(pristine, log=sys.stderr)
    print(f"load before: {os.getloadavg()}, {os.cpu_count()} cores, Wine {winerun.wine_version()}")
    print("| input | direction | program | through | seconds | MiB/s | peak working set MiB "
          "| peak private MiB |")
    print("|---|---|---|---|---|---|---|---|")
    with winerun.Scenario(pristine=pristine) as scenario:
        scenario.start_session(seconds=3600)
        bench = Bench(build, scenario)
        for size in sizes:
            for ids, names, encoding in DIRECTIONS:
                make_input(bench.input, size * MIB, encoding)
                digests = set()
                programs = [
                    ("cpconv.exe", bench.plain),
                    ("cpconv.exe + iconv.dll", bench.with_library),
                ]
                for through_pipes in (True, False):
                    for name, exe in programs:
                        command = f"{exe} {ids}"
                        if not through_pipes:
                            command += r" C:\bench\in.txt -o C:\bench\out.txt"
                        figures, digest = bench.best_of(command, through_pipes)
                        digests |= digest
                        row(size, names, name, through_pipes, figures)
                    figures, digest = bench.best_of(f"{bench.filter} {names}", through_pipes)
                    digests |= digest
                    row(size, names, "GNU libiconv filter", through_pipes, figures)
                if len(digests) != 1:
                    print(f"outputs differ at {size} MiB, {names}: {digests}", file=sys.stderr)
                    return 1
        bench.input.unlink()
        bench.output.unlink(missing_ok=True)
    print(f"load after: {os.getloadavg()}")
    return 0


def row(size: int, direction: str, name: str, through_pipes: bool, figures: list[float]) -> None:
    seconds, working_set, private = figures
    print(f"| {size} MiB | {direction.replace(' ', ' → ')} | {name} "
          f"| {'pipes' if through_pipes else 'files'} | {seconds:.2f} "
          f"| {size / seconds:.0f} | {working_set:.1f} | {private:.1f} |", flush=True)


if __name__ == "__main__":
    sys.exit(main(Path(sys.argv[1]).resolve(), [int(size) for size in sys.argv[2:]]))
