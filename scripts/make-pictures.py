#!/usr/bin/env python3
"""Draws the stub's pictures and writes them into res/:

  splash.bmp  181 x 103, 8 bits per pixel, 256-entry colour table (IDB_SPLASH)
  status.bmp  132 x  75, 8 bits per pixel, 256-entry colour table (IDB_STATUS)
  zubrex.ico  32 x 32 and 16 x 16, 4 bits per pixel, 16 colours (IDI_ICON1)

Standard library only, and fully deterministic: running it twice gives the same bytes, so the
committed files can be checked against a fresh run (--check). Everything is drawn at a
supersampled resolution in floating-point RGB and averaged down, which gives the shapes and the
lettering smooth edges; the colours are then reduced by median cut to the palette size.

Usage: make-pictures.py [--out DIR] [--check]
"""

import argparse
import math
import os
import struct
import sys

# ---------------------------------------------------------------------------------------------
# Canvas: an RGB picture at `ss` samples per pixel in each direction. Shapes are given in pixel
# coordinates of the final picture (x right, y down, 0..width); colours are (r, g, b) in 0..1.


class Canvas:
    def __init__(self, width, height, ss):
        self.width, self.height, self.ss = width, height, ss
        self.cols, self.rows = width * ss, height * ss
        self.r = [0.0] * (self.cols * self.rows)
        self.g = [0.0] * (self.cols * self.rows)
        self.b = [0.0] * (self.cols * self.rows)
        self.a = [1.0] * (self.cols * self.rows)  # coverage; only the icon uses transparency

    def samples(self, box):
        """Yields (index, x, y) for every sample whose centre lies in box (x0, y0, x1, y1)."""
        ss = self.ss
        x0, y0, x1, y1 = box
        c0 = max(0, int(math.floor(x0 * ss)))
        c1 = min(self.cols, int(math.ceil(x1 * ss)))
        r0 = max(0, int(math.floor(y0 * ss)))
        r1 = min(self.rows, int(math.ceil(y1 * ss)))
        for row in range(r0, r1):
            y = (row + 0.5) / ss
            base = row * self.cols
            for col in range(c0, c1):
                yield base + col, (col + 0.5) / ss, y

    def paint(self, box, inside, colour, opacity=1.0):
        """Blends colour(x, y) over every sample in box for which inside(x, y) holds."""
        for i, x, y in self.samples(box):
            if inside(x, y):
                cr, cg, cb = colour(x, y)
                k = opacity
                self.r[i] += (cr - self.r[i]) * k
                self.g[i] += (cg - self.g[i]) * k
                self.b[i] += (cb - self.b[i]) * k
                self.a[i] = 1.0

    def shade(self, box, weight, colour):
        """Blends colour over every sample in box by weight(x, y) in 0..1 (soft light, glow)."""
        cr, cg, cb = colour
        for i, x, y in self.samples(box):
            k = weight(x, y)
            if k > 0.0:
                k = min(k, 1.0)
                self.r[i] += (cr - self.r[i]) * k
                self.g[i] += (cg - self.g[i]) * k
                self.b[i] += (cb - self.b[i]) * k

    def pixels(self):
        """The picture at its final size: rows top-down of (r, g, b, alpha), 0..255 each."""
        ss = self.ss
        n = float(ss * ss)
        out = []
        for py in range(self.height):
            row = []
            for px in range(self.width):
                sr = sg = sb = sa = 0.0
                for sy in range(ss):
                    base = (py * ss + sy) * self.cols + px * ss
                    for sx in range(ss):
                        i = base + sx
                        a = self.a[i]
                        sr += self.r[i] * a
                        sg += self.g[i] * a
                        sb += self.b[i] * a
                        sa += a
                if sa > 0.0:
                    cr, cg, cb = sr / sa, sg / sa, sb / sa
                else:
                    cr = cg = cb = 0.0
                row.append((to_byte(cr), to_byte(cg), to_byte(cb), to_byte(sa / n)))
            out.append(row)
        return out


def to_byte(v):
    return max(0, min(255, int(round(v * 255.0))))


