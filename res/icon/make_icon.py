#!/usr/bin/env python3
"""Draws the Brindleway application icon and writes res/Brindleway.ico.

The picture is a rounded tile with a winding white road that ends in an
arrowhead: the way from the tray to whatever the user launches. Each size is
drawn on its own pixel grid with line widths chosen for that size, so the
16 px image stays crisp instead of being a scaled-down 48 px one.

Only the Python standard library is used. The .ico holds 16, 20, 24, 32, 40,
48 and 64 px images. Those up to 40 px, which the system loads at 100 and
125 %, are 32-bit BGRA bitmaps with alpha followed by their 1-bit AND mask;
the 48 and 64 px ones (150 and 200 %) are PNG-compressed, as Windows has
read icon images since Vista: a bitmap of 64 px takes 17 KB of the program,
its PNG 2 KB.

    python3 res/icon/make_icon.py [output.ico] [--png-dir DIR]
"""

import math
import os
import struct
import sys
import zlib

SUPERSAMPLE = 8

# The road, a cubic Bezier curve in unit coordinates (y grows downwards), and
# the tip of the arrowhead it runs into. The 16 and 20 px images have a flatter
# curve of their own: an S-bend there has too few pixels to read as one.
ROAD = ((0.16, 0.86), (0.86, 0.86), (0.16, 0.44), (0.62, 0.40))
HEAD_TIP = (0.86, 0.16)
FLAT_ROAD = ((0.14, 0.76), (0.70, 0.80), (0.22, 0.40), (0.58, 0.44))
FLAT_TIP = (0.90, 0.12)

# Per-size drawing parameters, in pixels of that size: one set for each size
# the system asks for at 100 %, 125 %, 150 % and 200 % (16, 20, 24 and 32 px
# small icons; 32, 40, 48 and 64 px large ones).
SIZES = {
    16: dict(margin=0.0, radius=3.5, border=1.0, road=2.4, head=7.0, shadow=0.0,
             curve=FLAT_ROAD, tip=FLAT_TIP),
    20: dict(margin=0.5, radius=4.0, border=1.0, road=3.0, head=8.0, shadow=0.0,
             curve=FLAT_ROAD, tip=FLAT_TIP),
    24: dict(margin=0.5, radius=4.5, border=1.0, road=3.4, head=8.5, shadow=0.75),
    32: dict(margin=1.0, radius=5.5, border=1.0, road=4.4, head=10.0, shadow=1.0),
    40: dict(margin=1.25, radius=7.0, border=1.1, road=5.4, head=12.5, shadow=1.25),
    48: dict(margin=1.5, radius=8.0, border=1.2, road=6.4, head=15.0, shadow=1.5),
    64: dict(margin=2.0, radius=10.5, border=1.5, road=8.4, head=20.0, shadow=2.0),
}

TILE_TOP = (0x3F, 0x9B, 0xF0)     # sky blue
TILE_BOTTOM = (0x1E, 0x3C, 0x9A)  # deep indigo
TILE_EDGE = (0x14, 0x2A, 0x6E)
ROAD_COLOUR = (0xFF, 0xFF, 0xFF)
HEAD_COLOUR = (0xFF, 0xB3, 0x1F)  # warm orange: the launch
SHADOW_COLOUR = (0x0A, 0x18, 0x45)


def bezier(points, steps=64):
    (x0, y0), (x1, y1), (x2, y2), (x3, y3) = points
    out = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        a, b, c, d = u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t
        out.append((a * x0 + b * x1 + c * x2 + d * x3,
                    a * y0 + b * y1 + c * y2 + d * y3))
    return out


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    qx, qy = ax + t * dx, ay + t * dy
    return math.hypot(px - qx, py - qy)


def polyline_distance(px, py, line):
    return min(segment_distance(px, py, *line[i], *line[i + 1]) for i in range(len(line) - 1))


