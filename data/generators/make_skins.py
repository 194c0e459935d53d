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
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from raster import (Canvas, below_curve, box, circle, clamp, cylinder_shading, decode_png, ellipse,
                    encode_png, hex_colour, mix, pixel_length, polygon, radial_gradient, scaled_up,
                    segment, smoothstep, sphere_shading, star_points, tapered_segment, value_noise,
                    vertical_gradient, widget_view_over, with_alpha, write_png)

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


def draw_glass(scale=1.0):
    canvas = Canvas(*GLASS_SIZE, scale)
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
# Wreath: a fir wreath with berries, baubles and a red bow


WREATH_SIZE = (300, 300)
WREATH = (150.0, 132.0, 88.0, 30.0)  # centre x, centre y, middle radius, half width
NEEDLE_GREENS = [hex_colour("#0f4a26"), hex_colour("#1b6b35"), hex_colour("#2a8a45"),
                 hex_colour("#3fa85a"), hex_colour("#6cc27a")]
RIBBON = hex_colour("#e0313f")
RIBBON_DARK = hex_colour("#7d0c18")


def draw_wreath(scale=1.0):
    canvas = Canvas(*WREATH_SIZE, scale)
    cx, cy, mid, half = WREATH
    ring = circle(cx, cy, mid).shell(half * 2)
    canvas.paint(ring.moved(4, 7), hex_colour("#000000", 0.4), feather=14)
    canvas.paint(ring.grown(-10), hex_colour("#0a3019"), feather=6)
    paint_sprigs(canvas, 165, seed=1225)
    paint_snow_dusting(canvas, 30, seed=101)
    paint_wreath_ornaments(canvas)
    paint_bow(canvas, cx, cy + mid + 6)
    return canvas


def paint_sprigs(canvas, count, seed):
    """Fir sprigs laid round the ring, each pointing roughly along it; the ones further back are
    drawn first and darker."""
    cx, cy, mid, half = WREATH
    rng = random.Random(seed)
    sprigs = []
    for i in range(count):
        angle = 2 * math.pi * (i + rng.uniform(0, 0.8)) / count
        offset = max(-1.0, min(1.0, rng.gauss(0, 0.55)))
        depth = rng.random()
        sprigs.append((depth, angle, offset))
    sprigs.sort()
    for depth, angle, offset in sprigs:
        radius = mid + offset * half * 0.85
        x, y = cx + radius * math.cos(angle), cy + radius * math.sin(angle)
        heading = angle + math.pi / 2 + offset * 0.7 + rng.uniform(-0.35, 0.35)
        paint_sprig(canvas, x, y, heading, rng.uniform(24, 34), depth, rng)


def paint_sprig(canvas, x, y, heading, length, depth, rng):
    """One sprig: a thin twig with needles on both sides, angled towards its tip."""
    dx, dy = math.cos(heading), math.sin(heading)
    tip_x, tip_y = x + length * dx, y + length * dy
    canvas.paint(tapered_segment(x, y, 1.1, tip_x, tip_y, 0.4), hex_colour("#3b2a14"))
    shade = depth * (len(NEEDLE_GREENS) - 1.01)
    base = mix(NEEDLE_GREENS[int(shade)], NEEDLE_GREENS[int(shade) + 1], shade - int(shade))
    steps = int(length / 2.6)
    for k in range(steps):
        t = (k + 0.5) / steps
        px, py = x + length * t * dx, y + length * t * dy
        needle = 9.5 * (1.0 - 0.55 * t)
        for side in (-1, 1):
            turn = heading + side * rng.uniform(0.75, 1.0)
            nx, ny = px + needle * math.cos(turn), py + needle * math.sin(turn)
            lit = clamp(0.5 - 0.5 * (nx - WREATH[0] + ny - WREATH[1]) / 200 + rng.uniform(-0.15,
                                                                                          0.15))
            colour = mix(mix(base, (0.0, 0.08, 0.02, 1.0), 0.35), base, lit)
            canvas.paint(tapered_segment(px, py, 1.15, nx, ny, 0.35), colour)


