#!/usr/bin/env python3
"""Draws Tindrel's skins (data/skins/*.png) and its star sprite (data/star.png).

    python3 data/generators/make_skins.py            write the pictures
    python3 data/generators/make_skins.py --check    verify the written pictures
    python3 data/generators/make_skins.py --preview DIR
                                                     also write looks-like-the-widget previews

Every picture is RGBA with straight colour. Random placements come from fixed seeds, so a run
always writes the same bytes.
"""

import argparse
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from raster import (Canvas, box, circle, clamp, cylinder_shading, decode_png, ellipse, hex_colour,
                    below_curve, mix, polygon, radial_gradient, scaled_up, segment, smoothstep,
                    sphere_shading, star_points, tapered_segment, value_noise, vertical_gradient,
                    widget_view_over, with_alpha, write_png)

DATA_DIR = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

WHITE = (1.0, 1.0, 1.0, 1.0)
SNOW = hex_colour("#f4f8ff")
SNOW_SHADE = hex_colour("#b9cbe6")
GOLD = hex_colour("#f6c945")
GOLD_DARK = hex_colour("#a86f12")
PINE = hex_colour("#1f6b3a")
PINE_DARK = hex_colour("#0d3d22")


# ----------------------------------------------------------------------------------------------
# Shared motifs


BAUBLE_COLOURS = [hex_colour("#d8283a"), hex_colour("#f2c12e"), hex_colour("#2f7fe0"),
                  hex_colour("#d8283a"), hex_colour("#c46be0")]