def mix(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def hexcolour(text):
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


# ---------------------------------------------------------------------------------------------
# Geometry helpers.


def in_polygon(points):
    """Even-odd test for a closed polygon; returns (inside function, bounding box)."""
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    box = (min(xs), min(ys), max(xs), max(ys))
    edges = list(zip(points, points[1:] + points[:1]))

    def inside(x, y):
        hit = False
        for (ax, ay), (bx, by) in edges:
            if (ay > y) != (by > y):
                cross = ax + (y - ay) * (bx - ax) / (by - ay)
                if x < cross:
                    hit = not hit
        return hit

    return inside, box


def in_ellipse(cx, cy, rx, ry):
    def inside(x, y):
        dx = (x - cx) / rx
        dy = (y - cy) / ry
        return dx * dx + dy * dy <= 1.0

    return inside, (cx - rx, cy - ry, cx + rx, cy + ry)


def in_rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        dx = max(x0 + radius - x, 0.0, x - (x1 - radius))
        dy = max(y0 + radius - y, 0.0, y - (y1 - radius))
        return dx * dx + dy * dy <= radius * radius

    return inside, (x0, y0, x1, y1)


def linear(c0, c1, p0, p1):
    """Colour function of a linear gradient from point p0 (colour c0) to p1 (colour c1)."""
    dx, dy = p1[0] - p0[0], p1[1] - p0[1]
    length2 = dx * dx + dy * dy

    def colour(x, y):
        t = ((x - p0[0]) * dx + (y - p0[1]) * dy) / length2
        return mix(c0, c1, t)

    return colour


def solid(c):
    return lambda x, y: c


# ---------------------------------------------------------------------------------------------
# Lettering: a small stroke font. Each glyph is a list of polylines on a grid 4 units wide and
# 6 high (y down); the pen is round, so strokes get rounded ends and joints.

_ROUND_TOP = [(2.8, 0), (3.6, 0.3), (4, 1.1), (4, 1.9), (3.6, 2.7), (2.8, 3)]
_ROUND_BOTTOM = [(3.0, 3), (3.8, 3.35), (4.2, 4.2), (4.2, 4.8), (3.8, 5.65), (3.0, 6)]

GLYPHS = {
    "A": [[(0, 6), (2, 0), (4, 6)], [(0.75, 3.8), (3.25, 3.8)]],
    "B": [[(0, 0), (0, 6)], [(0, 0)] + _ROUND_TOP + [(0, 3)], [(0, 3)] + _ROUND_BOTTOM + [(0, 6)]],
    "E": [[(3.8, 0), (0, 0), (0, 6), (3.8, 6)], [(0, 3), (3.2, 3)]],
    "I": [[(0, 0), (0, 6)]],
    "L": [[(0, 0), (0, 6), (3.6, 6)]],
    "N": [[(0, 6), (0, 0), (4, 6), (4, 0)]],
    "P": [[(0, 6), (0, 0)] + _ROUND_TOP + [(0, 3)]],
    "R": [[(0, 6), (0, 0)] + _ROUND_TOP + [(0, 3)], [(2.3, 3), (4, 6)]],
    "S": [[(3.9, 0.9), (3.2, 0.15), (2, 0), (0.8, 0.15), (0.1, 0.9), (0.1, 1.9), (0.8, 2.65),
           (2, 3), (3.2, 3.35), (3.9, 4.1), (3.9, 5.1), (3.2, 5.85), (2, 6), (0.8, 5.85),
           (0.0, 5.1)]],
    "T": [[(0, 0), (4, 0)], [(2, 0), (2, 6)]],
    "U": [[(0, 0), (0, 4.2), (0.35, 5.3), (1.1, 5.9), (2, 6), (2.9, 5.9), (3.65, 5.3),
           (4, 4.2), (4, 0)]],
    "X": [[(0, 0), (4, 6)], [(4, 0), (0, 6)]],
    "Z": [[(0, 0), (4, 0), (0, 6), (4, 6)]],
}


def glyph_width(ch):
    if ch == " ":
        return 2.5
    return max(p[0] for line in GLYPHS[ch] for p in line)


def text_segments(text, x, y, height, spacing=2.2, slant=0.0):
    """Segments of text whose capitals are `height` pixels high, left edge x, top y."""
    unit = height / 6.0
    segs = []
    pen = 0.0
    for ch in text:
        if ch != " ":
            for line in GLYPHS[ch]:
                pts = [(x + (pen + px) * unit + (6 - py) * unit * slant, y + py * unit)
                       for px, py in line]
                segs.extend(zip(pts, pts[1:]))
        pen += glyph_width(ch) + spacing
    return segs, (pen - spacing) * unit


def in_strokes(segs, half_width):
    xs = [p[0] for s in segs for p in s]
    ys = [p[1] for s in segs for p in s]
    box = (min(xs) - half_width, min(ys) - half_width, max(xs) + half_width,
           max(ys) + half_width)
    hw2 = half_width * half_width
    prepared = []
    for (ax, ay), (bx, by) in segs:
        dx, dy = bx - ax, by - ay
        prepared.append((ax, ay, dx, dy, dx * dx + dy * dy,
                         min(ax, bx) - half_width, max(ax, bx) + half_width,
                         min(ay, by) - half_width, max(ay, by) + half_width))

    def inside(x, y):
        for ax, ay, dx, dy, l2, lx, hx, ly, hy in prepared:
            if x < lx or x > hx or y < ly or y > hy:
                continue
            t = 0.0 if l2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / l2))
            ex = ax + t * dx - x
            ey = ay + t * dy - y
            if ex * ex + ey * ey <= hw2:
                return True
        return False

    return inside, box


