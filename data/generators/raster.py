"""Small raster toolkit shared by the picture generators: signed-distance shapes, an RGBA canvas
that paints them with supersampled edges, and a PNG writer and reader (zlib + struct only).

Distances are in pixels, negative inside a shape. Pixel (x, y) covers the square from (x, y) to
(x + 1, y + 1), so its centre is (x + 0.5, y + 0.5).
"""

import math
import struct
import zlib

# Pixels whose centre lies closer than this to an outline are supersampled. It is generous because
# some shapes (ellipses, hill curves, blends) only approximate a true distance.
EDGE_BAND = 1.5
SUBSAMPLES = 4  # per axis, so 16 samples for an edge pixel


# ----------------------------------------------------------------------------------------------
# Colours and small maths


def hex_colour(text, alpha=1.0):
    """'#rrggbb' -> (r, g, b, a) with channels from 0 to 1."""
    text = text.lstrip("#")
    return (int(text[0:2], 16) / 255, int(text[2:4], 16) / 255, int(text[4:6], 16) / 255, alpha)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def smoothstep(edge0, edge1, v):
    t = clamp((v - edge0) / (edge1 - edge0))
    return t * t * (3 - 2 * t)


def mix(a, b, t):
    """Blends two colours (tuples of equal length) by t from 0 (a) to 1 (b)."""
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def with_alpha(colour, alpha):
    return (colour[0], colour[1], colour[2], alpha)


def hash_noise(ix, iy, seed):
    """A repeatable pseudo-random value in [0, 1) for an integer lattice point."""
    h = (ix * 374761393 + iy * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFFFF) / float(0x1000000)


def value_noise(x, y, scale, seed):
    """Smooth noise in [0, 1): bilinear blend of lattice values spaced `scale` pixels apart."""
    fx, fy = x / scale, y / scale
    ix, iy = math.floor(fx), math.floor(fy)
    tx, ty = fx - ix, fy - iy
    tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)
    top = hash_noise(ix, iy, seed) * (1 - tx) + hash_noise(ix + 1, iy, seed) * tx
    bottom = hash_noise(ix, iy + 1, seed) * (1 - tx) + hash_noise(ix + 1, iy + 1, seed) * tx
    return top * (1 - ty) + bottom * ty


# ----------------------------------------------------------------------------------------------
# Shapes: a distance function with a bounding box (x0, y0, x1, y1) that encloses its inside.


class Shape:
    def __init__(self, fn, box):
        self.fn = fn
        self.box = box

    def __or__(self, other):  # union
        f, g = self.fn, other.fn
        a, b = self.box, other.box
        return Shape(lambda x, y: min(f(x, y), g(x, y)),
                     (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3])))

    def __and__(self, other):  # intersection
        f, g = self.fn, other.fn
        a, b = self.box, other.box
        return Shape(lambda x, y: max(f(x, y), g(x, y)),
                     (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3])))

    def __sub__(self, other):  # difference
        f, g = self.fn, other.fn
        return Shape(lambda x, y: max(f(x, y), -g(x, y)), self.box)

    def grown(self, r):
        """The shape widened by r pixels (rounded corners for a positive r)."""
        f = self.fn
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: f(x, y) - r, (x0 - r, y0 - r, x1 + r, y1 + r))

    def shell(self, thickness):
        """A band of the given thickness centred on the outline."""
        f = self.fn
        half = thickness / 2
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: abs(f(x, y)) - half, (x0 - half, y0 - half, x1 + half, y1 + half))

    def moved(self, dx, dy):
        f = self.fn
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: f(x - dx, y - dy), (x0 + dx, y0 + dy, x1 + dx, y1 + dy))


    def rotated(self, angle, ox, oy):
        """The shape turned by `angle` radians (clockwise on screen) about (ox, oy)."""
        f = self.fn
        c, s = math.cos(angle), math.sin(angle)

        def fn(x, y):
            dx, dy = x - ox, y - oy
            return f(ox + dx * c + dy * s, oy - dx * s + dy * c)

        x0, y0, x1, y1 = self.box
        corners = [(ox + (x - ox) * c - (y - oy) * s, oy + (x - ox) * s + (y - oy) * c)
                   for x, y in ((x0, y0), (x1, y0), (x0, y1), (x1, y1))]
        xs = [p[0] for p in corners]
        ys = [p[1] for p in corners]
        return Shape(fn, (min(xs), min(ys), max(xs), max(ys)))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    def fn(x, y):
        px, py = (x - cx) / rx, (y - cy) / ry
        k0 = math.hypot(px, py)
        k1 = math.hypot(px / rx, py / ry)
        if k1 == 0.0:
            return -min(rx, ry)
        return k0 * (k0 - 1.0) / k1

    return Shape(fn, (cx - rx, cy - ry, cx + rx, cy + ry))