def paint_snow_dusting(canvas, count, seed):
    """Clumps of snow lying on the upper half of the ring."""
    cx, cy, mid, half = WREATH
    rng = random.Random(seed)
    for _ in range(count):
        angle = rng.uniform(math.pi * 1.1, math.pi * 1.9)
        radius = mid + rng.uniform(-half * 0.8, half * 0.8)
        x, y = cx + radius * math.cos(angle), cy + radius * math.sin(angle)
        clump = circle(x, y, rng.uniform(2.2, 3.4))
        for _ in range(2):
            clump = clump | circle(x + rng.uniform(-4, 4), y + rng.uniform(-1.5, 1.5),
                                   rng.uniform(1.6, 3.0))
        canvas.paint(clump, vertical_gradient(y - 4, SNOW, y + 4, SNOW_SHADE), feather=1.2,
                     opacity=rng.uniform(0.85, 1.0))


def paint_wreath_ornaments(canvas):
    cx, cy, mid, half = WREATH
    for i, angle_deg in enumerate((200, 250, 300, 345, 20, 160, 125)):
        angle = math.radians(angle_deg)
        radius = mid + (8 if i % 2 else -10)
        paint_berry_cluster(canvas, cx + radius * math.cos(angle), cy + radius * math.sin(angle),
                            angle)
    for angle_deg, colour in ((228, GOLD), (322, hex_colour("#c9d6e8")), (5, GOLD),
                              (175, hex_colour("#c9d6e8")), (140, GOLD)):
        angle = math.radians(angle_deg)
        radius = mid + 12 * math.sin(angle * 3)
        paint_bauble(canvas, cx + radius * math.cos(angle), cy + radius * math.sin(angle), 9.5,
                     colour)


def paint_berry_cluster(canvas, x, y, turn):
    for k in range(3):
        angle = turn + k * 2.1
        bx, by = x + 5.2 * math.cos(angle), y + 5.2 * math.sin(angle)
        canvas.paint(circle(bx, by, 5.0), sphere_shading(bx, by, 5.0, hex_colour("#ff3b45"),
                                                         hex_colour("#6a0010"), shine=1.0))


def paint_bauble(canvas, x, y, r, colour):
    dark = mix(colour, (0.1, 0.05, 0.0, 1.0), 0.6)
    canvas.paint(box(x - 3, y - r - 4, x + 3, y - r + 2, 1.0),
                 cylinder_shading(x - 3, x + 3, hex_colour("#fff3b8"), GOLD_DARK))
    canvas.paint(circle(x, y, r), sphere_shading(x, y, r, colour, dark, shine=1.0))


def paint_bow(canvas, x, y):
    """A red bow: two loops, two notched tails and a knot, lit from the upper left."""
    for side in (-1, 1):
        tail = polygon([(x + side * 2, y + 2), (x + side * 18, y + 4), (x + side * 46, y + 56),
                        (x + side * 33, y + 50), (x + side * 26, y + 66),
                        (x + side * 6, y + 14)]).grown(1.0)
        canvas.paint(tail, vertical_gradient(y, RIBBON, y + 66, RIBBON_DARK))
    for side in (-1, 1):
        lx, ly = x + side * 28, y - 9
        loop = ellipse(lx, ly, 30, 16).rotated(side * 0.3, lx, ly)
        canvas.paint(loop, radial_gradient(lx - 6, ly - 8, 34, hex_colour("#ff5f68"),
                                           RIBBON_DARK))
        fold = ellipse(lx - side * 6, ly + 2, 16, 6.5).rotated(side * 0.3, lx, ly)
        canvas.paint(fold, hex_colour("#5e0611", 0.55), feather=5)
    knot = box(x - 12, y - 20, x + 12, y + 5, 6.5)
    canvas.paint(knot, radial_gradient(x - 4, y - 14, 24, hex_colour("#ff6b72"), RIBBON_DARK))


