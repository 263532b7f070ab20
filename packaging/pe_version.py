#!/usr/bin/env python3
"""Prints the file version (a.b.c.d) of the version resource of each Windows module named.

    pe_version.py MODULE...

The fixed part of the resource follows its key "VS_VERSION_INFO" (UTF-16), padded to four
bytes, and begins with the signature 0xFEEF04BD. A module without one is an error.
"""
import struct
import sys

KEY = "VS_VERSION_INFO\0".encode("utf-16-le")
SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def file_version(path):
    with open(path, "rb") as module:
        data = module.read()
    at = data.find(KEY)
    while at >= 0:
        fixed = at + len(KEY)
        fixed += -fixed % 4
        if data[fixed:fixed + 4] == SIGNATURE:
            high, low = struct.unpack_from("<II", data, fixed + 8)
            return f"{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF}"
        at = data.find(KEY, at + 1)
    raise SystemExit(f"pe_version: {path} has no version resource")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    for path in sys.argv[1:]:
        print(file_version(path))