def box(x0, y0, x1, y1, radius=0.0):
    """An axis-aligned rectangle, optionally with rounded corners of the given radius."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def fn(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return Shape(fn, (x0, y0, x1, y1))


def segment(ax, ay, bx, by, r):
    """A capsule: every point within r of the segment from a to b."""
    ex, ey = bx - ax, by - ay
    length2 = ex * ex + ey * ey or 1e-12

    def fn(x, y):
        wx, wy = x - ax, y - ay
        t = clamp((wx * ex + wy * ey) / length2)
        return math.hypot(wx - ex * t, wy - ey * t) - r

    return Shape(fn, (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r))


def tapered_segment(ax, ay, ra, bx, by, rb):
    """A capsule whose radius runs from ra at a to rb at b (a twig, a needle, a ray)."""
    ex, ey = bx - ax, by - ay
    length2 = ex * ex + ey * ey or 1e-12

    def fn(x, y):
        wx, wy = x - ax, y - ay
        t = clamp((wx * ex + wy * ey) / length2)
        return math.hypot(wx - ex * t, wy - ey * t) - (ra + (rb - ra) * t)

    r = max(ra, rb)
    return Shape(fn, (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r))


def polygon(points):
    """A closed polygon given by its corners in order (either winding)."""
    edges = []
    n = len(points)
    for i in range(n):
        ax, ay = points[i]
        bx, by = points[i - 1]
        ex, ey = bx - ax, by - ay
        edges.append((ax, ay, ex, ey, ex * ex + ey * ey or 1e-12))

    def fn(x, y):
        best = float("inf")
        inside = False
        for ax, ay, ex, ey, length2 in edges:
            wx, wy = x - ax, y - ay
            t = clamp((wx * ex + wy * ey) / length2)
            dx, dy = wx - ex * t, wy - ey * t
            d2 = dx * dx + dy * dy
            if d2 < best:
                best = d2
            # Crossing test against the edge's y span decides inside or outside.
            by = ay + ey
            if (ay <= y) != (by <= y):
                if x < ax + (y - ay) * ex / ey:
                    inside = not inside
        d = math.sqrt(best)
        return -d if inside else d

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(fn, (min(xs), min(ys), max(xs), max(ys)))


def star_points(cx, cy, outer, inner, tips, rotation=-math.pi / 2):
    """Corners of a star with the given number of tips, the first tip pointing at `rotation`."""
    points = []
    for i in range(tips * 2):
        r = outer if i % 2 == 0 else inner
        angle = rotation + i * math.pi / tips
        points.append((cx + r * math.cos(angle), cy + r * math.sin(angle)))
    return points


def below_curve(curve, x0, x1, bottom):
    """Everything below the curve y = curve(x) between x0 and x1, down to `bottom` (a hill).

    The distance is the vertical gap scaled by the local slope, which is close to the true distance
    for gentle curves.
    """

    def fn(x, y):
        top = curve(x)
        slope = (curve(x + 0.5) - curve(x - 0.5))
        return (top - y) / math.sqrt(1.0 + slope * slope)

    top = min(curve(x0 + (x1 - x0) * i / 64) for i in range(65))
    return Shape(fn, (x0, top, x1, bottom))


# ----------------------------------------------------------------------------------------------
# Paints: a constant colour or a function of the position giving (r, g, b, a).


def as_paint(colour):
    if callable(colour):
        return colour
    if len(colour) == 3:
        colour = (colour[0], colour[1], colour[2], 1.0)
    return lambda x, y: colour


def vertical_gradient(y0, top, y1, bottom):
    return lambda x, y: mix(top, bottom, clamp((y - y0) / (y1 - y0)))


def radial_gradient(cx, cy, r, centre, edge):
    return lambda x, y: mix(centre, edge, clamp(math.hypot(x - cx, y - cy) / r))


def sphere_shading(cx, cy, r, lit, shadow, light=(-0.55, -0.6, 0.58), shine=0.0):
    """Colours a ball: diffuse light from `light` (x right, y down, z to the viewer), plus an
    optional white highlight of strength `shine`."""
    lx, ly, lz = light
    norm = math.sqrt(lx * lx + ly * ly + lz * lz)
    lx, ly, lz = lx / norm, ly / norm, lz / norm

    def paint(x, y):
        nx, ny = (x - cx) / r, (y - cy) / r
        nz = math.sqrt(max(0.0, 1.0 - nx * nx - ny * ny))
        diffuse = clamp(nx * lx + ny * ly + nz * lz)
        colour = mix(shadow, lit, diffuse)
        if shine:
            # Reflection of the light around the normal, looked at from the front.
            rz = 2 * diffuse * nz - lz
            specular = clamp(rz) ** 24 * shine
            colour = mix(colour, (1.0, 1.0, 1.0, colour[3]), specular)
        return colour

    return paint


def cylinder_shading(x0, x1, lit, shadow, light_at=0.32):
    """Colours an upright cylinder: brightest at `light_at` of its width, darker to both sides."""
    width = x1 - x0

    def paint(x, y):
        t = (x - x0) / width
        diffuse = 1.0 - clamp(abs(t - light_at) / max(light_at, 1 - light_at)) ** 1.6
        return mix(shadow, lit, diffuse)

    return paint


# ----------------------------------------------------------------------------------------------
# Canvas


def pixel_length(units, scale):
    """A length of `units` at `scale` pixels per unit, rounded to whole pixels with halves up: the
    size the widget asks of a picture made for that scale."""
    return int(math.floor(units * scale + 0.5))


class Canvas:
    """An RGBA picture kept as premultiplied floats; shapes are painted over it."""

    def __init__(self, width, height, scale=1.0):
        """A picture of `width` x `height` units drawn at `scale` pixels per unit: every drawing
        call takes unit coordinates, so one drawing makes the same art at any scale. The canvas
        is round(width * scale) x round(height * scale) pixels, the art centred in it when the
        product is not whole. At scale 1 a unit is a pixel."""
        self.scale = scale
        self.width = pixel_length(width, scale)
        self.height = pixel_length(height, scale)
        # Where unit 0 falls, in pixels: half of what rounding the size added or took away.
        self.offset_x = (self.width - width * scale) / 2
        self.offset_y = (self.height - height * scale) / 2
        size = self.width * self.height
        self.r = [0.0] * size
        self.g = [0.0] * size
        self.b = [0.0] * size
        self.a = [0.0] * size

    def paint(self, shape, colour, feather=0.0, opacity=1.0):
        """Paints the inside of `shape` over the picture.

        With feather = 0 the outline is anti-aliased by supersampling; a positive feather makes a
        soft outline that fades over that many pixels.
        """
        fn = shape.fn
        if feather > 0:
            half = feather / 2

            def coverage(x, y):
                d = fn(x, y)
                if d >= half:
                    return 0.0
                if d <= -half:
                    return 1.0
                t = (half - d) / feather
                return t * t * (3 - 2 * t)
        else:
            coverage = self._supersampled_coverage(fn)
        self._fill(shape.box, feather, coverage, as_paint(colour), opacity)

    def glow(self, shape, colour, radius, strength=1.0):
        """A soft halo: full `strength` inside the shape, fading to nothing `radius` pixels out."""
        fn = shape.fn

        def coverage(x, y):
            d = fn(x, y)
            if d <= 0:
                return strength
            if d >= radius:
                return 0.0
            t = 1.0 - d / radius
            return strength * t * t * t

        self._fill(shape.box, radius, coverage, as_paint(colour), 1.0)

    def paint_field(self, field, samples=SUBSAMPLES):
        """Paints a colour field (x, y) -> (r, g, b, a) over the whole picture, each pixel the
        average of samples x samples points (for soft pictures drawn from a formula)."""
        offsets = [(i + 0.5) / samples - 0.5 for i in range(samples)]
        share = 1.0 / (samples * samples)
        for py in range(self.height):
            for px in range(self.width):
                r = g = b = a = 0.0
                for oy in offsets:
                    for ox in offsets:
                        cr, cg, cb, ca = field(self._unit_x(px + 0.5 + ox),
                                               self._unit_y(py + 0.5 + oy))
                        r, g, b, a = r + cr * ca, g + cg * ca, b + cb * ca, a + ca
                if a <= 0.0:
                    continue
                i = py * self.width + px
                sa = a * share
                keep = 1.0 - sa
                self.r[i] = r * share + self.r[i] * keep
                self.g[i] = g * share + self.g[i] * keep
                self.b[i] = b * share + self.b[i] * keep
                self.a[i] = sa + self.a[i] * keep

    def _supersampled_coverage(self, fn):
        n = SUBSAMPLES
        # Sample offsets and the edge band are a pixel's, in units.
        offsets = [((i + 0.5) / n - 0.5) / self.scale for i in range(n)]
        share = 1.0 / (n * n)
        band = EDGE_BAND / self.scale

        def coverage(x, y):
            d = fn(x, y)
            if d >= band:
                return 0.0
            if d <= -band:
                return 1.0
            inside = 0
            for oy in offsets:
                for ox in offsets:
                    if fn(x + ox, y + oy) < 0:
                        inside += 1
            return inside * share

        return coverage

    def _unit_x(self, pixel_x):
        return (pixel_x - self.offset_x) / self.scale

    def _unit_y(self, pixel_y):
        return (pixel_y - self.offset_y) / self.scale

    def _fill(self, box, margin, coverage, paint, opacity):
        """Runs over the pixels of `box` (in units) widened by `margin` units and one pixel."""
        s = self.scale
        x0 = max(0, int(math.floor((box[0] - margin) * s + self.offset_x - 1)))
        y0 = max(0, int(math.floor((box[1] - margin) * s + self.offset_y - 1)))
        x1 = min(self.width, int(math.ceil((box[2] + margin) * s + self.offset_x + 1)))
        y1 = min(self.height, int(math.ceil((box[3] + margin) * s + self.offset_y + 1)))
        pr, pg, pb, pa = self.r, self.g, self.b, self.a
        for py in range(y0, y1):
            cy = self._unit_y(py + 0.5)
            row = py * self.width
            for px in range(x0, x1):
                cx = self._unit_x(px + 0.5)
                c = coverage(cx, cy)
                if c <= 0.0:
                    continue
                r, g, b, a = paint(cx, cy)
                sa = a * c * opacity
                if sa <= 0.0:
                    continue
                keep = 1.0 - sa
                i = row + px
                pr[i] = r * sa + pr[i] * keep
                pg[i] = g * sa + pg[i] * keep
                pb[i] = b * sa + pb[i] * keep
                pa[i] = sa + pa[i] * keep

    def alpha_at(self, x, y):
        return self.a[y * self.width + x]

    def rgba_bytes(self):
        """The picture as 8-bit straight (not premultiplied) RGBA rows, top row first."""
        out = bytearray(self.width * self.height * 4)
        for i in range(self.width * self.height):
            a = self.a[i]
            alpha = int(round(clamp(a) * 255))
            if alpha == 0:
                continue
            out[4 * i] = int(round(clamp(self.r[i] / a) * 255))
            out[4 * i + 1] = int(round(clamp(self.g[i] / a) * 255))
            out[4 * i + 2] = int(round(clamp(self.b[i] / a) * 255))
            out[4 * i + 3] = alpha
        return bytes(out)


# ----------------------------------------------------------------------------------------------
# PNG


PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _predictor(kind, left, up, upleft):
    """The PNG filter's prediction of a byte from its left, upper and upper-left neighbours."""
    if kind == 0:
        return 0
    if kind == 1:
        return left
    if kind == 2:
        return up
    if kind == 3:
        return (left + up) >> 1
    if kind == 4:
        return _paeth(left, up, upleft)
    raise ValueError("unknown filter type %d" % kind)


