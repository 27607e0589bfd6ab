#!/usr/bin/env python3
"""Draws the maker's logo (bitmap resource 1010): 113 by 75 pixels, 256 colours, white where
the dialog's background shows through. A wave over a finish line, and the name MORVANE.

Run once by hand; its output, resources/bitmaps/1010.bmp, is committed."""
import math
import struct
import sys

WIDTH, HEIGHT = 113, 75
WHITE, NAVY, TEAL, AMBER = (255, 255, 255), (24, 48, 96), (0, 128, 128), (232, 160, 24)

# A 5 by 7 font for the letters of the name.
GLYPHS = {
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
}


def draw():
    image = [[WHITE] * WIDTH for _ in range(HEIGHT)]
    # Two waves, navy over teal, across the upper part.
    for x in range(8, WIDTH - 8):
        for band, colour, phase in ((0, TEAL, 0.9), (1, NAVY, 0.0)):
            centre = 24 + band * 9 + 7 * math.sin((x - 8) / 97 * 2 * math.pi + phase)
            for y in range(HEIGHT):
                if abs(y - centre) <= 3.2 - band * 0.6:
                    image[y][x] = colour
    # A chequered finish line on the right.
    for y in range(8, 46):
        for x in range(96, 104):
            if ((x - 96) // 4 + (y - 8) // 4) % 2 == 0:
                image[y][x] = NAVY
    # An amber dot: the runner crossing it.
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if (x - 88) ** 2 + (y - 19) ** 2 <= 16:
                image[y][x] = AMBER
    # The name, each glyph pixel 2 by 2, centred below.
    name = "MORVANE"
    left = (WIDTH - (len(name) * 12 - 2)) // 2
    for i, letter in enumerate(name):
        for row, bits in enumerate(GLYPHS[letter]):
            for column, bit in enumerate(bits):
                if bit == "1":
                    for dy in range(2):
                        for dx in range(2):
                            image[56 + row * 2 + dy][left + i * 12 + column * 2 + dx] = NAVY
    return image


def write_bmp(path, image):
    palette = sorted({colour for row in image for colour in row})
    palette += [(0, 0, 0)] * (256 - len(palette))
    index = {colour: i for i, colour in enumerate(palette[:256])}
    stride = (WIDTH + 3) // 4 * 4
    pixels = b"".join(
        bytes(index[c] for c in row) + b"\0" * (stride - WIDTH) for row in reversed(image))
    header_size = 14 + 40 + 256 * 4
    with open(path, "wb") as out:
        out.write(b"BM" + struct.pack("<IHHI", header_size + len(pixels), 0, 0, header_size))
        out.write(struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, len(pixels),
                              2835, 2835, 256, 0))
        out.write(b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette))
        out.write(pixels)


if __name__ == "__main__":
    write_bmp(sys.argv[1] if len(sys.argv) > 1 else "resources/bitmaps/1010.bmp", draw())