# ----------------------------------------------------------------------------------------------
# Snowman: a snowman in a top hat and striped scarf on a snowdrift


SNOWMAN_SIZE = (260, 330)
SNOWMAN_X = 130.0
BALLS = [(244.0, 60.0), (166.0, 45.0), (102.0, 33.0)]  # centre y and radius, bottom to top
COAL = hex_colour("#23242c")
SCARF = hex_colour("#d42a3a")
SCARF_DARK = hex_colour("#7a0d1a")


def draw_snowman(scale=1.0):
    canvas = Canvas(*SNOWMAN_SIZE, scale)
    paint_soft_shadow(canvas, SNOWMAN_X + 4, 302, 112, 14, 0.4, 14)
    paint_snowdrift(canvas)
    paint_twig_arm(canvas, -1)
    paint_twig_arm(canvas, 1)
    paint_snow_balls(canvas)
    paint_buttons(canvas)
    paint_face(canvas)
    paint_scarf(canvas)
    paint_top_hat(canvas)
    paint_snowflakes(canvas, box(0, 0, *SNOWMAN_SIZE).grown(-8), 26, seed=1912, size=(1.0, 2.4))
    return canvas


def paint_snowdrift(canvas):
    drift = ellipse(SNOWMAN_X, 292, 122, 22) | ellipse(SNOWMAN_X - 60, 284, 56, 18) | \
        ellipse(SNOWMAN_X + 66, 286, 52, 16)
    canvas.paint(drift, vertical_gradient(264, SNOW, 312, SNOW_SHADE))


def paint_snow_balls(canvas):
    lit, shadow = hex_colour("#ffffff"), hex_colour("#9fb4d6")
    below = None
    for cy, r in BALLS:
        ball = circle(SNOWMAN_X, cy, r)
        canvas.paint(ball, sphere_shading(SNOWMAN_X, cy, r, lit, shadow))
        if below is not None:  # the ball above shades the one below where they meet
            canvas.paint(ellipse(SNOWMAN_X + 4, cy + r * 0.92, r * 0.9, r * 0.28) & below,
                         hex_colour("#7f95bd", 0.45), feather=8)
        canvas.paint(ball.shell(1.4), hex_colour("#8ea4c9", 0.35))
        below = ball


def paint_twig_arm(canvas, side):
    cy, r = BALLS[1]
    sx, sy = SNOWMAN_X + side * r * 0.7, cy - 6
    ex, ey = SNOWMAN_X + side * (r + 58), cy - 46
    bark = hex_colour("#5a3a1e")
    canvas.paint(tapered_segment(sx, sy, 3.2, ex, ey, 1.3), bark)
    mx, my = sx + (ex - sx) * 0.62, sy + (ey - sy) * 0.62
    canvas.paint(tapered_segment(mx, my, 1.8, mx + side * 8, my - 20, 0.8), bark)
    for k, turn in enumerate((-0.5, 0.45)):  # fingers
        fx = ex + side * 13 * math.cos(turn)
        fy = ey - 13 * math.sin(turn + 0.6)
        canvas.paint(tapered_segment(ex, ey, 1.4, fx, fy, 0.7), bark)


def paint_buttons(canvas):
    cy, r = BALLS[1]
    for k in range(3):
        y = cy - 16 + k * 16
        paint_coal(canvas, SNOWMAN_X, y + 2, 4.6)
    paint_coal(canvas, SNOWMAN_X, BALLS[0][0] - 28, 5.0)


def paint_coal(canvas, x, y, r):
    canvas.paint(circle(x, y, r), sphere_shading(x, y, r, hex_colour("#5a5d6e"), COAL,
                                                 shine=0.8))


