"""PNG files assembled chunk by chunk for the end-to-end tests: pictures whose damage or hostile
header the widget must cope with."""

import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def chunk(kind, data, damaged=False):
    crc = zlib.crc32(kind + data) ^ (1 if damaged else 0)
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def header(width, height, color_type, interlaced=False):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, color_type, 0, 0,
                                      1 if interlaced else 0))


def rgba_picture(width, height, rgba, gama=None, gama_damaged=False):
    """An 8-bit RGBA picture of one colour, with a gAMA chunk when `gama` is given."""
    row = b"\x00" + bytes(rgba) * width
    png = SIGNATURE + header(width, height, 6)
    if gama is not None:
        png += chunk(b"gAMA", struct.pack(">I", gama), damaged=gama_damaged)
    png += chunk(b"IDAT", zlib.compress(row * height, 9)) + chunk(b"IEND", b"")
    return png


def huge_claim(width, height):
    """A picture that declares width x height RGBA pixels and holds a few zero bytes of data."""
    return (SIGNATURE + header(width, height, 6) + chunk(b"IDAT", zlib.compress(b"\x00" * 4, 9))
            + chunk(b"IEND", b""))
