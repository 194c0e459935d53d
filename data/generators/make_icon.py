#!/usr/bin/env python3
"""Draws Tindrel's program icon (data/icon/tindrel.ico): a snow globe with a starred fir tree.

    python3 data/generators/make_icon.py              write the icon
    python3 data/generators/make_icon.py --check      verify the written icon
    python3 data/generators/make_icon.py --preview DIR
                                                      also write each image as an enlarged PNG

The icon holds one image for each size the system asks for at the usual display scales (16, 20,
24, 32, 40, 48, 64 and 256 pixels square). Up to 64 pixels each is a classic 32-bit DIB with alpha
and a 1-bit AND mask, which every Windows version reads; the 256-pixel image is stored as a PNG,
as the system takes its largest icons. Each size is drawn on its own from the same shapes, with
less detail at the smallest sizes so the motif stays bold.
"""

import argparse
import math
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from raster import (Canvas, below_curve, box, circle, clamp, cylinder_shading, decode_png,
                    ellipse, encode_png, hex_colour, mix, polygon, radial_gradient, scaled_up,
                    star_points, vertical_gradient, with_alpha, write_png)

DATA_DIR = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
ICON_PATH = os.path.join(DATA_DIR, "icon", "tindrel.ico")
SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
# Images this large are stored as PNG rather than as a DIB.
PNG_FROM_SIZE = 256

NAVY = hex_colour("#0c2250")
SKY_TOP = hex_colour("#163a80")
SKY_BOTTOM = hex_colour("#4d8fdc")
SNOW = hex_colour("#f4f8ff")
SNOW_SHADE = hex_colour("#b4c8e6")
PINE = hex_colour("#23803f")
PINE_DARK = hex_colour("#0e4424")
GOLD = hex_colour("#ffd54a")
GOLD_DARK = hex_colour("#b07410")
RED = hex_colour("#d8323d")
RED_DARK = hex_colour("#5e0a12")
WHITE = (1.0, 1.0, 1.0, 1.0)


# ----------------------------------------------------------------------------------------------
# Artwork, in a frame of `s` pixels


def draw_icon_image(s):
    canvas = Canvas(s, s)
    cx, cy, r = s * 0.5, s * 0.43, s * 0.405
    outline = max(1.0, s / 26)
    globe = circle(cx, cy, r)
    inside = circle(cx, cy, r - outline)
    canvas.paint(globe, NAVY)
    canvas.paint(inside, vertical_gradient(cy - r, SKY_TOP, cy + r * 0.4, SKY_BOTTOM))
    paint_snow_ground(canvas, s, inside)
    paint_tree(canvas, s, inside)
    paint_star(canvas, s)
    if s >= 48:
        paint_flakes(canvas, s, inside)
    if s >= 32:
        paint_glass_shine(canvas, s, cx, cy, r, inside)
    paint_base(canvas, s, outline)
    return canvas


def paint_snow_ground(canvas, s, inside):
    hill = below_curve(lambda x: s * (0.6 + 0.035 * math.sin(x / s * 9.0 + 0.6)), 0, s, s)
    canvas.paint(hill & inside, vertical_gradient(s * 0.6, SNOW, s * 0.85, SNOW_SHADE))


def paint_tree(canvas, s, inside):
    cx = s * 0.5
    tiers = 1 if s < 32 else 2 if s < 64 else 3
    top, bottom = s * (0.3 if s < 32 else 0.24), s * 0.68
    trunk = box(cx - s * 0.045, bottom - s * 0.02, cx + s * 0.045, bottom + s * 0.06)
    canvas.paint(trunk & inside, hex_colour("#5a361c"))
    height = (bottom - top) / (1 + (tiers - 1) * 0.62)
    for i in range(tiers):
        tier_bottom = bottom - i * height * 0.62
        half = s * (0.22 - 0.045 * i)
        tier = polygon([(cx, tier_bottom - height * (1.25 if i == tiers - 1 else 1.0)),
                        (cx + half, tier_bottom), (cx - half, tier_bottom)])
        tier = tier.grown(max(0.3, s / 128))
        canvas.paint(tier & inside, lambda x, y: mix(PINE, PINE_DARK, clamp(0.2 + (x - cx) /
                                                                             (half * 2.4))))
        if s >= 48:
            rim = ellipse(cx, tier_bottom - s * 0.005, half * 0.95, s * 0.018)
            canvas.paint(rim & tier.grown(s * 0.01) & inside, SNOW)