def paint_face(canvas):
    cy, r = BALLS[2]
    for side in (-1, 1):
        paint_coal(canvas, SNOWMAN_X + side * 11, cy - 8, 4.2)
        canvas.paint(circle(SNOWMAN_X + side * 19, cy + 6, 6), hex_colour("#ff8a9a", 0.45),
                     feather=6)
    for k in range(5):  # a smile of little coals
        angle = math.radians(35 + k * 27.5)
        paint_coal(canvas, SNOWMAN_X + 15 * math.cos(angle), cy + 5 + 10 * math.sin(angle), 2.0)
    carrot = polygon([(SNOWMAN_X - 1, cy - 4), (SNOWMAN_X + 32, cy + 3),
                      (SNOWMAN_X - 1, cy + 5)]).grown(1.2)
    canvas.paint(carrot, vertical_gradient(cy - 5, hex_colour("#ffa040"), cy + 6,
                                           hex_colour("#c8520c")))
    for k in range(2):
        x = SNOWMAN_X + 8 + k * 8
        canvas.paint(segment(x, cy - 2 + k, x + 1.5, cy + 3.5 - k * 0.5, 0.5),
                     hex_colour("#a4440a", 0.8))


def paint_scarf(canvas):
    head_y, head_r = BALLS[2]
    y = head_y + head_r - 3
    stripes = lambda x, yy: SCARF if int((x + yy) / 7) % 3 else hex_colour("#f6f1e6")
    shaded = lambda x, yy: mix(stripes(x, yy), SCARF_DARK,
                               0.45 * clamp(abs(x - SNOWMAN_X + 8) / 40) ** 2)
    tail = polygon([(SNOWMAN_X + 12, y + 2), (SNOWMAN_X + 30, y + 4), (SNOWMAN_X + 38, y + 54),
                    (SNOWMAN_X + 20, y + 56)]).grown(2.0)
    canvas.paint(tail, shaded)
    for k in range(5):  # fringe
        fx = SNOWMAN_X + 19 + k * 4.4
        canvas.paint(segment(fx, y + 57, fx + 0.8, y + 64, 1.0), SCARF)
    band = box(SNOWMAN_X - 38, y - 8, SNOWMAN_X + 38, y + 9, 8.5)
    canvas.paint(band, shaded)
    knot = ellipse(SNOWMAN_X + 20, y + 2, 11, 10)
    canvas.paint(knot, lambda x, yy: mix(stripes(x, yy), SCARF_DARK, 0.25))


def paint_top_hat(canvas):
    head_y, head_r = BALLS[2]
    brim_y = head_y - head_r + 8
    hat_lit, hat_dark = hex_colour("#4a4a5e"), hex_colour("#101018")
    crown = box(SNOWMAN_X - 24, brim_y - 50, SNOWMAN_X + 24, brim_y, 3.0)
    canvas.paint(crown, cylinder_shading(SNOWMAN_X - 24, SNOWMAN_X + 24, hat_lit, hat_dark))
    band = box(SNOWMAN_X - 24, brim_y - 14, SNOWMAN_X + 24, brim_y - 4)
    canvas.paint(band, cylinder_shading(SNOWMAN_X - 24, SNOWMAN_X + 24, SCARF, SCARF_DARK))
    brim = ellipse(SNOWMAN_X, brim_y, 40, 7)
    canvas.paint(brim, cylinder_shading(SNOWMAN_X - 40, SNOWMAN_X + 40, hat_lit, hat_dark))
    canvas.paint(ellipse(SNOWMAN_X, brim_y - 50, 24, 4.5), hex_colour("#2a2a36"))
    paint_holly_sprig(canvas, SNOWMAN_X - 12, brim_y - 10, 0.75)


def holly_leaf(x, y, length, width, angle, spikes=4):
    """A holly leaf from its stalk at (x, y): a spiny outline, turned by `angle`."""
    upper, lower = [], []
    steps = spikes * 2
    for i in range(1, steps):
        t = i / steps
        half = width * math.sin(math.pi * t) ** 0.7
        half *= 1.18 if i % 2 else 0.72  # spine tips and the hollows between them
        px = x + length * t + (length / steps * 0.35 if i % 2 else 0.0)
        upper.append((px, y - half))
        lower.append((px, y + half))
    outline = [(x, y)] + upper + [(x + length * 1.06, y)] + lower[::-1]
    return polygon(outline).grown(0.4).rotated(angle, x, y)


