#!/usr/bin/env python3
"""Writes varnelo.ico: one 128x128 24-bit image (BMP in ICO), a white
magnifying glass over three text lines on a blue tile. Deterministic, so the
committed .ico can be rebuilt byte for byte: python3 make_icon.py"""
import math
import os
import struct

SIZE = 128
SUB = 4  # samples per axis for the edge smoothing

TILE = (0x1F, 0x5F, 0xA8)
LINE = (0xB8, 0xD4, 0xF0)
GLASS = (0xFF, 0xFF, 0xFF)
LENS = (0x3A, 0x86, 0xD6)
RIM = (0x10, 0x2E, 0x55)


def inside_rounded_square(x, y, margin=4, radius=18):
    lo, hi = margin, SIZE - margin
    if not (lo <= x < hi and lo <= y < hi):
        return False
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def colour_at(x, y):
    """Colour of one sample point, or None outside the tile (background)."""
    if not inside_rounded_square(x, y):
        return None
    # The lens: a thick white ring around a lighter disc.
    lx, ly, outer, inner = 54.0, 54.0, 34.0, 24.0
    r = math.hypot(x - lx, y - ly)
    if r <= inner:
        return LENS
    if r <= outer:
        return GLASS
    # The handle, from the ring towards the lower right corner.
    if segment_distance(x, y, 80.0, 80.0, 108.0, 108.0) <= 9.0:
        return GLASS
    # Text lines on the tile, drawn behind the glass.
    for top in (26, 46, 66, 86):
        if top <= y < top + 8 and 14 <= x < 114:
            return LINE
    return TILE


def pixel(x, y):
    total = [0, 0, 0]
    for sy in range(SUB):
        for sx in range(SUB):
            c = colour_at(x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB)
            c = c or RIM  # outside the tile: a dark frame colour, since 24 bits has no alpha
            for i in range(3):
                total[i] += c[i]
    n = SUB * SUB
    return tuple((v + n // 2) // n for v in total)


def main():
    rows = []
    for y in reversed(range(SIZE)):  # DIB rows run bottom up
        row = bytearray()
        for x in range(SIZE):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row))
    xor = b"".join(rows)  # 384 bytes a row: already a multiple of 4
    and_mask = bytes(SIZE * SIZE // 8)  # every pixel opaque
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 24, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 24, len(image), 6 + 16)
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "varnelo.ico")
    with open(out, "wb") as f:
        f.write(icondir + entry + image)


if __name__ == "__main__":
    main()