def paint_star(canvas, s):
    cx, cy = s * 0.5, s * (0.23 if s < 32 else 0.2)
    size = s * (0.13 if s < 32 else 0.115)
    if s >= 32:
        canvas.glow(circle(cx, cy, size * 0.4), hex_colour("#fff3b0"), size * 2.2, 0.6)
    star = polygon(star_points(cx, cy, size, size * 0.46, 5)).grown(max(0.2, s / 200))
    canvas.paint(star, radial_gradient(cx - size * 0.2, cy - size * 0.3, size * 1.3,
                                       hex_colour("#fff8d0"), GOLD if s < 32 else GOLD_DARK))


def paint_flakes(canvas, s, inside):
    for fx, fy in ((0.27, 0.3), (0.72, 0.26), (0.33, 0.5), (0.7, 0.46), (0.22, 0.42),
                   (0.79, 0.36), (0.6, 0.12), (0.4, 0.13)):
        canvas.paint(circle(s * fx, s * fy, max(0.8, s * 0.016)) & inside, with_alpha(WHITE, 0.9))


def paint_glass_shine(canvas, s, cx, cy, r, inside):
    crescent = circle(cx, cy, r * 0.9) - circle(cx + r * 0.14, cy + r * 0.14, r * 0.9)
    canvas.paint(crescent & inside, with_alpha(WHITE, 0.38), feather=max(1.0, s / 40))


def paint_base(canvas, s, outline):
    cx = s * 0.5
    top, bottom = s * 0.78, s * 0.97
    body = polygon([(cx - s * 0.27, top), (cx + s * 0.27, top), (cx + s * 0.36, bottom),
                    (cx - s * 0.36, bottom)])
    edge = body.grown(outline * 0.8)
    canvas.paint(edge, RED_DARK)
    canvas.paint(body, cylinder_shading(cx - s * 0.36, cx + s * 0.36, RED, RED_DARK))
    if s >= 32:
        band = box(cx - s * 0.34, s * 0.855, cx + s * 0.34, s * 0.895) & body
        canvas.paint(band, cylinder_shading(cx - s * 0.34, cx + s * 0.34, GOLD, GOLD_DARK))
    collar = ellipse(cx, top, s * 0.28, max(1.0, s * 0.03))
    canvas.paint(collar, cylinder_shading(cx - s * 0.28, cx + s * 0.28, GOLD, GOLD_DARK))


# ----------------------------------------------------------------------------------------------
# ICO writing and reading


ICONDIR = struct.Struct("<HHH")
ICONDIRENTRY = struct.Struct("<BBBBHHII")
BITMAPINFOHEADER = struct.Struct("<IiiHHIIiiII")


