#!/usr/bin/env python3
"""Checks that a program carries the manifest that asks for the given execution level without UI
access, and a version resource with the given file version.

    check_resources.py PROGRAM VERSION LEVEL      e.g. sanivo.exe 1.0.0.0 requireAdministrator
"""

import struct
import sys
from pathlib import Path

FIXED_FILE_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def file_version(image: bytes) -> str | None:
    """The file version of the fixed part of the version resource."""
    start = image.find(FIXED_FILE_INFO_SIGNATURE)
    if start < 0:
        return None
    most, least = struct.unpack_from("<II", image, start + 8)
    return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"


def main(program: str, version: str, level: str) -> int:
    image = Path(program).read_bytes()
    wanted = {
        f"manifest asks for {level}": f'level="{level}"'.encode(),
        "manifest asks for no UI access": b'uiAccess="false"',
        "version resource": "VS_VERSION_INFO".encode("utf-16-le"),
    }
    failed = 0
    for what, needle in wanted.items():
        found = needle in image
        print(f"{'ok  ' if found else 'FAIL'} {what}")
        failed += not found
    found_version = file_version(image)
    print(f"{'ok  ' if found_version == version else 'FAIL'} file version {found_version}, "
          f"expected {version}")
    failed += found_version != version
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
