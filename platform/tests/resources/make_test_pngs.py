#!/usr/bin/env python3
"""Writes the PNG files the platform tests embed as resources (ResourcesTest.cpp).

Run from this folder: python3 make_test_pngs.py. The pictures are drawn here as pixel art; each
character names a colour of PALETTE (RGBA). The files are 8-bit RGBA PNGs without gamma or colour
chunks, so a decoder that reads samples as stored gives exactly these values.
"""
import struct
import zlib

PALETTE = {
    ".": (255, 255, 255, 255),
    "#": (0, 0, 0, 255),
    "r": (255, 0, 0, 255),
    "g": (0, 128, 0, 255),
    "b": (0, 0, 255, 255),
    "y": (235, 190, 235, 255),  # the transparent colour of the on/off button sheets
    "h": (18, 52, 86, 128),     # half transparent
    "o": (0, 0, 0, 0),          # fully transparent
}

PICTURES = {
    # A check box as a table editor shows it in its menu: frame and tick.
    "CHECKEDBOX": [
        "########",
        "#......#",
        "#.....##",
        "#....#.#",
        "##..#..#",
        "#.##...#",
        "#......#",
        "########",
    ],
    # Every colour of the palette once, to pin the decoding of each sample.
    "Samples": [
        ".#rgbyho",
        "ohybgr#.",
    ],
}


def png(rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + b"".join(bytes(PALETTE[c]) for c in row) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


for name, rows in PICTURES.items():
    with open(name + ".png", "wb") as f:
        f.write(png(rows))