def and_mask_stride(size):
    return ((size + 31) // 32) * 4


def dib_image(size, rgba):
    """One icon image: header, BGRA rows from the bottom up, then the AND mask (1 = transparent)."""
    stride = and_mask_stride(size)
    colour_bytes = size * size * 4
    header = BITMAPINFOHEADER.pack(40, size, size * 2, 1, 32, 0, colour_bytes + stride * size,
                                   0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row_mask = bytearray(stride)
        for x in range(size):
            i = (y * size + x) * 4
            r, g, b, a = rgba[i:i + 4]
            colour += bytes((b, g, r, a))
            if a == 0:
                row_mask[x // 8] |= 0x80 >> (x % 8)
        mask += row_mask
    return header + bytes(colour) + bytes(mask)


def icon_image(size, rgba):
    if size >= PNG_FROM_SIZE:
        return encode_png(size, size, rgba)
    return dib_image(size, rgba)


def encode_ico(images):
    """ICO bytes for a list of (size, RGBA rows) pairs."""
    bodies = [icon_image(size, rgba) for size, rgba in images]
    offset = ICONDIR.size + ICONDIRENTRY.size * len(images)
    directory = ICONDIR.pack(0, 1, len(images))
    for (size, _), body in zip(images, bodies):
        directory += ICONDIRENTRY.pack(size % 256, size % 256, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    return directory + b"".join(bodies)


def decode_ico(data):
    """Reads back an icon of 32-bit DIB and PNG images: a list of (size, RGBA rows from the top).

    Raises ValueError when the layout is not exactly what encode_ico writes.
    """
    reserved, kind, count = ICONDIR.unpack_from(data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file")
    images = []
    for n in range(count):
        width, height, colours, _, planes, bits, length, offset = ICONDIRENTRY.unpack_from(
            data, ICONDIR.size + n * ICONDIRENTRY.size)
        size = width or 256
        if height != width or colours != 0 or planes != 1 or bits != 32:
            raise ValueError("entry %d is not a square 32-bit image" % n)
        if offset + length > len(data):
            raise ValueError("entry %d runs past the end of the file" % n)
        body = data[offset:offset + length]
        images.append((size, decode_png_image(body, size) if body.startswith(b"\x89PNG")
                       else decode_dib(body, size)))
    return images


def decode_png_image(body, size):
    width, height, colour_type, rgba = decode_png(body)
    if (width, height, colour_type) != (size, size, 6):
        raise ValueError("the %d px PNG image is not %d px square RGBA" % (size, size))
    return rgba


def decode_dib(body, size):
    (header_size, width, height, planes, bits, compression, image_size, _, _, _,
     _) = BITMAPINFOHEADER.unpack_from(body, 0)
    stride = and_mask_stride(size)
    colour_bytes = size * size * 4
    if (header_size, width, height, planes, bits, compression) != (40, size, 2 * size, 1, 32, 0):
        raise ValueError("the %d px image does not have a plain 32-bit DIB header" % size)
    if len(body) != 40 + colour_bytes + stride * size or image_size != colour_bytes + stride * size:
        raise ValueError("the %d px image has the wrong length" % size)
    rgba = bytearray(colour_bytes)
    for row in range(size):
        y = size - 1 - row
        for x in range(size):
            b, g, r, a = body[40 + (row * size + x) * 4:44 + (row * size + x) * 4]
            mask_byte = body[40 + colour_bytes + row * stride + x // 8]
            transparent = bool(mask_byte & (0x80 >> (x % 8)))
            if transparent != (a == 0):
                raise ValueError("the %d px image's AND mask disagrees with its alpha" % size)
            rgba[(y * size + x) * 4:(y * size + x) * 4 + 4] = bytes((r, g, b, a))
    return bytes(rgba)


# ----------------------------------------------------------------------------------------------
# Output, checks and previews


def render_images():
    return [(size, draw_icon_image(size).rgba_bytes()) for size in SIZES]


def write_icon(preview_dir=None):
    os.makedirs(os.path.dirname(ICON_PATH), exist_ok=True)
    images = render_images()
    with open(ICON_PATH, "wb") as f:
        f.write(encode_ico(images))
    print("wrote", os.path.relpath(ICON_PATH, os.path.dirname(DATA_DIR)))
    if preview_dir:
        write_previews(preview_dir, images)


def write_previews(directory, images):
    """Each image enlarged to 256 px over a light and a dark background (straight alpha, as
    the system draws icons)."""
    os.makedirs(directory, exist_ok=True)
    for label, background in (("light", (236, 236, 236)), ("dark", (32, 36, 48))):
        for size, rgba in images:
            rgb = bytearray()
            for i in range(size * size):
                a = rgba[4 * i + 3]
                rgb += bytes((rgba[4 * i + c] * a + background[c] * (255 - a) + 127) // 255
                             for c in range(3))
            zoom = max(1, 256 // size)
            write_png(os.path.join(directory, "icon-%d-%s.png" % (size, label)), size * zoom,
                      size * zoom, scaled_up(bytes(rgb), size, size, zoom, 3), colour_type=2)


def check_icon():
    """Problems with the icon on disk, an empty list when it is fine."""
    try:
        with open(ICON_PATH, "rb") as f:
            data = f.read()
        images = decode_ico(data)
    except (OSError, ValueError, struct.error) as error:
        return ["cannot be read: %s" % error]
    problems = []
    sizes = tuple(size for size, _ in images)
    if sizes != SIZES:
        problems.append("holds sizes %s, not %s" % (sizes, SIZES))
    for size, rgba in images:
        alpha = rgba[3::4]
        if alpha[0] or alpha[size - 1]:
            problems.append("the %d px image has opaque top corners" % size)
        if sum(1 for a in alpha if a == 255) < len(alpha) * 0.4:
            problems.append("the %d px image is mostly transparent" % size)
    if encode_ico(render_images()) != data:
        problems.append("differs from what the generator draws now: run it again")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="verify the written icon instead of writing it")
    parser.add_argument("--preview", metavar="DIR", help="also write enlarged previews to DIR")
    args = parser.parse_args()
    if args.check:
        problems = check_icon()
        for problem in problems:
            print("data/icon/tindrel.ico: %s" % problem)
        if not problems:
            print("data/icon/tindrel.ico: ok")
        sys.exit(1 if problems else 0)
    write_icon(args.preview)


if __name__ == "__main__":
    main()
