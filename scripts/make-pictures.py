#!/usr/bin/env python3
"""Draws the stub's pictures with Pillow and writes them into res/ (--check compares instead):

  splash.bmp  181 x 103, 8 bits per pixel, 256-entry colour table (IDB_SPLASH)
  status.bmp  132 x  75, 8 bits per pixel, 256-entry colour table (IDB_STATUS)
  zubrex.ico  32 x 32 and 16 x 16, 4 bits per pixel, 16 colours, AND mask (IDI_ICON1)

Each is drawn SS times larger, averaged down and reduced by median cut without dithering; the
same Pillow and DejaVu Sans Bold (python3-pil, fonts-dejavu-core) give the same bytes each run.
"""

import argparse, os, pathlib, struct, sys

try:
    from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont
except ImportError:  # Debian's Pillow lives in the system Python, which may not be first on PATH
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise

SS = 4  # samples per pixel in each direction; all coordinates below are in final pixels
FONT, CAP = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 0.729  # capital height, ems
hexes = lambda *names: tuple(tuple(bytes.fromhex(n)) for n in names)
NAVY, SKY, WHITE, PALE, ORANGE, AMBER, RUST, SHADOW, EDGE, RIM, HUB = hexes(
    "0a1a45", "3f86d1", "ffffff", "cfe3ff", "ff9a1f", "ffcd4a", "c86a08", "050d24", "a9ceff",
    "5b6678", "8995a6")
FRONT, SIDE, LID = hexes("2d6fd0", "173f8c") + (0.3,), hexes("1b4aa0", "0d2660"), hexes(
    "4b88e0", "7fb4ff")  # gradients: top or left colour, bottom or right colour, tilt
BAND, SILVER, TINTS = (AMBER, ORANGE, 1.0), hexes("e9eef5", "c4ccd8", "9aa7b8"), hexes(
    "e6a0d2", "a0d8e6", "e6e09a", "b4a8e6") * 2
ring = lambda cx, cy, r, **o: ("ellipse", [(cx - r, cy - r), (cx + r, cy + r)], o)


def mask(size, *shapes, level=1.0, blur=0.0):
    """An L mask of the union of shapes, each (ImageDraw method, points, options) in pixels."""
    m = Image.new("L", size)
    for kind, points, *opts in shapes:
        o = dict(opts[0]) if opts else {}
        o.update({k: round(o[k] * SS) for k in ("width", "radius") if k in o})
        ink = {"outline" if o.pop("outline", False) else "fill": round(255 * level)}
        getattr(ImageDraw.Draw(m), kind)([(x * SS, y * SS) for x, y in points], **ink, **o)
    return m.filter(ImageFilter.GaussianBlur(blur * SS)) if blur else m


def paint(im, fill, *shapes, **how):
    """Paints a colour or picture, or a gradient (c0, c1[, tilt]) across the bounds, through the
    shapes (see mask(), which takes how) or a ready mask. Tilt 0 runs down, 1 to the right."""
    m = shapes[0] if isinstance(shapes[0], Image.Image) else mask(im.size, *shapes, **how)
    if isinstance(fill, Image.Image) or isinstance(fill[0], int):
        return im.paste(fill, (0, 0), m)
    box, ramp = m.getbbox(), Image.linear_gradient("L")
    size = (box[2] - box[0], box[3] - box[1])
    tilt = fill[2] if len(fill) > 2 else 0.0
    across = ramp.transpose(Image.Transpose.ROTATE_90)
    ramp = Image.blend(ramp.resize(size), across.resize(size), tilt)
    solid = lambda c: Image.new("RGB", size, c)
    im.paste(Image.composite(solid(fill[1]), solid(fill[0]), ramp), box[:2], m.crop(box))


