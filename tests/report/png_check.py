#!/usr/bin/env python3
"""Checks a screenshot: a PNG of the expected size that is not blank.

Usage: png_check.py FILE WIDTH HEIGHT

Decodes the PNG with the standard library alone (8-bit RGB or RGBA, not
interlaced, as browsers write screenshots) and fails unless it is WIDTH x
HEIGHT pixels, at least 2 % of its pixels are not the page background (the
most common colour), and it holds at least 8 distinct colours.
"""
import struct
import sys
import zlib
from collections import Counter


def decode(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError(f"unsupported PNG: depth {depth}, colour type {colour}")
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind = raw[start]
        row = bytearray(raw[start + 1:start + 1 + stride])
        if kind == 1:
            for i in range(bpp, stride):
                row[i] = (row[i] + row[i - bpp]) & 255
        elif kind == 2:
            row = bytearray((a + b) & 255 for a, b in zip(row, previous))
        elif kind == 3:
            for i in range(stride):
                left = row[i - bpp] if i >= bpp else 0
                row[i] = (row[i] + ((left + previous[i]) >> 1)) & 255
        elif kind == 4:
            for i in range(stride):
                a = row[i - bpp] if i >= bpp else 0
                b, c = previous[i], previous[i - bpp] if i >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                row[i] = (row[i] + pred) & 255
        rows.append(bytes(row))
        previous = row
    return width, height, bpp, rows


def main():
    path, want_w, want_h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    width, height, bpp, rows = decode(path)
    if (width, height) != (want_w, want_h):
        sys.exit(f"{path}: {width} x {height} pixels, expected {want_w} x {want_h}")
    colours = Counter()
    for row in rows:
        colours.update(row[i:i + 3] for i in range(0, len(row), bpp))
    background, count = colours.most_common(1)[0]
    drawn = 1 - count / (width * height)
    if drawn < 0.02 or len(colours) < 8:
        sys.exit(f"{path}: blank ({len(colours)} colours, {drawn:.1%} of the pixels drawn)")
    print(f"{path}: {width} x {height}, {len(colours)} colours, {drawn:.1%} of the pixels drawn")


if __name__ == "__main__":
    main()