def draw_text(canvas, text, x, y, height, weight, top, bottom, shadow=None, slant=0.0):
    segs, width = text_segments(text, x, y, height, slant=slant)
    if shadow is not None:
        off = [((a[0] + 0.9, a[1] + 1.0), (b[0] + 0.9, b[1] + 1.0)) for a, b in segs]
        inside, box = in_strokes(off, weight)
        canvas.paint(box, inside, solid(shadow), opacity=0.55)
    inside, box = in_strokes(segs, weight)
    canvas.paint(box, inside, linear(top, bottom, (0, y), (0, y + height)))
    return width


# ---------------------------------------------------------------------------------------------
# The product: a boxed installer with a disc in front of it. Drawn in a simple oblique view:
# front face, right side face and lid, each with its own light.

NAVY = hexcolour("0a1a45")
DEEP = hexcolour("12306e")
SKY = hexcolour("3f86d1")
WHITE = (1.0, 1.0, 1.0)
PALE = hexcolour("cfe3ff")
ORANGE = hexcolour("ff9a1f")
AMBER = hexcolour("ffcd4a")
BOX_FRONT_TOP = hexcolour("2d6fd0")
BOX_FRONT_BOTTOM = hexcolour("173f8c")
BOX_SIDE_TOP = hexcolour("1b4aa0")
BOX_SIDE_BOTTOM = hexcolour("0d2660")
BOX_LID_NEAR = hexcolour("7fb4ff")
BOX_LID_FAR = hexcolour("4b88e0")