def _filter_row(kind, row, prior, bpp):
    out = bytearray(len(row))
    for i, v in enumerate(row):
        left = row[i - bpp] if i >= bpp else 0
        up = prior[i]
        upleft = prior[i - bpp] if i >= bpp else 0
        out[i] = (v - _predictor(kind, left, up, upleft)) & 0xFF
    return out


def _filtered_rows(pixels, width, height, bpp):
    """Each row with the filter whose output has the smallest sum of signed magnitudes."""
    stride = width * bpp
    prior = bytes(stride)
    data = bytearray()
    for y in range(height):
        row = pixels[y * stride:(y + 1) * stride]
        best = None
        for kind in range(5):
            candidate = _filter_row(kind, row, prior, bpp)
            score = sum(v if v < 128 else 256 - v for v in candidate)
            if best is None or score < best[0]:
                best = (score, kind, candidate)
        data.append(best[1])
        data += best[2]
        prior = row
    return bytes(data)


def encode_png(width, height, pixels, colour_type=6):
    """PNG bytes for 8-bit rows: colour type 6 (RGBA) or 2 (RGB), no gamma, no interlace."""
    bpp = {6: 4, 2: 3}[colour_type]
    if len(pixels) != width * height * bpp:
        raise ValueError("pixel data does not match the picture size")
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    body = zlib.compress(_filtered_rows(pixels, width, height, bpp), 9)
    return PNG_SIGNATURE + _chunk(b"IHDR", header) + _chunk(b"IDAT", body) + _chunk(b"IEND", b"")


