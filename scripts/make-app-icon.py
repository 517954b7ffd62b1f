#!/usr/bin/env python3
"""Draws the application icon: resources/desktop/zarni.svg and its 256 x 256 rendering zarni.png.

One cubic Bezier curve with its two control arms on the views' dark green, in the colours the
views draw curves, arms and points with (brightened to read on a desktop). The same shapes
are written as SVG and rasterised here with distance-based anti-aliasing, so the two files
agree.

    scripts/make-app-icon.py        rewrite both files

Python 3 standard library only. The build does not run this script; the files are committed.
"""

import math
import os
import struct
import zlib

SIZE = 256
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "desktop")

BACK = (34, 63, 45)
BORDER = (58, 107, 77)
CURVE = (95, 195, 228)
ARM = (200, 180, 110)
HANDLE = (24, 255, 105)
ANCHOR = (253, 135, 64)

TILE = (16.0, 16.0, 240.0, 240.0)  # x0, y0, x1, y1
TILE_RADIUS = 44.0
BORDER_WIDTH = 6.0
P = [(48.0, 188.0), (84.0, 48.0), (172.0, 208.0), (208.0, 68.0)]
CURVE_WIDTH = 14.0
ARM_WIDTH = 5.0
HANDLE_RADIUS = 11.0
ANCHOR_HALF = 13.0


def bezier(t):
    u = 1.0 - t
    w = (u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t)
    return (sum(w[i] * P[i][0] for i in range(4)), sum(w[i] * P[i][1] for i in range(4)))


CURVE_POINTS = [bezier(i / 96.0) for i in range(97)]


def segment_distance(px, py, a, b):
    ax, ay = a
    dx, dy = b[0] - ax, b[1] - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def polyline_distance(px, py, points):
    return min(segment_distance(px, py, points[i], points[i + 1]) for i in range(len(points) - 1))


def rounded_box_distance(px, py, box, radius):
    """Signed distance to a rounded rectangle (negative inside)."""
    cx, cy = (box[0] + box[2]) / 2, (box[1] + box[3]) / 2
    hx, hy = (box[2] - box[0]) / 2 - radius, (box[3] - box[1]) / 2 - radius
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def coverage(signed_distance):
    return max(0.0, min(1.0, 0.5 - signed_distance))


def over(dst, colour, alpha):
    """Source-over of an opaque colour with coverage `alpha` on a premultiplied RGBA pixel."""
    r, g, b, a = dst
    return (colour[0] * alpha + r * (1 - alpha), colour[1] * alpha + g * (1 - alpha),
            colour[2] * alpha + b * (1 - alpha), alpha + a * (1 - alpha))


def pixel(x, y):
    px, py = x + 0.5, y + 0.5
    rgba = (0.0, 0.0, 0.0, 0.0)
    tile = rounded_box_distance(px, py, TILE, TILE_RADIUS)
    rgba = over(rgba, BORDER, coverage(tile))
    rgba = over(rgba, BACK, coverage(tile + BORDER_WIDTH))
    if tile > 0.5:
        return rgba
    for a, b in ((P[0], P[1]), (P[3], P[2])):
        rgba = over(rgba, ARM, coverage(segment_distance(px, py, a, b) - ARM_WIDTH / 2))
    rgba = over(rgba, CURVE, coverage(polyline_distance(px, py, CURVE_POINTS) - CURVE_WIDTH / 2))
    for h in (P[1], P[2]):
        rgba = over(rgba, HANDLE, coverage(math.hypot(px - h[0], py - h[1]) - HANDLE_RADIUS))
    for a in (P[0], P[3]):
        square = max(abs(px - a[0]), abs(py - a[1])) - ANCHOR_HALF
        rgba = over(rgba, ANCHOR, coverage(square))
    return rgba


def write_png(path, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


def rasterise():
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            r, g, b, a = pixel(x, y)
            if a <= 0.0:
                row += [0, 0, 0, 0]
            else:  # un-premultiply
                row += [round(r / a), round(g / a), round(b / a), round(a * 255)]
        rows.append(row)
    return rows


def hex_colour(c):
    return "#%02x%02x%02x" % c


def svg():
    x0, y0, x1, y1 = TILE
    inset = BORDER_WIDTH / 2
    p = P
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" viewBox="0 0 {SIZE} {SIZE}">
  <rect x="{x0 + inset:g}" y="{y0 + inset:g}" width="{x1 - x0 - 2 * inset:g}" height="{y1 - y0 - 2 * inset:g}"
        rx="{TILE_RADIUS - inset:g}" fill="{hex_colour(BACK)}" stroke="{hex_colour(BORDER)}" stroke-width="{BORDER_WIDTH:g}"/>
  <g stroke="{hex_colour(ARM)}" stroke-width="{ARM_WIDTH:g}" stroke-linecap="round">
    <line x1="{p[0][0]:g}" y1="{p[0][1]:g}" x2="{p[1][0]:g}" y2="{p[1][1]:g}"/>
    <line x1="{p[3][0]:g}" y1="{p[3][1]:g}" x2="{p[2][0]:g}" y2="{p[2][1]:g}"/>
  </g>
  <path d="M {p[0][0]:g} {p[0][1]:g} C {p[1][0]:g} {p[1][1]:g} {p[2][0]:g} {p[2][1]:g} {p[3][0]:g} {p[3][1]:g}"
        fill="none" stroke="{hex_colour(CURVE)}" stroke-width="{CURVE_WIDTH:g}" stroke-linecap="round"/>
  <g fill="{hex_colour(HANDLE)}">
    <circle cx="{p[1][0]:g}" cy="{p[1][1]:g}" r="{HANDLE_RADIUS:g}"/>
    <circle cx="{p[2][0]:g}" cy="{p[2][1]:g}" r="{HANDLE_RADIUS:g}"/>
  </g>
  <g fill="{hex_colour(ANCHOR)}">
    <rect x="{p[0][0] - ANCHOR_HALF:g}" y="{p[0][1] - ANCHOR_HALF:g}" width="{2 * ANCHOR_HALF:g}" height="{2 * ANCHOR_HALF:g}"/>
    <rect x="{p[3][0] - ANCHOR_HALF:g}" y="{p[3][1] - ANCHOR_HALF:g}" width="{2 * ANCHOR_HALF:g}" height="{2 * ANCHOR_HALF:g}"/>
  </g>
</svg>
"""


def main():
    with open(os.path.join(OUT, "zarni.svg"), "w") as f:
        f.write(svg())
    write_png(os.path.join(OUT, "zarni.png"), rasterise())


if __name__ == "__main__":
    main()