def paint_holly_leaf(canvas, x, y, length, width, angle):
    leaf_lit, leaf_dark = hex_colour("#3fae5a"), hex_colour("#0b4220")
    leaf = holly_leaf(x, y, length, width, angle)
    c, s = math.cos(angle), math.sin(angle)
    # Lit on the side facing up-left, darker across the midrib.
    shade = lambda px, py: mix(leaf_lit, leaf_dark,
                               clamp(0.45 + ((px - x) * s - (py - y) * c) / (width * 2.6)))
    canvas.paint(leaf, shade)
    canvas.paint(segment(x, y, x + length * 0.85 * c, y + length * 0.85 * s, 0.6),
                 hex_colour("#8fd49a", 0.55))


def paint_holly_sprig(canvas, x, y, scale):
    for angle in (math.radians(200), math.radians(-20)):
        paint_holly_leaf(canvas, x, y, 24 * scale, 7 * scale, angle)
    for dx, dy in ((-3, -2), (3, -2.5), (0, 2.5)):
        bx, by = x + dx * scale * 1.3, y + dy * scale * 1.3
        r = 3.6 * scale
        canvas.paint(circle(bx, by, r), sphere_shading(bx, by, r, hex_colour("#ff3b45"),
                                                       hex_colour("#6a0010"), shine=1.0))


# ----------------------------------------------------------------------------------------------
# CandleLight: three lit candles on a gold tray with a holly garland


CANDLE_LIGHT_SIZE = (300, 290)
TRAY_Y = 246.0
CANDLES = [  # centre x, width, height, lit colour, shadow colour
    (92.0, 40.0, 96.0, hex_colour("#e8343f"), hex_colour("#6e0c16")),
    (150.0, 48.0, 146.0, hex_colour("#fff6e4"), hex_colour("#c9a57a")),
    (208.0, 40.0, 118.0, hex_colour("#e8343f"), hex_colour("#6e0c16")),
]


def draw_candle_light(scale=1.0):
    canvas = Canvas(*CANDLE_LIGHT_SIZE, scale)
    paint_soft_shadow(canvas, 152, TRAY_Y + 16, 130, 12, 0.45, 14)
    for x, width, height, lit, shadow in CANDLES:
        canvas.glow(circle(x, TRAY_Y - height - 24, 9), hex_colour("#ffc864"), 58, 0.6)
    paint_tray(canvas)
    for x, width, height, lit, shadow in CANDLES:
        paint_candle(canvas, x, width, height, lit, shadow)
        paint_flame(canvas, x, TRAY_Y - height - 6)
    paint_holly_garland(canvas)
    return canvas


def paint_tray(canvas):
    gold = cylinder_shading(14, 286, hex_colour("#ffeaa0"), GOLD_DARK, 0.3)
    canvas.paint(ellipse(150, TRAY_Y + 6, 136, 17), gold)
    canvas.paint(ellipse(150, TRAY_Y, 132, 14),
                 cylinder_shading(18, 282, hex_colour("#fff4c8"), hex_colour("#b8862a"), 0.3))
    canvas.paint(ellipse(150, TRAY_Y - 1, 120, 10),
                 vertical_gradient(TRAY_Y - 11, hex_colour("#c8962e"), TRAY_Y + 9,
                                   hex_colour("#f8dc86")))


