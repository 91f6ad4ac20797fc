#!/usr/bin/env python3
"""Checks that PNG pictures are not blank: enough pixels differ from the
background and enough distinct colours occur. Reads 8-bit PNG files with
the standard library only (zlib), since no image package may be at hand.

Usage: png_not_blank.py PICTURE.png...   (exit status 1 if any is blank)
"""
import struct
import sys
import zlib

CHANNELS = {0: 1, 2: 3, 4: 2, 6: 4}  # PNG colour type -> samples per pixel
MIN_INKED_SHARE = 0.01   # at least 1 % of the pixels differ from the background
MIN_COLOURS = 8          # lines, text and shaded symbols give many colours


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in CHANNELS or interlace != 0:
        raise ValueError("only 8-bit, non-interlaced PNG files are checked")
    return width, height, CHANNELS[colour], unfilter(zlib.decompress(idat), width, height,
                                                     CHANNELS[colour])


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def unfilter(raw, width, height, bpp):
    stride = width * bpp
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = previous[i]
            corner = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                line[i] = (line[i] + paeth(left, up, corner)) & 255
        rows.append(bytes(line))
        previous = line
    return rows


def check(path):
    width, height, bpp, rows = read_png(path)
    background = rows[0][:bpp]
    colours, inked = set(), 0
    for row in rows:
        for x in range(0, width * bpp, bpp):
            pixel = row[x:x + bpp]
            colours.add(pixel)
            if pixel != background:
                inked += 1
    share = inked / float(width * height)
    fine = share >= MIN_INKED_SHARE and len(colours) >= MIN_COLOURS
    print("%s: %dx%d, %.1f %% inked, %d colours: %s"
          % (path, width, height, 100 * share, len(colours), "ok" if fine else "BLANK"))
    return fine


def main(paths):
    if not paths:
        print(__doc__.strip().splitlines()[-1].strip())
        return 1
    results = [check(p) for p in paths]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