def text(im, s, x, y, cap, colours, slant=0.0):
    """s in capitals cap pixels high, top left at (x, y), leaning right by slant; its width."""
    font = ImageFont.truetype(FONT, round(cap * SS / CAP))
    m = Image.new("L", im.size)
    ImageDraw.Draw(m).text((x * SS, (y + cap) * SS), s, font=font, fill=255, anchor="ls")
    m = m.transform(m.size, Image.Transform.AFFINE, (1, slant, -slant * (y + cap) * SS, 0, 1, 0),
                    Image.Resampling.BILINEAR)
    paint(im, SHADOW, ImageChops.offset(m, SS, SS).point(lambda v: v * 55 // 100))
    paint(im, colours, m)
    return font.getlength(s) / SS


def box(im, x, y, w, h, d, detail=True):
    """The boxed product: front face at (x, y) w x h, side and lid receding up and right by d.
    Without detail (the icon): flat faces, no shadow, edges or logo."""
    dx, dy, band, slope = d, -d * 0.62, y + h * 0.58, h * 0.08
    side = lambda top, end: [(x + w, top), (x + w + dx, top + dy), (x + w + dx, end + dy),
                             (x + w, end)]
    if detail:  # soft contact shadow on the floor
        paint(im, NAVY, ("ellipse", [(x - 2, y + h - 2), (x + w + d + 3, y + h + 4)]), level=0.55,
              blur=1.5)
    lid = [(x, y), (x + dx, y + dy), (x + w + dx, y + dy), (x + w, y)]
    stripe = [(x, band), (x + w, band - slope), (x + w, band + slope), (x, band + 2 * slope)]
    for fill, points in ((SIDE, side(y, y + h)), (LID, lid), (FRONT, [(x, y), (x + w, y + h)]),
                         (BAND, stripe), ((RUST, RUST), side(band - slope, band + slope))):
        kind = "rectangle" if fill is FRONT else "polygon"
        paint(im, fill if detail else fill[0 if fill is FRONT else 1], (kind, points))
    if detail:  # light edges, and a Z logo in a white rounded square
        paint(im, EDGE, ("line", [(x, y), (x + w, y), (x + w + dx, y + dy)], {"width": 0.7}),
              ("line", [(x + w, y), (x + w, y + h)], {"width": 0.7}), level=0.8)
        s, lx, ly = min(w, h) * 0.36, x + w * 0.2, y + h * 0.13
        logo = [(lx, ly), (lx + s, ly + s)]
        paint(im, (WHITE, PALE), ("rounded_rectangle", logo, {"radius": s / 5}))
        z = [(lx + s * u, ly + s * v) for u, v in ((.25, .26), (.75, .26), (.25, .74), (.75, .74))]
        paint(im, FRONT[1], ("line", z, {"width": s * 0.15, "joint": "curve"}))


def disc(im, cx, cy, r, detail=True):
    """A compact disc seen face-on; with detail a soft shadow and a rainbow sheen."""
    if detail:
        paint(im, NAVY, ring(cx + 1, cy + 1.5, r + 1), level=0.45, blur=1.5)
    under = im.copy()  # shows through the hole
    slices = [c for tint in TINTS for c in (SILVER[1], tint)] if detail else SILVER[:2] * 2
    sheen, step = Image.new("RGB", im.size, SILVER[2]), 360 / len(slices)
    for i, colour in enumerate(slices):
        ImageDraw.Draw(sheen).pieslice([(cx - r) * SS, (cy - r) * SS, (cx + r) * SS, (cy + r) * SS],
                                       i * step - 20, i * step + step - 20, colour)
    paint(im, RIM, ring(cx, cy, r))
    paint(im, sheen.filter(ImageFilter.GaussianBlur(r * SS * 0.08)) if detail else sheen,
          ring(cx, cy, r - (0.5 if detail else 0.9)))
    paint(im, (WHITE, SILVER[2]) if detail else WHITE, ring(cx, cy, r * 0.36))
    paint(im, HUB, ring(cx, cy, r * 0.36, width=0.5, outline=True))
    paint(im, under, ring(cx, cy, r * 0.18))


def backdrop(w, h, floor):
    """The sky-to-navy ground with a beam of light, a glow and a floor line."""
    im = Image.new("RGB", (w * SS, h * SS))
    paint(im, (SKY, NAVY, 0.25), ("rectangle", [(0, 0), (w, h)]))
    paint(im, WHITE, ("polygon", [(0, h * 0.15), (w * 0.25, 0), (w * 0.55, 0), (0, h * 0.6)]),
          level=0.14, blur=h * 0.12)
    paint(im, PALE, ("ellipse", [(w * 0.2, -h * 0.3), (w * 0.8, h * 0.4)]), level=0.12, blur=h / 10)
    paint(im, NAVY, ("rectangle", [(0, floor), (w, h)]), level=0.3)
    paint(im, (111, 166, 236), ("line", [(0, floor), (w, floor)], {"width": 0.5}), level=0.35)
    return im


def finish(im, fade):
    """Fades the picture into flat NAVY towards its border and reduces it to 256 colours. A static
    control with SS_CENTERIMAGE larger than its picture fills the rest with the top-left pixel:
    this way the fill continues the picture instead of framing it in a stray colour."""
    w, h, f = im.width // SS, im.height // SS, fade * 0.6
    paint(im, NAVY, ImageChops.invert(mask(im.size, ("rounded_rectangle", [(f, f), (w - f, h - f)],
                                                     {"radius": fade}), blur=fade * 0.35)))
    im = im.resize((w, h), Image.Resampling.BOX)
    ImageDraw.Draw(im).rectangle([0, 0, w - 1, h - 1], outline=NAVY)
    palette = im.quantize(256, Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    return im.quantize(palette=palette, dither=Image.Dither.NONE)  # each pixel its nearest colour


def splash():
    im = backdrop(181, 103, 80)
    box(im, 15, 33, 36, 47, 16)
    disc(im, 61, 65, 15.5)
    width = text(im, "ZUBREX", 84, 31, 13, (WHITE, PALE), slant=0.12)
    text(im, "SETUP", 85, 50, 7, (AMBER, ORANGE))
    rule = [(85, 61.5), (84 + width, 61.5)]
    paint(im, ((159, 198, 255), SKY, 1.0), ("line", rule, {"width": 0.7}))
    return finish(im, 14)


def status():
    im = backdrop(132, 75, 62)
    box(im, 36, 22, 30, 40, 13)
    disc(im, 76, 50, 12.5)
    paint(im, NAVY, ring(92.6, 21.8, 9), level=0.4)  # the green check badge
    paint(im, ((123, 227, 106), (31, 143, 44)), ring(92, 21, 9))
    paint(im, WHITE, ring(92, 21, 8.6, width=1.0, outline=True),
          ("line", [(88, 21.2), (91, 24.4), (96.5, 17.8)], {"width": 2.5, "joint": "curve"}))
    return finish(im, 12)


def icon(size):
    """IDI_ICON1 at size x size: the box and the disc, flat, on a transparent ground."""
    im, s = Image.new("RGBA", (size * SS, size * SS)), size / 32
    box(im, 3 * s, 10 * s, 15 * s, 19 * s, 8 * s, detail=False)
    disc(im, 22 * s, 22 * s, 8.6 * s, detail=False)
    return im.resize((size, size), Image.Resampling.BOX)


def quads(rgb, n):
    """n RGBQUADs of a flat [r, g, b, ...] palette, padded with black."""
    rgb = (list(rgb) + [0] * 3 * n)[:3 * n]
    return b"".join(bytes((rgb[i + 2], rgb[i + 1], rgb[i], 0)) for i in range(0, 3 * n, 3))


def bmp(im):
    """A BMP file of a P picture: file header, BITMAPINFOHEADER, 256 RGBQUADs, rows bottom-up."""
    w, h, data = im.width, im.height, im.tobytes()
    rows = b"".join(data[y * w:y * w + w].ljust((w + 3) & ~3, b"\0") for y in range(h - 1, -1, -1))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    offset = 14 + len(info) + 1024
    return struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset) + info + quads(
        im.getpalette(), 256) + rows


def ico_image(im):
    """One icon image of an RGBA picture: BITMAPINFOHEADER (double height), 16 RGBQUADs, 4-bit
    rows and the AND mask, bottom-up. Transparent pixels are index 0 (black) under a set mask
    bit; the opaque ones share the other 15 colours."""
    n, pixels = im.width, list(im.getdata())
    opaque = [i for i, p in enumerate(pixels) if p[3] >= 128]
    strip = Image.new("RGB", (len(opaque), 1))
    strip.putdata([pixels[i][:3] for i in opaque])
    strip = strip.quantize(15, Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    index = [0] * (n * n)
    for i, v in zip(opaque, strip.getdata()):
        index[i] = v + 1
    rows = range(n - 1, -1, -1)
    xor = b"".join(bytes(index[y * n + x] << 4 | index[y * n + x + 1] for x in range(0, n, 2))
                   .ljust((n * 4 + 31) // 32 * 4, b"\0") for y in rows)
    bits = b"".join(sum(1 << (n - 1 - x) for x in range(n) if not index[y * n + x])
                    .to_bytes(n // 8, "big").ljust((n + 31) // 32 * 4, b"\0") for y in rows)
    info = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0, len(xor) + len(bits), 0, 0, 0, 0)
    return info + quads([0, 0, 0] + strip.getpalette()[:45], 16) + xor + bits


def build():
    images = [(n, ico_image(icon(n))) for n in (32, 16)]
    entries, offset = b"", 6 + 16 * len(images)
    for n, blob in images:
        entries += struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    ico = struct.pack("<HHH", 0, 1, len(images)) + entries + b"".join(b for _, b in images)
    return {"splash.bmp": bmp(splash()), "status.bmp": bmp(status()), "zubrex.ico": ico}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=pathlib.Path(__file__).resolve().parent.parent / "res")
    parser.add_argument("--check", action="store_true", help="compare with the files in --out")
    args = parser.parse_args()
    stale = []
    for name, data in build().items():
        path = pathlib.Path(args.out, name)
        if not args.check:
            path.write_bytes(data)
        elif not path.is_file() or path.read_bytes() != data:
            stale.append(name)
    if stale:
        print("out of date: " + ", ".join(stale), file=sys.stderr)
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main())
