#!/usr/bin/env python3
"""Packs the engine library into the image the program carries:
a 4-byte little-endian marker 0x033E0F0D, the 4-byte little-endian size of the
library, then a zlib stream of it."""
import struct
import sys
import zlib

MARKER = 0x033E0F0D


def main() -> int:
    if len(sys.argv) != 3:
        print("usage: pack_engine_image.py LIBRARY IMAGE", file=sys.stderr)
        return 2
    with open(sys.argv[1], "rb") as f:
        library = f.read()
    image = struct.pack("<II", MARKER, len(library)) + zlib.compress(library, 9)
    with open(sys.argv[2], "wb") as f:
        f.write(image)
    return 0


if __name__ == "__main__":
    sys.exit(main())