def draw_box(canvas, x, y, w, h, depth):
    """Box with front face at (x, y) w x h; the side and lid recede up and right by depth."""
    dx, dy = depth, -depth * 0.62
    front = [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]
    side = [(x + w, y), (x + w + dx, y + dy), (x + w + dx, y + h + dy), (x + w, y + h)]
    lid = [(x, y), (x + dx, y + dy), (x + w + dx, y + dy), (x + w, y)]

    # Soft contact shadow on the floor.
    cx, cy = x + (w + dx) / 2.0, y + h + 1.2
    canvas.shade((x - 6, cy - 5, x + w + dx + 8, cy + 5),
                 lambda px, py: 0.55 * max(0.0, 1.0 - (((px - cx) / ((w + dx) * 0.62)) ** 2
                                                        + ((py - cy) / 3.2) ** 2)),
                 NAVY)

    inside, box = in_polygon(side)
    canvas.paint(box, inside, linear(BOX_SIDE_TOP, BOX_SIDE_BOTTOM, (0, y + dy), (0, y + h)))
    inside, box = in_polygon(lid)
    canvas.paint(box, inside, linear(BOX_LID_NEAR, BOX_LID_FAR, (x, y), (x + dx, y + dy)))
    inside, box = in_polygon(front)
    canvas.paint(box, inside, linear(BOX_FRONT_TOP, BOX_FRONT_BOTTOM, (x, y), (x + w * 0.3, y + h)))

    # A diagonal orange band across front and side, the product's trade dress.
    band_top, band_h = y + h * 0.58, h * 0.16
    band = [(x, band_top), (x + w, band_top - h * 0.08), (x + w, band_top - h * 0.08 + band_h),
            (x, band_top + band_h)]
    inside, box = in_polygon(band)
    canvas.paint(box, inside, linear(AMBER, ORANGE, (x, 0), (x + w, 0)))
    sband = [(x + w, band_top - h * 0.08), (x + w + dx, band_top - h * 0.08 + dy),
             (x + w + dx, band_top - h * 0.08 + dy + band_h), (x + w, band_top - h * 0.08 + band_h)]
    inside, box = in_polygon(sband)
    canvas.paint(box, inside, solid(hexcolour("c86a08")))

    # Light edges where the faces meet.
    edges = [((x, y), (x + w, y)), ((x + w, y), (x + w, y + h)), ((x + w, y), (x + w + dx, y + dy))]
    inside, box = in_strokes(edges, 0.35)
    canvas.paint(box, inside, solid(hexcolour("a9ceff")), opacity=0.8)

    # Logo on the front: a bold Z in a white rounded square.
    lx, ly, ls = x + w * 0.2, y + h * 0.13, min(w, h) * 0.36
    inside, box = in_rounded_rect(lx, ly, lx + ls, ly + ls, ls * 0.2)
    canvas.paint(box, inside, linear(WHITE, PALE, (0, ly), (0, ly + ls)))
    zs = [((lx + ls * 0.25, ly + ls * 0.26), (lx + ls * 0.75, ly + ls * 0.26)),
          ((lx + ls * 0.75, ly + ls * 0.26), (lx + ls * 0.25, ly + ls * 0.74)),
          ((lx + ls * 0.25, ly + ls * 0.74), (lx + ls * 0.75, ly + ls * 0.74))]
    inside, box = in_strokes(zs, ls * 0.075)
    canvas.paint(box, inside, solid(BOX_FRONT_BOTTOM))


def draw_disc(canvas, cx, cy, radius):
    """A compact disc seen face-on, with a rainbow sheen that turns with the angle."""
    canvas.shade((cx - radius - 3, cy - radius - 1, cx + radius + 4, cy + radius + 4),
                 lambda px, py: 0.45 * max(0.0, 1.0 - math.hypot(px - cx - 1.2, py - cy - 1.6)
                                           / (radius + 2.2)),
                 NAVY)

    def colour(x, y):
        dx, dy = x - cx, y - cy
        r = math.hypot(dx, dy) / radius
        angle = math.atan2(dy, dx)
        base = mix(hexcolour("e9eef5"), hexcolour("9aa7b8"), r)
        hue = (angle / (2 * math.pi)) * 2.0
        sheen = (0.5 + 0.5 * math.cos(6 * math.pi * hue),
                 0.5 + 0.5 * math.cos(6 * math.pi * hue - 2.1),
                 0.5 + 0.5 * math.cos(6 * math.pi * hue + 2.1))
        strength = 0.38 * (abs(math.sin(2 * angle)) ** 2.0) * min(1.0, r * 1.8)
        glint = max(0.0, math.cos(2 * (angle + 0.7))) ** 14 * 0.8
        return mix(mix(base, sheen, strength), WHITE, glint)

    inside_outer, box = in_ellipse(cx, cy, radius, radius)
    hole = radius * 0.17
    hub = radius * 0.36

    def inside(x, y):
        return inside_outer(x, y) and math.hypot(x - cx, y - cy) > hole

    canvas.paint(box, inside, colour)
    # Clear hub ring and rim.
    canvas.paint(box, lambda x, y: hole < math.hypot(x - cx, y - cy) <= hub,
                 lambda x, y: mix(hexcolour("dfe6ef"), hexcolour("b3bfcd"),
                                  (y - cy + hub) / (2 * hub)))
    rim, rbox = in_strokes(circle_segments(cx, cy, radius - 0.3, 48), 0.35)
    canvas.paint(rbox, rim, solid(hexcolour("7d8a9c")), opacity=0.7)
    ring, rbox = in_strokes(circle_segments(cx, cy, hub, 32), 0.3)
    canvas.paint(rbox, ring, solid(hexcolour("8995a6")), opacity=0.7)