def inside_rounded_rect(px, py, x0, y0, x1, y1, r):
    cx = min(max(px, x0 + r), x1 - r)
    cy = min(max(py, y0 + r), y1 - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r and x0 <= px <= x1 and y0 <= py <= y1


def inside_triangle(px, py, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (py - p[1]) - (q[1] - p[1]) * (px - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def blend(dst, colour, alpha):
    """Source-over of a straight-alpha colour onto a straight-alpha pixel."""
    r, g, b, a = dst
    out_a = alpha + a * (1 - alpha)
    if out_a == 0:
        return (0.0, 0.0, 0.0, 0.0)
    mix = [(c * alpha + d * a * (1 - alpha)) / out_a for c, d in zip(colour, (r, g, b))]
    return (mix[0], mix[1], mix[2], out_a)


def render(size):
    p = SIZES[size]
    line = [(x * size, y * size) for x, y in bezier(p.get("curve", ROAD))]
    end = line[-1]
    tip_unit = p.get("tip", HEAD_TIP)
    tip = (tip_unit[0] * size, tip_unit[1] * size)
    dx, dy = tip[0] - end[0], tip[1] - end[1]
    length = math.hypot(dx, dy)
    ux, uy = dx / length, dy / length
    half = p["head"] / 2
    base = (tip[0] - ux * p["head"] * 0.95, tip[1] - uy * p["head"] * 0.95)
    wing1 = (base[0] - uy * half, base[1] + ux * half)
    wing2 = (base[0] + uy * half, base[1] - ux * half)
    # The road runs into the arrowhead's base so that the two join cleanly.
    line.append((base[0] + ux * 0.5, base[1] + uy * 0.5))

    m = p["margin"]
    x0, y0, x1, y1 = m, m, size - m, size - m
    r = p["radius"]
    border = p["border"]
    road_half = p["road"] / 2
    shadow = p["shadow"]

    pixels = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    x = px + (sx + 0.5) / n
                    y = py + (sy + 0.5) / n
                    c = (0.0, 0.0, 0.0, 0.0)
                    if inside_rounded_rect(x, y, x0, y0, x1, y1, r):
                        if inside_rounded_rect(x, y, x0 + border, y0 + border, x1 - border, y1 - border,
                                               max(r - border, 0.5)):
                            t = (y - y0) / (y1 - y0)
                            tile = tuple(a + (b - a) * t for a, b in zip(TILE_TOP, TILE_BOTTOM))
                        else:
                            tile = TILE_EDGE
                        c = (*tile, 1.0)
                        if shadow > 0:
                            sxp, syp = x - shadow * 0.6, y - shadow
                            if (polyline_distance(sxp, syp, line) <= road_half
                                    or inside_triangle(sxp, syp, tip, wing1, wing2)):
                                c = blend(c, SHADOW_COLOUR, 0.45)
                        if polyline_distance(x, y, line) <= road_half:
                            c = blend(c, ROAD_COLOUR, 1.0)
                        if inside_triangle(x, y, tip, wing1, wing2):
                            c = blend(c, HEAD_COLOUR, 1.0)
                    # Average premultiplied samples so that edges keep their colour.
                    acc[0] += c[0] * c[3]
                    acc[1] += c[1] * c[3]
                    acc[2] += c[2] * c[3]
                    acc[3] += c[3]
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                alpha = int(round(255 * acc[3] / (n * n)))
                row.append(tuple(int(round(v / acc[3])) for v in acc[:3]) + (alpha,))
        pixels.append(row)
    return pixels


def dib(size, pixels):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA rows, AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


# The smallest size stored PNG-compressed; smaller ones stay bitmaps.
PNG_FROM = 48


def write_ico(path, images):
    count = len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    blobs = []
    for size, pixels in images:
        blob = png(pixels) if size >= PNG_FROM else dib(size, pixels)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def png(pixels):
    """A plain RGBA PNG of the image."""
    size = len(pixels)
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for px in row:
            raw += bytes(px)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    data = (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))
    return data


def write_png(path, pixels):
    """The image alone, for looking at it while designing."""
    with open(path, "wb") as f:
        f.write(png(pixels))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    output = os.path.join(here, os.pardir, "Brindleway.ico")
    png_dir = None
    args = list(argv)
    while args:
        arg = args.pop(0)
        if arg == "--png-dir":
            png_dir = args.pop(0)
        else:
            output = arg
    images = [(size, render(size)) for size in sorted(SIZES)]
    write_ico(output, images)
    if png_dir:
        os.makedirs(png_dir, exist_ok=True)
        for size, pixels in images:
            write_png(os.path.join(png_dir, "icon%d.png" % size), pixels)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