def write_png(path, width, height, pixels, colour_type=6):
    with open(path, "wb") as f:
        f.write(encode_png(width, height, pixels, colour_type))


def decode_png(data):
    """Decodes an 8-bit, non-interlaced RGBA or RGB PNG: (width, height, colour type, pixels).

    Checks the signature and every chunk's CRC; raises ValueError on anything else.
    """
    if data[:8] != PNG_SIGNATURE:
        raise ValueError("not a PNG file")
    pos = 8
    header = None
    idat = bytearray()
    ended = False
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise ValueError("bad CRC in chunk %r" % kind)
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            ended = True
            break
        pos += 12 + length
    if header is None or not ended:
        raise ValueError("missing IHDR or IEND")
    width, height, depth, colour_type, _, _, interlace = header
    if depth != 8 or interlace != 0 or colour_type not in (2, 6):
        raise ValueError("unsupported PNG layout %r" % (header,))
    bpp = 4 if colour_type == 6 else 3
    raw = zlib.decompress(bytes(idat))
    stride = width * bpp
    if len(raw) != height * (stride + 1):
        raise ValueError("image data has the wrong length")
    pixels = bytearray()
    prior = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = prior[i]
            upleft = prior[i - bpp] if i >= bpp else 0
            line[i] = (line[i] + _predictor(kind, left, up, upleft)) & 0xFF
        pixels += line
        prior = line
    return width, height, colour_type, bytes(pixels)


# ----------------------------------------------------------------------------------------------
# Previews (not shipped): how a picture looks once the widget has loaded and shown it.


def widget_view_over(pixels, width, height, fill, background):
    """RGB rows of an RGBA picture as the widget shows it: composited over `fill` with integer
    rounding, multiplied by alpha again (the widget's premultiplication), then laid over the
    `background` colour. All colours are 8-bit (r, g, b)."""
    out = bytearray(width * height * 3)
    for i in range(width * height):
        a = pixels[4 * i + 3]
        for ch in range(3):
            m = (pixels[4 * i + ch] * a + fill[ch] * (255 - a) + 255) >> 8
            premultiplied = m * a // 255
            out[3 * i + ch] = min(255, premultiplied + background[ch] * (255 - a) // 255)
    return bytes(out)


def scaled_up(pixels, width, height, factor, bpp):
    """Nearest-neighbour enlargement for looking at small pictures."""
    out = bytearray()
    for y in range(height * factor):
        src = y // factor
        for x in range(width * factor):
            i = (src * width + x // factor) * bpp
            out += pixels[i:i + bpp]
    return bytes(out)
