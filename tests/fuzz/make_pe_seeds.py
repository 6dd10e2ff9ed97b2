"""Writes two small PE images for the PE fuzz target's seed corpus: a PE32 and a PE32+ image
with one section holding a load-configuration directory, 1 KB each, so that mutations mostly
land in the headers and the directory.

usage: make_pe_seeds.py OUTPUT_DIR
"""
import pathlib
import struct
import sys

SECTION_RVA = 0x1000
NT_HEADERS = 0x80
SECTION_DATA = 0x200
LOAD_CONFIG = SECTION_DATA + 0x40


def image(pe32):
    data = bytearray(0x400)
    struct.pack_into("<H", data, 0, 0x5A4D)  # MZ
    struct.pack_into("<I", data, 0x3C, NT_HEADERS)
    struct.pack_into("<I", data, NT_HEADERS, 0x4550)  # PE\0\0
    optional_size = (96 if pe32 else 112) + 16 * 8
    struct.pack_into("<HH12xHH", data, NT_HEADERS + 4, 0x014C if pe32 else 0x8664, 1,
                     optional_size, 0x0102)
    optional = NT_HEADERS + 24
    struct.pack_into("<H", data, optional, 0x10B if pe32 else 0x20B)
    struct.pack_into("<II16xII", data, optional + 32, 0x1000, 0x200, 0x2000, 0x200)
    struct.pack_into("<I", data, optional + (92 if pe32 else 108), 16)
    structure = 72 if pe32 else 112
    struct.pack_into("<II", data, optional + (96 if pe32 else 112) + 10 * 8,
                     SECTION_RVA + LOAD_CONFIG - SECTION_DATA, structure)
    section = optional + optional_size
    struct.pack_into("<8sIIII12xI", data, section, b".rdata", 0x180, SECTION_RVA, 0x200,
                     SECTION_DATA, 0x40000040)
    struct.pack_into("<I", data, LOAD_CONFIG, structure)
    return bytes(data)


output = pathlib.Path(sys.argv[1])
output.mkdir(parents=True, exist_ok=True)
(output / "small_pe32.exe").write_bytes(image(pe32=True))
(output / "small_pe32plus.exe").write_bytes(image(pe32=False))
