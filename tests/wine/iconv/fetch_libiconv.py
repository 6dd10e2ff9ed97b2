#!/usr/bin/env python3
"""Fetches GNU libiconv's sources for the Wine tests' iconv.dll: the npm package iconv 3.0.1
carries them under deps/libiconv with a ready support/config.h. The package is checked against
its published integrity before anything of it is used.

    fetch_libiconv.py DIRECTORY    unpacks the package into DIRECTORY/package
"""

import base64
import hashlib
import subprocess
import sys
import tarfile
import tempfile
from pathlib import Path

PACKAGE = "iconv@3.0.1"
INTEGRITY = ("sha512-lJnFLxVc0d82R7GfU7a9RujKVUQ3Eee19tPKWZWBJtAEGRHVEyFzCtbNl3GPKuDnHBBRT4/"
             "nDS4Ru9AIDT72qA==")


def integrity_of(archive: Path) -> str:
    digest = hashlib.sha512(archive.read_bytes()).digest()
    return "sha512-" + base64.b64encode(digest).decode()


def main(directory: Path) -> int:
    directory.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory(dir=directory) as download:
        # npm keeps the tarball in its own cache, so a second build does not download it again.
        subprocess.run(["npm", "pack", PACKAGE, "--pack-destination", download, "--silent"],
                       check=True, stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        archive = next(Path(download).glob("iconv-*.tgz"))
        found = integrity_of(archive)
        if found != INTEGRITY:
            print(f"fetch_libiconv: {archive.name} has integrity {found}, expected {INTEGRITY}",
                  file=sys.stderr)
            return 1
        with tarfile.open(archive) as package:
            members = [m for m in package.getmembers()
                       if m.isfile() and m.name.startswith(("package/deps/libiconv/",
                                                             "package/support/"))]
            package.extractall(directory, members=members)
    return 0


if __name__ == "__main__":
    sys.exit(main(Path(sys.argv[1])))
