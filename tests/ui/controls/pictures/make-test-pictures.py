#!/usr/bin/python3
"""Writes the small pictures of the picture-control tests into this folder.

    tests/ui/controls/pictures/make-test-pictures.py

Each state picture is one flat colour, so a test knows every pixel the control
must show; the switch bitmaps differ in size between on and off. The files are
committed; running the script again writes the same bytes.
"""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def png(width, height, rgba):
    """A truecolour-with-alpha PNG of one colour."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    row = b"\x00" + bytes(rgba) * width
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(row * height, 9)) + chunk(b"IEND", b""))


def bmp(width, height, rgb):
    """A 24-bit bottom-up BMP of one colour."""
    stride = (width * 3 + 3) & ~3
    row = bytes((rgb[2], rgb[1], rgb[0])) * width + b"\x00" * (stride - width * 3)
    pixels = row * height
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


FILES = {
    # Picture states, 24 x 16: normal, hover, pressed, selected.
    "9601-normal.png": png(24, 16, (160, 40, 40, 255)),
    "9602-hover.png": png(24, 16, (40, 160, 40, 255)),
    "9603-pressed.png": png(24, 16, (40, 40, 160, 255)),
    "9604-selected.png": png(24, 16, (160, 160, 40, 255)),
    # Switch bitmaps: on 30 x 12, off 20 x 16.
    "9611-on.bmp": bmp(30, 12, (200, 100, 0)),
    "9612-off.bmp": bmp(20, 16, (90, 90, 90)),
    "9613-on-hover.bmp": bmp(30, 12, (230, 130, 30)),
    "9614-off-hover.bmp": bmp(20, 16, (120, 120, 120)),
    # Not a picture: an empty file and a few bytes of text.
    "9620-empty.png": b"",
    "9622-text.png": b"not a picture\n",
}

for name, data in sorted(FILES.items()):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