def circle_segments(cx, cy, r, n):
    pts = [(cx + r * math.cos(2 * math.pi * i / n), cy + r * math.sin(2 * math.pi * i / n))
           for i in range(n + 1)]
    return list(zip(pts, pts[1:]))


def draw_backdrop(canvas):
    w, h = canvas.width, canvas.height
    inside = lambda x, y: True
    canvas.paint((0, 0, w, h), inside, linear(SKY, NAVY, (w * 0.25, -h * 0.2), (w * 0.75, h * 1.1)))
    # A broad beam of light from the upper left, and a gentle glow behind the product.
    canvas.shade((0, 0, w, h),
                 lambda x, y: 0.16 * max(0.0, 1.0 - abs((x - w * 0.1) * 0.55 + (y - h * 0.1)
                                                          - 0.0) / (h * 0.45)),
                 WHITE)
    canvas.shade((0, 0, w, h),
                 lambda x, y: 0.12 * max(0.0, 1.0 - abs((x - w * 0.5) * 0.55 + (y - h * 0.05)
                                                          ) / (h * 0.22)),
                 PALE)


def draw_floor(canvas, top):
    w, h = canvas.width, canvas.height
    canvas.shade((0, top, w, h), lambda x, y: 0.5 * (y - top) / (h - top), NAVY)
    line, box = in_strokes([((0, top), (w, top))], 0.25)
    canvas.paint(box, line, solid(hexcolour("6fa6ec")), opacity=0.35)


def fade_edges(canvas, fade):
    """Fades the picture into flat NAVY towards its border; the outermost pixel is NAVY exactly.
    A static control with SS_CENTERIMAGE that is larger than its picture (large fonts, high
    DPI, Wine's font substitutes) fills the rest with the picture's top-left pixel: this way
    the fill continues the picture instead of framing it in a stray colour."""
    w, h = canvas.width, canvas.height

    def ramp(d):
        if d < 1.0:
            return 1.0
        t = max(0.0, 1.0 - (d - 1.0) / fade)
        return t * t * (3.0 - 2.0 * t)

    def weight(x, y):
        # Combined per axis, so the corners round off instead of meeting in a mitre.
        return 1.0 - (1.0 - ramp(min(x, w - x))) * (1.0 - ramp(min(y, h - y)))

    canvas.shade((0, 0, w, h), weight, NAVY)


def splash_picture():
    """IDB_SPLASH: shown centred in a frame smaller than the picture, so the important parts
    stay within the middle 160 x 76 pixels."""
    c = Canvas(181, 103, 3)
    draw_backdrop(c)
    draw_floor(c, 80.0)
    draw_box(c, 15.0, 33.0, 36.0, 47.0, 16.0)
    draw_disc(c, 61.0, 65.0, 15.5)
    draw_text(c, "ZUBREX", 84.0, 30.0, 14.0, 1.25, WHITE, PALE,
              shadow=hexcolour("050d24"), slant=0.12)
    draw_text(c, "SETUP", 85.0, 50.0, 7.0, 0.62, AMBER, ORANGE, shadow=hexcolour("050d24"))
    underline, box = in_strokes([((85.0, 61.5), (163.0, 61.5))], 0.35)
    c.paint(box, underline, linear(hexcolour("9fc6ff"), SKY, (85, 0), (163, 0)))
    fade_edges(c, 14.0)
    return c.pixels()


