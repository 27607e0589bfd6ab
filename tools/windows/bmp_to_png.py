#!/usr/bin/python3
"""Turns a 24-bit BMP (as tarvex2-screenshot.exe writes them) into a PNG, with nothing but the
standard library:  bmp_to_png.py IN.bmp OUT.png"""
import struct
import sys
import zlib


def read_bmp(path):
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise SystemExit("%s: a %d-bit BMP, not 24-bit" % (path, bits))
    row_bytes = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source = y if height < 0 else abs(height) - 1 - y  # BMP rows run bottom up
        start = offset + source * row_bytes
        bgr = data[start:start + width * 3]
        rows.append(bytes(b for i in range(0, len(bgr), 3) for b in (bgr[i + 2], bgr[i + 1], bgr[i])))
    return width, abs(height), rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\x00" + row for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    write_png(sys.argv[2], *read_bmp(sys.argv[1]))
