"""The two facts the affinity repair changes in a PE32 image, read independently of the
program: the load-configuration directory's ProcessAffinityMask and the header checksum."""

import struct

_LOAD_CONFIG_INDEX = 10
_AFFINITY_OFFSET_32 = 48


def _headers(image: bytes):
    nt = struct.unpack_from("<I", image, 0x3C)[0]
    assert image[nt:nt + 4] == b"PE\0\0", "no PE signature"
    sections = struct.unpack_from("<H", image, nt + 6)[0]
    optional_size = struct.unpack_from("<H", image, nt + 20)[0]
    optional = nt + 24
    assert struct.unpack_from("<H", image, optional)[0] == 0x10B, "not PE32"
    return nt, optional, optional + optional_size, sections


def checksum_offset(image: bytes) -> int:
    return _headers(image)[1] + 64


def stored_checksum(image: bytes) -> int:
    return struct.unpack_from("<I", image, checksum_offset(image))[0]


def computed_checksum(image: bytes) -> int:
    skip = checksum_offset(image)
    padded = image + b"\0" * (len(image) % 2)
    total = 0
    for offset in range(0, len(padded), 2):
        if skip <= offset < skip + 4:
            continue
        total += struct.unpack_from("<H", padded, offset)[0]
        total = (total & 0xFFFF) + (total >> 16)
    return ((total & 0xFFFF) + (total >> 16)) + len(image)


def affinity_mask(image: bytes) -> int:
    _, optional, section_table, sections = _headers(image)
    rva, size = struct.unpack_from("<II", image, optional + 96 + 8 * _LOAD_CONFIG_INDEX)
    assert rva and size, "no load-configuration directory"
    for index in range(sections):
        entry = section_table + 40 * index
        virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from(
            "<IIII", image, entry + 8)
        if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
            offset = raw_pointer + rva - virtual_address
            return struct.unpack_from("<I", image, offset + _AFFINITY_OFFSET_32)[0]
    raise AssertionError("load-configuration directory outside every section")
