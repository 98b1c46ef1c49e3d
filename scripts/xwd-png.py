#!/usr/bin/env python3
"""Writes an area of an X frame buffer dump (XWD, 32 bits a pixel, as Xvfb -fbdir keeps it) as PNG.

    xwd-png.py SCREEN.xwd OUT.png LEFT,TOP,RIGHT,BOTTOM
The area is cut to the screen."""
import struct
import sys
import zlib


def main(source, target, area):
    data = open(source, "rb").read()
    header = struct.unpack(">25I", data[:100])
    header_size, width, height, bytes_per_line, colours = header[0], header[4], header[5], header[12], header[19]
    pixels = data[header_size + colours * 12:]
    left, top, right, bottom = (int(v) for v in area.split(","))
    left, top = max(left, 0), max(top, 0)
    right, bottom = min(right, width), min(bottom, height)
    rows = bytearray()
    for y in range(top, bottom):
        line = pixels[y * bytes_per_line + left * 4:y * bytes_per_line + right * 4]
        rgb = bytearray(len(line) // 4 * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = line[2::4], line[1::4], line[0::4]
        rows += b"\0" + rgb

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(target, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", right - left, bottom - top, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        out.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    main(*sys.argv[1:4])
