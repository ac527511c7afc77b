"""Writes the PNG files the image-decoding tests read: RGB and RGBA pictures
whose rows use every filter type in turn, after an ancillary chunk, with
their data split over several IDAT chunks. Usage: make-png-fixtures.py OUTPUT_DIR"""
import os
import random
import struct
import sys
import zlib


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else (b if pb <= pc else c)


def filtered(rows, bpp):
    """Each row filtered with type (row index % 5)."""
    out = bytearray()
    previous = bytes(len(rows[0]))
    for y, row in enumerate(rows):
        kind = y % 5
        out.append(kind)
        for i, value in enumerate(row):
            left = row[i - bpp] if i >= bpp else 0
            up = previous[i]
            up_left = previous[i - bpp] if i >= bpp else 0
            predictor = [0, left, up, (left + up) // 2, paeth(left, up, up_left)][kind]
            out.append((value - predictor) & 0xFF)
        previous = row
    return bytes(out)


def write(path, width, height, bpp, rng):
    rows = [bytes(rng.randrange(256) if (i % bpp != 3 or rng.random() < 0.6)
                  else rng.choice((0, 255)) for i in range(width * bpp)) for _ in range(height)]
    data = zlib.compress(filtered(rows, bpp), 9)
    third = max(len(data) // 3, 1)
    pieces = [data[:third], data[third:2 * third], data[2 * third:]]
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if bpp == 4 else 2, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
    png += chunk(b"tEXt", b"Comment\x00made for the decoder tests")
    png += b"".join(chunk(b"IDAT", piece) for piece in pieces) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rng = random.Random(7)
    write(os.path.join(out, "png-rgba-filters.png"), 37, 23, 4, rng)
    write(os.path.join(out, "png-rgb-filters.png"), 37, 23, 3, rng)
    write(os.path.join(out, "png-one-pixel.png"), 1, 1, 4, rng)


main()