def paint_candle(canvas, x, width, height, lit, shadow):
    half = width / 2
    top = TRAY_Y - height
    wax = cylinder_shading(x - half, x + half, lit, shadow)
    canvas.paint(box(x - half, top, x + half, TRAY_Y) | ellipse(x, TRAY_Y, half, 5), wax)
    canvas.paint(ellipse(x, top, half, 5.5), mix(lit, shadow, 0.25))
    canvas.paint(ellipse(x, top + 0.8, half - 4, 3.2), mix(lit, shadow, 0.45))
    rng = random.Random(int(x))
    for k in range(3):  # wax running down from the rim
        dx = x - half + 5 + rng.uniform(0, width - 10)
        length = rng.uniform(10, 30)
        drip = segment(dx, top + 2, dx, top + length, rng.uniform(2.0, 3.2))
        canvas.paint(drip.moved(1.2, 1.0), with_alpha(shadow, 0.45), feather=1.5)
        canvas.paint(drip, wax)
        canvas.paint(segment(dx - 0.8, top + 4, dx - 0.8, top + length - 1, 0.7),
                     with_alpha(WHITE, 0.35))
    canvas.paint(segment(x, top - 1, x + 0.5, top - 9, 1.1), hex_colour("#2b1d12"))


def paint_flame(canvas, x, base_y):
    """A flame: an orange teardrop with a yellow body, a white core and a blue foot."""
    outer = tapered_segment(x, base_y - 8, 7.0, x + 1.5, base_y - 38, 0.6)
    canvas.glow(outer, hex_colour("#ffdd88"), 10, 0.5)
    canvas.paint(outer, vertical_gradient(base_y - 38, hex_colour("#ff8a1c"), base_y,
                                          hex_colour("#ffb53a")))
    body = tapered_segment(x, base_y - 8, 5.2, x + 1.0, base_y - 32, 0.5)
    canvas.paint(body, vertical_gradient(base_y - 32, hex_colour("#ffd84a"), base_y - 4,
                                         hex_colour("#fff2a6")), feather=1.5)
    core = tapered_segment(x, base_y - 7, 3.0, x + 0.5, base_y - 20, 0.6)
    canvas.paint(core, hex_colour("#fffdf2"), feather=2.0)
    canvas.paint(ellipse(x, base_y - 4, 3.2, 2.4), hex_colour("#5a8cff", 0.7), feather=2.0)


def paint_holly_garland(canvas):
    rng = random.Random(2512)
    for k in range(12):
        x = 40 + k * 20 + rng.uniform(-3, 3)
        y = TRAY_Y + 6 + 4 * math.sin(k * 1.7)
        angle = math.radians(rng.choice((-160, -20, 200, 20)) + rng.uniform(-15, 15))
        paint_holly_leaf(canvas, x, y, rng.uniform(28, 34), rng.uniform(8.0, 9.5), angle)
    for k in range(6):
        x = 55 + k * 38 + rng.uniform(-4, 4)
        y = TRAY_Y + 4 + rng.uniform(-2, 3)
        for dx, dy in ((-4, -1), (4, -2), (0, 4)):
            bx, by = x + dx, y + dy
            canvas.paint(circle(bx, by, 4.6), sphere_shading(bx, by, 4.6, hex_colour("#ff3b45"),
                                                             hex_colour("#6a0010"), shine=1.0))


# ----------------------------------------------------------------------------------------------
# The star sprite: a small four-pointed sparkle


STAR_SIZE = 17  # odd, so the sparkle has a centre pixel
STAR_TIP = hex_colour("#ffe39a")


def sparkle_ray(along, across, length, width):
    """Brightness of one ray lying along an axis: tapering in width and in strength to its tip."""
    if abs(along) >= length:
        return 0.0
    taper = 1.0 - abs(along) / length
    spread = width * taper + 0.22
    return taper ** 0.9 * math.exp(-(across / spread) ** 2)


