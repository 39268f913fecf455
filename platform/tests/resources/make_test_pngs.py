#!/usr/bin/env python3
"""Writes the PNG files the platform tests embed as resources (ResourcesTest.cpp).

Run from this folder: python3 make_test_pngs.py. The pictures are drawn here as pixel art; each
character names a colour of PALETTE (RGBA). The files are 8-bit RGBA PNGs without gamma or colour
chunks, so a decoder that reads samples as stored gives exactly these values.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../scripts"))
from pixelart_png import png_bytes  # noqa: E402

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


for name, rows in PICTURES.items():
    with open(name + ".png", "wb") as f:
        f.write(png_bytes(rows, PALETTE))
