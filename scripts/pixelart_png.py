"""PNG files from pixel art, for the generators of the pictures the libraries and the gallery embed.

png_bytes(rows, palette): rows are strings of equal length, each character a key of palette, whose values
are (r, g, b) or (r, g, b, a) tuples (all of one length). The file is 8-bit RGB or RGBA, filter 0, without
gamma or colour chunks, so a decoder that reads the samples as stored gives exactly these values.
"""
import struct
import zlib


def png_bytes(rows, palette):
    height, width = len(rows), len(rows[0])
    assert all(len(row) == width for row in rows), "rows of unequal length"
    channels = len(next(iter(palette.values())))
    raw = b"".join(b"\x00" + b"".join(bytes(palette[c]) for c in row) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    colour_type = 6 if channels == 4 else 2
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