def draw_check_badge(canvas, cx, cy, r):
    inside, box = in_ellipse(cx + 0.6, cy + 0.8, r, r)
    canvas.paint(box, inside, solid(NAVY), opacity=0.4)
    inside, box = in_ellipse(cx, cy, r, r)
    canvas.paint(box, inside, linear(hexcolour("7be36a"), hexcolour("1f8f2c"),
                                     (cx, cy - r), (cx, cy + r)))
    ring, rbox = in_strokes(circle_segments(cx, cy, r - 0.4, 36), 0.5)
    canvas.paint(rbox, ring, solid(WHITE), opacity=0.9)
    tick = [((cx - r * 0.45, cy + r * 0.02), (cx - r * 0.12, cy + r * 0.38)),
            ((cx - r * 0.12, cy + r * 0.38), (cx + r * 0.5, cy - r * 0.36))]
    inside, box = in_strokes(tick, r * 0.14)
    canvas.paint(box, inside, solid(WHITE))


def status_picture():
    """IDB_STATUS: the frame crops about 10 pixels at each side, so the product stays central."""
    c = Canvas(132, 75, 3)
    draw_backdrop(c)
    draw_floor(c, 62.0)
    draw_box(c, 36.0, 22.0, 30.0, 40.0, 13.0)
    draw_disc(c, 76.0, 50.0, 12.5)
    draw_check_badge(c, 92.0, 21.0, 9.0)
    fade_edges(c, 12.0)
    return c.pixels()


def icon_picture(size):
    """IDI_ICON1 at size x size: the box and the disc on a transparent ground."""
    c = Canvas(size, size, 4)
    for i in range(len(c.a)):
        c.a[i] = 0.0
    s = size / 32.0
    draw_box_icon(c, s)
    return c.pixels()


def draw_box_icon(c, s):
    x, y, w, h, d = 3 * s, 10 * s, 15 * s, 19 * s, 8 * s
    dx, dy = d, -d * 0.62
    front = [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]
    side = [(x + w, y), (x + w + dx, y + dy), (x + w + dx, y + h + dy), (x + w, y + h)]
    lid = [(x, y), (x + dx, y + dy), (x + w + dx, y + dy), (x + w, y)]
    for poly, colour in ((side, solid(BOX_SIDE_BOTTOM)), (lid, solid(BOX_LID_NEAR)),
                         (front, solid(BOX_FRONT_TOP))):
        inside, box = in_polygon(poly)
        c.paint(box, inside, colour)
    band = [(x, y + h * 0.55), (x + w, y + h * 0.48), (x + w, y + h * 0.68), (x, y + h * 0.75)]
    inside, box = in_polygon(band)
    c.paint(box, inside, solid(ORANGE))
    cx, cy, r = 22 * s, 22 * s, 8.6 * s
    inside, box = in_ellipse(cx, cy, r, r)
    hole = 1.7 * s

    def disc(px, py):
        return inside(px, py) and math.hypot(px - cx, py - cy) > hole

    c.paint(box, disc, lambda px, py: WHITE if math.hypot(px - cx, py - cy) < 3.6 * s
            else (hexcolour("c4ccd8") if (px - cx) * (py - cy) > 0 else hexcolour("e9eef5")))
    rim, rbox = in_strokes(circle_segments(cx, cy, r - 0.4 * s, 32), 0.45 * s)
    c.paint(rbox, rim, solid(hexcolour("5b6678")))


# ---------------------------------------------------------------------------------------------
# Colour reduction: median cut over the distinct colours weighted by their pixel counts, then
# nearest-colour mapping. Ties are broken by fixed orders, so the result is reproducible.