def sparkle(x, y):
    centre = STAR_SIZE / 2
    dx, dy = x - centre, y - centre
    r = math.hypot(dx, dy)
    reach = centre - 0.6
    cross = max(sparkle_ray(dx, dy, reach, 1.15), sparkle_ray(dy, dx, reach, 1.15))
    u, v = (dx + dy) * math.sqrt(0.5), (dx - dy) * math.sqrt(0.5)
    diagonal = 0.6 * max(sparkle_ray(u, v, reach * 0.5, 0.6), sparkle_ray(v, u, reach * 0.5, 0.6))
    core = math.exp(-(r / 1.7) ** 2)
    halo = 0.3 * math.exp(-(r / 3.2) ** 2)
    # The widget multiplies the sprite's colour by its alpha twice, so the soft parts are lifted
    # to keep the rays bright.
    alpha = 1.0 - ((1.0 - cross) * (1.0 - diagonal) * (1.0 - core) * (1.0 - halo)) ** 1.7
    colour = mix(WHITE, STAR_TIP, smoothstep(0.5, reach * 0.8, r))
    return with_alpha(colour, clamp(alpha))


def draw_star(scale=1.0):
    canvas = Canvas(STAR_SIZE, STAR_SIZE, scale)
    canvas.paint_field(sparkle, samples=6)
    return canvas


# ----------------------------------------------------------------------------------------------
# Output, checks and previews


SKINS = {
    "glass": draw_glass,
    "Wreath": draw_wreath,
    "Snowman": draw_snowman,
    "CandleLight": draw_candle_light,
}


SKIN_FILL = (128, 128, 128)  # the widget composites skins over grey before premultiplying
STAR_FILL = (0, 0, 0)  # and the star sprite over black
PREVIEW_BACKGROUNDS = {"black": (0, 0, 0), "desktop": (58, 110, 165)}

SOLID_ALPHA = 155  # stars are only drawn where a skin's alpha is above this
SKIN_WIDTHS = range(200, 361)
STAR_SIZES = range(15, 22, 2)
IDENTIFIER = re.compile(r"^[A-Za-z][A-Za-z0-9_]*$")


# The larger pictures: drawn again at 1.5 and 2 pixels per unit, each in a folder named after its
# scale beside the 1x picture (skins/2x/glass.png, 2x/star.png), where the widget looks for them.
SCALES = ((1.0, ""), (1.5, "1.5x"), (2.0, "2x"))


def star_path(folder=""):
    return os.path.join(DATA_DIR, folder, "star.png")


def skin_path(name, folder=""):
    return os.path.join(DATA_DIR, "skins", folder, name + ".png")


def pictures(skins=None):
    """(path, draw function, fill the widget uses, scale) for the star and each chosen skin, at
    every scale."""
    chosen = []
    for scale, folder in SCALES:
        chosen.append((star_path(folder), draw_star, STAR_FILL, scale))
        for name, draw in SKINS.items():
            if not skins or name in skins:
                chosen.append((skin_path(name, folder), draw, SKIN_FILL, scale))
    return chosen


