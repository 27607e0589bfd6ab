#!/usr/bin/env python3
"""Draws the program icon (resource 128): a timing console's face with a firmware arrow.

Run once by hand; its outputs are committed:
    make_icon.py                      resources/icons/128.png (the window icon, 64 pixels)
    make_icon.py --hicolor DIR        DIR/<N>.png for the desktop's icon theme, N = 16 ... 256
    make_icon.py --ico FILE           FILE, the Windows program's icon: 16, 32, 48 and 256 pixels"""
import struct
import sys
import zlib

SIZE = 64


def inside_rounded(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def pixel(x, y):
    px, py = x + 0.5, y + 0.5
    if not inside_rounded(px, py, 2, 2, 62, 62, 10):
        return (0, 0, 0, 0)
    colour = (24, 48, 96, 255)  # navy housing
    if inside_rounded(px, py, 9, 9, 55, 33, 4):
        colour = (12, 16, 24, 255)  # display window
        for left in (13, 35):  # two amber digit blocks
            if left <= px <= left + 16 and 13 <= py <= 29:
                if px <= left + 3 or px >= left + 13 or py <= 16 or py >= 26 or 19.5 <= py <= 22.5:
                    colour = (255, 176, 32, 255)
    # white arrow pointing down into a bar: the firmware going in
    if 27 <= px <= 37 and 36 <= py <= 46:
        colour = (240, 244, 250, 255)
    if 46 <= py <= 54 and abs(px - 32) <= (54 - py) * 1.4:
        colour = (240, 244, 250, 255)
    if 55.5 <= py <= 58 and 14 <= px <= 50:
        colour = (255, 176, 32, 255)
    return colour


def png(width, height, rows):
    raw = b"".join(b"\x00" + bytes(sum(row, ())) for row in rows)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def scaled(size):
    """The icon drawn at `size` pixels: each pixel the mean of 4 by 4 samples of the design."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            samples = [pixel_at((x + (i + 0.5) / 4) * SIZE / size, (y + (j + 0.5) / 4) * SIZE / size)
                       for i in range(4) for j in range(4)]
            alpha = sum(s[3] for s in samples)
            if alpha == 0:
                row.append((0, 0, 0, 0))
                continue
            row.append(tuple(round(sum(s[c] * s[3] for s in samples) / alpha) for c in range(3)) +
                       (round(alpha / 16),))
        rows.append(row)
    return rows


def pixel_at(px, py):
    return pixel(px - 0.5, py - 0.5)


def ico(sizes):
    """An icon file holding the icon at each of `sizes`, each image a PNG (as Windows reads them
    since Vista)."""
    images = [png(size, size, scaled(size)) for size in sizes]
    header = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    offset = len(header) + 16 * len(images)
    for size, image in zip(sizes, images):
        dimension = 0 if size >= 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", dimension, dimension, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return header + entries + b"".join(images)


if len(sys.argv) > 2 and sys.argv[1] == "--ico":
    with open(sys.argv[2], "wb") as out:
        out.write(ico((16, 32, 48, 256)))
elif len(sys.argv) > 2 and sys.argv[1] == "--hicolor":
    for size in (16, 32, 48, 64, 128, 256):
        with open("%s/%d.png" % (sys.argv[2], size), "wb") as out:
            out.write(png(size, size, scaled(size)))
else:
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    with open(sys.argv[1] if len(sys.argv) > 1 else "resources/icons/128.png", "wb") as out:
        out.write(png(SIZE, SIZE, rows))