def median_cut(counts, limit):
    boxes = [sorted(counts.items())]
    while len(boxes) < limit:
        best, best_score = None, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spans = [max(c[0][k] for c in box) - min(c[0][k] for c in box) for k in range(3)]
            score = max(spans) * sum(c[1] for c in box)
            if score > best_score:
                best, best_score = i, score
        if best is None:
            break
        box = boxes.pop(best)
        spans = [max(c[0][k] for c in box) - min(c[0][k] for c in box) for k in range(3)]
        axis = spans.index(max(spans))
        box.sort(key=lambda c: (c[0][axis], c[0]))
        total = sum(c[1] for c in box)
        acc, cut = 0, 1
        for j, c in enumerate(box):
            acc += c[1]
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, j + 1))
                break
        boxes.append(box[:cut])
        boxes.append(box[cut:])
    palette = []
    for box in boxes:
        n = sum(c[1] for c in box)
        palette.append(tuple(int(round(sum(c[0][k] * c[1] for c in box) / n)) for k in range(3)))
    return sorted(set(palette))


def nearest(palette, colour, cache):
    hit = cache.get(colour)
    if hit is None:
        hit = min(range(len(palette)),
                  key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))
        cache[colour] = hit
    return hit


def quantize(rows, limit):
    counts = {}
    for row in rows:
        for r, g, b, _ in row:
            counts[(r, g, b)] = counts.get((r, g, b), 0) + 1
    palette = median_cut(counts, limit)
    cache = {}
    indices = [[nearest(palette, (r, g, b), cache) for r, g, b, _ in row] for row in rows]
    return palette, indices


# ---------------------------------------------------------------------------------------------
# File formats.


def bmp_8bit(rows):
    """A BMP file: BITMAPFILEHEADER, BITMAPINFOHEADER, 256 RGBQUADs, rows bottom-up."""
    height, width = len(rows), len(rows[0])
    palette, indices = quantize(rows, 256)
    palette = palette + [(0, 0, 0)] * (256 - len(palette))
    stride = (width + 3) & ~3
    data = bytearray()
    for row in reversed(indices):
        data += bytes(row) + bytes(stride - width)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(data), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return header + info + table + bytes(data)


def icon_image_4bit(rows):
    """One icon image: BITMAPINFOHEADER (double height), 16 RGBQUADs, XOR rows, AND mask.
    Index 0 is black and stands under every transparent pixel."""
    size = len(rows)
    opaque = [[px[3] >= 128 for px in row] for row in rows]
    solid_rows = [[px for px, keep in zip(row, mask) if keep] for row, mask in zip(rows, opaque)]
    palette, _ = quantize([r for r in solid_rows if r], 15)
    palette = [(0, 0, 0)] + palette
    palette += [(0, 0, 0)] * (16 - len(palette))
    cache = {}
    xor = bytearray()
    stride = ((size * 4 + 31) // 32) * 4
    for row, mask in zip(reversed(rows), reversed(opaque)):
        nibbles = [nearest(palette[1:], px[:3], cache) + 1 if keep else 0
                   for px, keep in zip(row, mask)]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor += packed + bytes(stride - len(packed))
    and_stride = ((size + 31) // 32) * 4
    andmask = bytearray()
    for mask in reversed(opaque):
        bits = bytearray(and_stride)
        for i, keep in enumerate(mask):
            if not keep:
                bits[i // 8] |= 0x80 >> (i % 8)
        andmask += bits
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(andmask),
                       0, 0, 0, 0)
    return info + table + bytes(xor) + bytes(andmask)


def ico_file(images):
    """An ICO file holding (size, image bytes) pairs, in the given order."""
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries, blobs = b"", b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
        blobs += blob
    return head + entries + blobs


def build():
    return {
        "splash.bmp": bmp_8bit(splash_picture()),
        "status.bmp": bmp_8bit(status_picture()),
        "zubrex.ico": ico_file([(32, icon_image_4bit(icon_picture(32))),
                                (16, icon_image_4bit(icon_picture(16)))]),
    }


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "res"))
    parser.add_argument("--check", action="store_true",
                        help="compare with the files in --out instead of writing them")
    args = parser.parse_args()
    stale = []
    for name, data in build().items():
        path = os.path.join(args.out, name)
        if args.check:
            try:
                with open(path, "rb") as f:
                    if f.read() != data:
                        stale.append(name)
            except OSError:
                stale.append(name)
        else:
            with open(path, "wb") as f:
                f.write(data)
    if stale:
        print("out of date: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
