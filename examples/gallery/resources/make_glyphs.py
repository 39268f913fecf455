#!/usr/bin/env python3
"""Writes the glyphs the gallery embeds as resources (WidgetsGallery.cpp): 16 x 16 pictures for menu
items and speed buttons, drawn here as pixel art. Run from this folder: python3 make_glyphs.py.

Each character names a colour of PALETTE; "." is the background $EBBEEB, which the bottom-left pixel
carries, so bitmaps drawn with their transparent colour leave it out. 8-bit RGB PNGs, no gamma chunk.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../scripts"))
from pixelart_png import png_bytes  # noqa: E402

PALETTE = {
    ".": (235, 190, 235),
    "#": (0, 0, 0),
    "y": (255, 224, 96),
    "o": (200, 150, 40),
    "b": (40, 80, 200),
    "l": (150, 190, 255),
    "w": (255, 255, 255),
    "g": (128, 128, 128),
    "r": (200, 30, 30),
}

GLYPHS = {
    "OPENFOLDER": [
        "................",
        "................",
        ".####...........",
        "#yyyy#..........",
        "#yyyy#######....",
        "#yyyyyyyyyyy#...",
        "#yyy###########.",
        "#yy#ooooooooooo#",
        "#yy#oooooooooo#.",
        "#y#oooooooooo#..",
        "#y#ooooooooo#...",
        "##ooooooooo#....",
        "##oooooooo#.....",
        "###########.....",
        "................",
        "................",
    ],
    "DISK": [
        "................",
        ".#############..",
        ".#bb#wwwwww#b#..",
        ".#bb#wwwwww#bb#.",
        ".#bb#wwwwww#bb#.",
        ".#bb#wwwwww#bb#.",
        ".#bbb######bbb#.",
        ".#bbbbbbbbbbbb#.",
        ".#bb########bb#.",
        ".#bb#gggggg#bb#.",
        ".#bb#g##ggg#bb#.",
        ".#bb#g##ggg#bb#.",
        ".#bb#gggggg#bb#.",
        ".##############.",
        "................",
        "................",
    ],
    "POINTER": [
        "................",
        "...#............",
        "...##...........",
        "...#w#..........",
        "...#ww#.........",
        "...#www#........",
        "...#wwww#.......",
        "...#wwwww#......",
        "...#wwwwww#.....",
        "...#www####.....",
        "...#w#ww#.......",
        "...##.#ww#......",
        "...#..#ww#......",
        ".......#ww#.....",
        ".......####.....",
        "................",
    ],
    "ZOOMIN": [
        "................",
        "....####........",
        "..##llll##......",
        ".#llllllll#.....",
        ".#lll##lll#.....",
        "#llll##llll#....",
        "#l########l#....",
        "#l########l#....",
        "#llll##llll#....",
        ".#lll##lll#.....",
        ".#llllllll#.....",
        "..##llll####....",
        "....####.###....",
        "..........###...",
        "...........###..",
        "............##..",
    ],
}


for name, rows in GLYPHS.items():
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), name
    with open(name + ".png", "wb") as f:
        f.write(png_bytes(rows, PALETTE))