def paint_pine_tree(canvas, cx, base_y, height, clip, tiers=3, baubles=True):
    """A snowy pine: a trunk, stacked tiers with snow on their lower rims, a few baubles."""
    width = height * 0.72
    trunk = box(cx - height * 0.06, base_y - height * 0.14, cx + height * 0.06, base_y)
    canvas.paint(trunk & clip, vertical_gradient(base_y - height * 0.14, hex_colour("#6b4226"),
                                                 base_y, hex_colour("#3e2412")))
    tier_height = height * 0.86 / tiers
    rng = random.Random(int(cx * 7 + height))
    for i in range(tiers):
        bottom = base_y - height * 0.1 - i * tier_height * 0.78
        top = bottom - tier_height * 1.35
        half = width / 2 * (1.0 - i * 0.24)
        paint_pine_tier(canvas, cx, top, bottom, half, clip)
        if baubles:
            paint_tier_baubles(canvas, cx, bottom - tier_height * 0.42, half * 0.62, height,
                               3 - i // 2, rng, clip)


def paint_tier_baubles(canvas, cx, y, spread, tree_height, count, rng, clip):
    r = max(1.6, tree_height * 0.028)
    for k in range(count):
        t = (k + 0.5) / count
        x = cx - spread + 2 * spread * t + rng.uniform(-2, 2)
        colour = BAUBLE_COLOURS[rng.randrange(len(BAUBLE_COLOURS))]
        dark = mix(colour, (0.0, 0.0, 0.0, 1.0), 0.55)
        by = y + rng.uniform(-2, 3)
        canvas.paint(circle(x, by, r) & clip, sphere_shading(x, by, r, colour, dark, shine=0.9))


def paint_pine_tier(canvas, cx, top, bottom, half, clip):
    tier = polygon([(cx, top), (cx + half, bottom), (cx - half, bottom)]).grown(1.2)
    shade = lambda x, y: mix(PINE, PINE_DARK, clamp(0.25 + (x - cx) / (half * 2.2)))
    canvas.paint(tier & clip, shade)
    # Snow lying along the lower rim, in scallops.
    scallops = max(3, int(half / 7))
    for k in range(scallops):
        t = (k + 0.5) / scallops
        x = cx - half + 2 * half * t
        lump = ellipse(x, bottom - 1.2, half / scallops * 1.25, 3.2)
        canvas.paint(lump & tier.grown(1.5) & clip,
                     vertical_gradient(bottom - 4, SNOW, bottom + 2, SNOW_SHADE))
    cap = polygon([(cx, top), (cx + half * 0.28, top + (bottom - top) * 0.28),
                   (cx - half * 0.28, top + (bottom - top) * 0.28)]).grown(1.0)
    canvas.paint(cap & clip, vertical_gradient(top, SNOW, top + (bottom - top) * 0.3, SNOW_SHADE))


def paint_gold_star(canvas, cx, cy, size, clip=None, glow=True):
    star = polygon(star_points(cx, cy, size, size * 0.45, 5)).grown(0.6)
    if clip is not None:
        star = star & clip
    if glow:
        halo = circle(cx, cy, size * 0.4)
        canvas.glow(halo if clip is None else halo & clip, hex_colour("#fff2b0"), size * 2.6, 0.55)
    canvas.paint(star, radial_gradient(cx - size * 0.2, cy - size * 0.25, size * 1.2,
                                       hex_colour("#fff6c8"), GOLD_DARK))


def paint_snowflakes(canvas, region, count, seed, size=(0.8, 2.2)):
    """Round flakes scattered inside `region` (a shape), some softer than others."""
    rng = random.Random(seed)
    x0, y0, x1, y1 = region.box
    placed = 0
    while placed < count:
        x, y = rng.uniform(x0, x1), rng.uniform(y0, y1)
        if region.fn(x, y) > -3:
            continue
        r = rng.uniform(*size)
        flake = circle(x, y, r)
        canvas.glow(flake & region, with_alpha(WHITE, 1.0), r * 1.2, 0.35)
        canvas.paint(flake & region, with_alpha(WHITE, rng.uniform(0.75, 1.0)))
        placed += 1


def paint_soft_shadow(canvas, cx, cy, rx, ry, strength=0.45, softness=12):
    canvas.paint(ellipse(cx, cy, rx, ry), hex_colour("#000000", strength), feather=softness)


# ----------------------------------------------------------------------------------------------
# glass: a snow globe with a winter night inside


GLASS_SIZE = (300, 260)
GLOBE = (150.0, 112.0, 100.0)  # centre x, centre y, radius


def draw_glass():
    canvas = Canvas(*GLASS_SIZE)
    cx, cy, r = GLOBE
    paint_soft_shadow(canvas, cx, 242, 112, 9, 0.5, 14)
    canvas.glow(circle(cx, cy, r), hex_colour("#cfe6ff"), 9, 0.35)
    inside = circle(cx, cy, r - 0.5)
    paint_globe_sky(canvas, inside)
    paint_globe_hills(canvas, inside)
    paint_cottage(canvas, 96, 172, inside)
    paint_pine_tree(canvas, 166, 182, 104, inside)
    paint_gold_star(canvas, 166, 82, 10, inside)
    paint_snowflakes(canvas, inside, 70, seed=2412)
    paint_globe_glass(canvas, inside)
    paint_globe_base(canvas)
    return canvas


def paint_globe_sky(canvas, inside):
    cx, cy, r = GLOBE
    canvas.paint(inside, vertical_gradient(cy - r, hex_colour("#0b1638"), cy + r * 0.45,
                                           hex_colour("#3f78b8")))
    moon = circle(216, 74, 11)
    canvas.glow(moon & inside, hex_colour("#fff8dc"), 24, 0.35)
    canvas.paint(moon & inside, radial_gradient(212, 70, 14, hex_colour("#fffbea"),
                                                hex_colour("#e9ddb4")))
    rng = random.Random(77)
    for _ in range(26):  # tiny distant stars in the sky
        x, y = rng.uniform(cx - r, cx + r), rng.uniform(cy - r, cy + 20)
        dot = circle(x, y, rng.uniform(0.45, 0.9))
        canvas.paint(dot & inside, with_alpha(hex_colour("#fff7d6"), rng.uniform(0.5, 0.9)))


def paint_globe_hills(canvas, inside):
    cx, cy, r = GLOBE
    bottom = cy + r
    far = below_curve(lambda x: 150 + 9 * math.sin(x / 23.0) + 5 * math.sin(x / 9.0 + 1.3),
                      cx - r, cx + r, bottom)
    canvas.paint(far & inside, vertical_gradient(140, hex_colour("#9fb9dc"), 190,
                                                 hex_colour("#6f8fc0")))
    rng = random.Random(31)
    for i in range(9):  # a row of far-off little firs
        x = cx - r + 30 + i * 20 + rng.uniform(-5, 5)
        h = rng.uniform(12, 20)
        base = 150 + 9 * math.sin(x / 23.0) + 5 * math.sin(x / 9.0 + 1.3) + 3
        fir = polygon([(x, base - h), (x + h * 0.33, base), (x - h * 0.33, base)])
        canvas.paint(fir & inside, hex_colour("#3d5f8f"))
    near = below_curve(lambda x: 176 + 10 * math.sin((x - 40) / 38.0) - 6 * math.cos(x / 17.0),
                       cx - r, cx + r, bottom)
    frost = lambda x, y: mix(mix(SNOW, SNOW_SHADE, clamp((y - 172) / 40)), hex_colour("#dce8fb"),
                             value_noise(x, y, 5.0, 3) * 0.5)
    canvas.paint(near & inside, frost)


def paint_cottage(canvas, cx, base_y, clip):
    """A little log house with a snowy roof and a warm window."""
    w, h = 34, 24
    walls = box(cx - w / 2, base_y - h, cx + w / 2, base_y, 1.0)
    canvas.paint(walls & clip, vertical_gradient(base_y - h, hex_colour("#9b4a2c"), base_y,
                                                 hex_colour("#5c2615")))
    window = box(cx - 5, base_y - h + 7, cx + 5, base_y - h + 16, 1.0)
    canvas.glow(window & clip, hex_colour("#ffcf5a"), 12, 0.45)
    canvas.paint(window & clip, radial_gradient(cx, base_y - h + 11, 8, hex_colour("#fff1a8"),
                                                hex_colour("#ffae2e")))
    canvas.paint((box(cx - 0.7, base_y - h + 7, cx + 0.7, base_y - h + 16) |
                  box(cx - 5, base_y - h + 10.8, cx + 5, base_y - h + 12.2)) & clip,
                 hex_colour("#5c2615"))
    roof = polygon([(cx, base_y - h - 17), (cx + w / 2 + 6, base_y - h + 1),
                    (cx - w / 2 - 6, base_y - h + 1)]).grown(1.5)
    canvas.paint(roof & clip, vertical_gradient(base_y - h - 18, SNOW, base_y - h + 2,
                                                SNOW_SHADE))
    chimney = box(cx + 7, base_y - h - 17, cx + 12, base_y - h - 6)
    canvas.paint(chimney - roof & clip, hex_colour("#6e3420"))


def paint_globe_glass(canvas, inside):
    """Reflections and the rim that make the globe read as glass."""
    cx, cy, r = GLOBE
    rim = circle(cx, cy, r) - circle(cx, cy, r - 5)
    canvas.paint(rim, lambda x, y: mix(hex_colour("#f2f8ff", 0.9), hex_colour("#7fa6d6", 0.8),
                                       clamp(((x - cx) + (y - cy)) / (2.2 * r) + 0.5)))
    crescent = circle(cx, cy, r - 8) - circle(cx + 13, cy + 13, r - 8)
    canvas.paint(crescent & inside, with_alpha(WHITE, 0.32), feather=5)
    canvas.paint(ellipse(cx - 50, cy - 60, 14, 7), with_alpha(WHITE, 0.55), feather=7)
    canvas.paint(circle(cx + 60, cy + 40, 5), with_alpha(WHITE, 0.25), feather=5)


def paint_globe_base(canvas):
    cx = GLOBE[0]
    top, bottom = 196.0, 240.0
    body = polygon([(cx - 78, top), (cx + 78, top), (cx + 98, bottom - 6),
                    (cx - 98, bottom - 6)]).grown(0.0) | ellipse(cx, bottom - 6, 98, 8)
    wood = cylinder_shading(cx - 100, cx + 100, hex_colour("#c23a3a"), hex_colour("#4a0c12"))
    canvas.paint(body, wood)
    band = polygon([(cx - 86, 214), (cx + 86, 214), (cx + 90, 221), (cx - 90, 221)])
    canvas.paint(band, cylinder_shading(cx - 90, cx + 90, hex_colour("#ffe58a"), GOLD_DARK))
    collar = ellipse(cx, top, 80, 9)
    canvas.paint(collar, cylinder_shading(cx - 80, cx + 80, hex_colour("#fff0a8"), GOLD_DARK))
    canvas.paint(ellipse(cx, top - 1.5, 72, 5.5),
                 cylinder_shading(cx - 72, cx + 72, hex_colour("#e2edf9"), hex_colour("#8aa6c8")))
    for i in range(-3, 4):  # little gold studs along the band
        canvas.paint(circle(cx + i * 24, 229.5, 2.3),
                     sphere_shading(cx + i * 24, 229.5, 2.3, hex_colour("#fff3b8"), GOLD_DARK))


# ----------------------------------------------------------------------------------------------
# Output, checks and previews


SKINS = {
    "glass": draw_glass,
}


SKIN_FILL = (128, 128, 128)  # the widget composites skins over grey before premultiplying
STAR_FILL = (0, 0, 0)  # and the star sprite over black
PREVIEW_BACKGROUNDS = {"black": (0, 0, 0), "desktop": (58, 110, 165)}


def write_all(preview_dir=None):
    os.makedirs(os.path.join(DATA_DIR, "skins"), exist_ok=True)
    for name, draw in SKINS.items():
        canvas = draw()
        path = os.path.join(DATA_DIR, "skins", name + ".png")
        pixels = canvas.rgba_bytes()
        write_png(path, canvas.width, canvas.height, pixels)
        print("wrote", os.path.relpath(path, os.path.dirname(DATA_DIR)))
        if preview_dir:
            write_previews(preview_dir, name, canvas.width, canvas.height, pixels, SKIN_FILL, 1)


def write_previews(directory, name, width, height, pixels, fill, zoom):
    """RGB pictures of how the widget shows `pixels` over a black and over a blue desktop."""
    os.makedirs(directory, exist_ok=True)
    for label, background in PREVIEW_BACKGROUNDS.items():
        view = widget_view_over(pixels, width, height, fill, background)
        if zoom > 1:
            view = scaled_up(view, width, height, zoom, 3)
        write_png(os.path.join(directory, "%s-over-%s.png" % (name, label)), width * zoom,
                  height * zoom, view, colour_type=2)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="verify the written pictures")
    parser.add_argument("--preview", metavar="DIR", help="write previews to DIR")
    parser.add_argument("--only", metavar="NAME", help="draw one skin only")
    args = parser.parse_args()
    if args.only:
        SKINS_ONLY = {args.only: SKINS[args.only]}
        SKINS.clear()
        SKINS.update(SKINS_ONLY)
    write_all(args.preview)


if __name__ == "__main__":
    main()