def write_all(preview_dir=None, skins=None):
    for path, draw, fill, scale in pictures(skins):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        canvas = draw(scale)
        pixels = canvas.rgba_bytes()
        write_png(path, canvas.width, canvas.height, pixels)
        print("wrote", os.path.relpath(path, os.path.dirname(DATA_DIR)))
        if preview_dir:
            name = os.path.splitext(os.path.basename(path))[0]
            if scale != 1.0:
                name += "-%gx" % scale
            zoom = max(1, 200 // canvas.width)
            write_previews(preview_dir, name, canvas.width, canvas.height, pixels, fill, zoom)


def write_previews(directory, name, width, height, pixels, fill, zoom):
    """RGB pictures of how the widget shows `pixels` over a black and over a blue desktop."""
    os.makedirs(directory, exist_ok=True)
    for label, background in PREVIEW_BACKGROUNDS.items():
        view = widget_view_over(pixels, width, height, fill, background)
        if zoom > 1:
            view = scaled_up(view, width, height, zoom, 3)
        write_png(os.path.join(directory, "%s-over-%s.png" % (name, label)), width * zoom,
                  height * zoom, view, colour_type=2)


# Checks: each returns a list of problems, empty when the picture is fine.


def border_alphas(alpha, width, height):
    last_row = (height - 1) * width
    rows = [alpha[x] for x in range(width)] + [alpha[last_row + x] for x in range(width)]
    columns = [alpha[y * width + x] for y in range(height) for x in (0, width - 1)]
    return rows + columns


def check_skin(name, width, height, colour_type, pixels, scale=1.0):
    problems = []
    if not IDENTIFIER.match(name):
        problems.append("the name is not an identifier")
    if colour_type != 6:
        problems.append("colour type %d, not 6 (RGB with alpha)" % colour_type)
        return problems
    if scale == 1.0 and width not in SKIN_WIDTHS:
        problems.append("width %d is outside 200 to 360" % width)
    alpha = pixels[3::4]
    if max(border_alphas(alpha, width, height)) != 0:
        problems.append("the border is not fully transparent")
    solid = sum(1 for a in alpha if a > SOLID_ALPHA) / len(alpha)
    wanted = 0.4 if name == "glass" else 0.25
    if solid < wanted:
        problems.append("only %.0f%% of the pixels are solid (want %.0f%%)" % (solid * 100,
                                                                              wanted * 100))
    if not any(0 < a < 128 for a in alpha):
        problems.append("no soft edge: no half-transparent pixels")
    return problems


def check_star(width, height, colour_type, pixels, scale=1.0):
    if colour_type != 6:
        return ["colour type %d, not 6 (RGB with alpha)" % colour_type]
    problems = []
    if width != height:
        problems.append("size %d x %d is not square" % (width, height))
    elif scale == 1.0 and width not in STAR_SIZES:
        problems.append("size %d x %d is not odd and square from 15 to 21" % (width, height))
    alpha = pixels[3::4]
    corners = [alpha[0], alpha[width - 1], alpha[-width], alpha[-1]]
    if any(corners):
        problems.append("the corners are not transparent")
    if alpha[(height // 2) * width + width // 2] != 255:
        problems.append("the centre pixel is not opaque")
    return problems


def check_scaled_size(width, height, base_size, scale):
    """A larger picture must have the size the widget asks for at its scale."""
    wanted = (pixel_length(base_size[0], scale), pixel_length(base_size[1], scale))
    if (width, height) == wanted:
        return []
    return ["size %d x %d is not the %gx size %d x %d" % (width, height, scale, *wanted)]


def check_all():
    """Verifies every picture on disk and that the generator still makes exactly those bytes."""
    failures = 0
    for path, draw, fill, scale in pictures():
        name = os.path.splitext(os.path.basename(path))[0]
        try:
            with open(path, "rb") as f:
                data = f.read()
            width, height, colour_type, pixels = decode_png(data)
        except (OSError, ValueError) as error:
            problems = ["cannot be read: %s" % error]
        else:
            canvas = draw(scale)
            if name == "star":
                problems = check_star(width, height, colour_type, pixels, scale)
            else:
                problems = check_skin(name, width, height, colour_type, pixels, scale)
            if scale != 1.0:
                base = draw(1.0)
                problems += check_scaled_size(width, height, (base.width, base.height), scale)
            if encode_png(canvas.width, canvas.height, canvas.rgba_bytes()) != data:
                problems.append("differs from what the generator draws now: run it again")
        label = os.path.relpath(path, os.path.dirname(DATA_DIR))
        for problem in problems:
            print("%s: %s" % (label, problem))
        if not problems:
            print("%s: ok" % label)
        failures += len(problems)
    for entry in sorted(os.listdir(os.path.join(DATA_DIR, "skins"))):
        base, ext = os.path.splitext(entry)
        if ext.lower() == ".png" and not IDENTIFIER.match(base):
            print("data/skins/%s: the name is not an identifier" % entry)
            failures += 1
    return failures == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="verify the written pictures instead of writing them")
    parser.add_argument("--preview", metavar="DIR", help="also write previews to DIR")
    parser.add_argument("--only", metavar="NAME", help="write the star and this one skin only")
    args = parser.parse_args()
    if args.check:
        sys.exit(0 if check_all() else 1)
    write_all(args.preview, [args.only] if args.only else None)


if __name__ == "__main__":
    main()
