#!/usr/bin/env python3
"""Fails when a source file includes a header of a folder that the layer table forbids.

Usage: check_layers.py REPOSITORY_ROOT

The table is the one in docs/architecture.md under "## Layers": its second column names a
folder, its last column the folders that the folder's files may include. A file belongs to the
longest folder of the table that holds it; so does an included header. A folder may always
include its own headers, and an include without a folder is its own folder's. A folder named
in the last column allows the folders below it too (`tools/` allows `tools/cpconv/`).
"""

import os
import re
import sys

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*"([^"]+)"', re.MULTILINE)
FOLDER = re.compile(r"`([a-z0-9_/]+/)`")


def read_table(doc: str) -> dict[str, set[str]]:
    section = doc.split("## Layers", 1)[1].split("\n## ", 1)[0]
    table: dict[str, set[str]] = {}
    for line in section.splitlines():
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if len(cells) < 4 or not FOLDER.fullmatch(cells[1]):
            continue
        table[FOLDER.fullmatch(cells[1]).group(1)] = set(FOLDER.findall(cells[-1]))
    if not table:
        sys.exit("no layer table found under '## Layers' in docs/architecture.md")
    return table


def folder_of(path: str, table: dict[str, set[str]]) -> str | None:
    holders = [folder for folder in table if path.startswith(folder)]
    return max(holders, key=len) if holders else None


def sources(root: str):
    for directory, subdirectories, files in os.walk(root):
        # Build trees and hidden folders hold no sources of ours.
        subdirectories[:] = sorted(d for d in subdirectories
                                   if not d.startswith((".", "build")) and d != "node_modules")
        for name in sorted(files):
            if name.endswith((".cpp", ".h")):
                yield os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")


def main() -> int:
    root = sys.argv[1]
    with open(os.path.join(root, "docs", "architecture.md"), encoding="utf-8") as doc:
        table = read_table(doc.read())
    crossings = []
    for path in sources(root):
        own = folder_of(path, table)
        if own is None:
            crossings.append(f"{path}: its folder is not in the layer table")
            continue
        with open(os.path.join(root, path), encoding="utf-8") as source:
            text = source.read()
        for match in INCLUDE.finditer(text):
            header = match.group(1)
            if "/" not in header:
                continue
            target = folder_of(header, table) or ""
            if target == own or any(target.startswith(allowed) for allowed in table[own]):
                continue
            line = text.count("\n", 0, match.start()) + 1
            where = f"the folder {target}" if target else "a folder not in the layer table"
            crossings.append(f"{path}:{line}: includes {header}, from {where}, "
                             f"which {own} may not use")
    for crossing in crossings:
        print(crossing)
    print(f"{len(crossings)} layer crossing(s)")
    return 1 if crossings else 0


if __name__ == "__main__":
    sys.exit(main())
