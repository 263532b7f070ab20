#!/usr/bin/env python3
"""Writes the face of the event-log component: a 24 x 24 bitmap in the 16 standard colours
(4 bits a pixel, bottom-up rows as the format stores them). The picture is a page of a log with
an error, a warning and an information mark, each in front of a line of text.

Usage: make_face_bitmap.py OUTPUT.bmp
"""
import struct
import sys

PALETTE = [  # the 16 colours every display shows, as (red, green, blue)
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GRAY, RED, YELLOW, BLUE, WHITE = 0, 4, 7, 8, 9, 11, 12, 15
SIZE = 24


def picture():
    rows = [[SILVER] * SIZE for _ in range(SIZE)]

    def fill(left, top, right, bottom, colour):  # inclusive bounds
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                rows[y][x] = colour

    fill(4, 2, 20, 21, GRAY)      # the page's shadow
    fill(3, 1, 19, 20, BLACK)     # its edge
    fill(4, 2, 18, 19, WHITE)     # the page
    for top, mark in ((4, RED), (9, YELLOW), (14, BLUE)):
        fill(5, top, 7, top + 2, mark)          # the event's type
        fill(9, top + 1, 17, top + 1, NAVY)     # its text
    return rows


def bitmap(rows):
    stride = SIZE // 2 + (-(SIZE // 2) % 4)   # 4-bit pixels, rows padded to 4 bytes
    pixels = bytearray()
    for row in reversed(rows):
        line = bytes(row[x] << 4 | row[x + 1] for x in range(0, SIZE, 2))
        pixels += line + bytes(stride - len(line))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as out:
        out.write(bitmap(picture()))
