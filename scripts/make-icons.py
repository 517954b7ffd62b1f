#!/usr/bin/env python3
"""Draws the palette and object-list icons into resources/icons/NNN.png.

Every icon is a 32 x 32 RGBA PNG with a transparent background. The program draws each one at
its cell's top-left corner in the palette or the object list, and the cells are smaller than 32 x 32, so
each icon is drawn inside the top-left region of its cell's size and the rest stays transparent;
drawing outside that region is an error here. Pixel art only: a small pixel font, straight
lines and filled shapes, no scaling and no smoothing.

    scripts/make-icons.py                   rewrite resources/icons/*.png
    scripts/make-icons.py --sheet out.png   also draw a contact sheet (icons enlarged, labelled,
                                            and a mock of the palette strip) for a look

Python 3 standard library only. The build does not run this script; the PNGs are committed.
"""

import argparse
import math
import os
import struct
import sys
import zlib

SIZE = 32

# ---------------------------------------------------------------------------------------------
# Colours

INK = (36, 36, 36)          # letters and pictograms
GREY_INK = (156, 156, 156)  # a switch that is off
RED = (206, 28, 28)
GREEN = (22, 146, 48)
BLUE = (28, 84, 206)

PLATE_EDGE = (138, 138, 138)
PLATE_BOTTOM_EDGE = (112, 112, 112)
PLATE_TOP = (255, 255, 255)
PLATE_BOTTOM = (222, 222, 222)

FIELD_OUTER_SHADOW = (128, 128, 128)
FIELD_INNER_SHADOW = (64, 64, 64)
FIELD_OUTER_LIGHT = (255, 255, 255)
FIELD_INNER_LIGHT = (218, 218, 218)
FIELD_FACE = (255, 255, 255)

# The toolkit's button face, only for the contact sheet's mock of the strip.
SHEET_FACE = (239, 239, 239)

# ---------------------------------------------------------------------------------------------
# Fonts: one string per row, '#' ink. A glyph's width is its row length; rows beyond the
# cap height are descenders.

# Letters and digits, cap height 7.
FONT = {
    'A': [".##.", "#..#", "#..#", "####", "#..#", "#..#", "#..#"],
    'B': ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    'C': [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    'D': ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    'G': [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"],
    'F': ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    'H': ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'N': ["#...#", "##..#", "##..#", "#.#.#", "#..##", "#..##", "#...#"],
    'O': [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'R': ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    'T': ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    'Z': ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    '0': [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    '1': ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    '2': [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    '3': ["#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."],
    '4': ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    '5': ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    'b': ["#...", "#...", "###.", "#..#", "#..#", "#..#", "###."],
    'c': ["....", "....", ".###", "#...", "#...", "#...", ".###"],
    'e': ["....", "....", ".##.", "#..#", "####", "#...", ".###"],
    'j': ["..#", "...", "..#", "..#", "..#", "..#", "..#", "#.#", ".#."],
    'l': ["#", "#", "#", "#", "#", "#", "#"],
    't': [".#.", ".#.", "###", ".#.", ".#.", ".#.", "..#"],
}
FONT_CAP = 7

# Narrow letters for the words on the operation buttons, cap height 6, x-height 4.
SMALL = {
    'D': ["##.", "#.#", "#.#", "#.#", "#.#", "##."],
    'E': ["###", "#..", "##.", "#..", "#..", "###"],
    'L': ["#..", "#..", "#..", "#..", "#..", "###"],
    'S': [".##", "#..", ".#.", "..#", "..#", "##."],
    'a': ["...", "...", "##.", "..#", "#.#", ".##"],
    'd': ["..#", "..#", ".##", "#.#", "#.#", ".##"],
    'e': ["...", "...", ".##", "#.#", "##.", ".##"],
    'h': ["#..", "#..", "##.", "#.#", "#.#", "#.#"],
    'i': ["#", ".", "#", "#", "#", "#"],
    'l': ["#", "#", "#", "#", "#", "#"],
    'm': [".....", ".....", "####.", "#.#.#", "#.#.#", "#.#.#"],
    'n': ["...", "...", "##.", "#.#", "#.#", "#.#"],
    'o': ["...", "...", ".#.", "#.#", "#.#", ".#."],
    'p': ["...", "...", "##.", "#.#", "#.#", "##.", "#..", "#.."],
    'r': ["..", "..", "##", "#.", "#.", "#."],
    't': ["#.", "#.", "##", "#.", "#.", ".#"],
    'u': ["...", "...", "#.#", "#.#", "#.#", ".##"],
    'x': ["...", "...", "#.#", ".#.", ".#.", "#.#"],
}
SMALL_CAP = 6

# Digits for the contact sheet's labels only.
LABEL = {
    '0': ["###", "#.#", "#.#", "#.#", "###"], '1': [".#.", "##.", ".#.", ".#.", "###"],
    '2': ["###", "..#", "###", "#..", "###"], '3': ["###", "..#", ".##", "..#", "###"],
    '4': ["#.#", "#.#", "###", "..#", "..#"], '5': ["###", "#..", "###", "..#", "###"],
    '6': ["###", "#..", "###", "#.#", "###"], '7': ["###", "..#", ".#.", ".#.", ".#."],
    '8': ["###", "#.#", "###", "#.#", "###"], '9': ["###", "#.#", "###", "..#", "###"],
    'X': ["#.#", "#.#", ".#.", "#.#", "#.#"], 'Y': ["#.#", "#.#", ".#.", ".#.", ".#."],
    'Z': ["###", "..#", ".#.", "#..", "###"], '.': [".", ".", ".", ".", "#"],
    '-': ["...", "...", "###", "...", "..."], ' ': ["..", "..", "..", "..", ".."],
    'N': ["#..#", "##.#", "#.##", "#..#", "#..#"], 'o': ["...", "...", "###", "#.#", "###"],
}


def text_width(font, text):
    return sum(len(font[ch][0]) for ch in text) + max(0, len(text) - 1)


# ---------------------------------------------------------------------------------------------
# The canvas

class Icon:
    """A 32 x 32 RGBA image that may only be drawn inside its top-left w x h region."""

    def __init__(self, w, h):
        assert 0 < w <= SIZE and 0 < h <= SIZE
        self.w, self.h = w, h
        self.px = [[(0, 0, 0, 0)] * SIZE for _ in range(SIZE)]

    def put(self, x, y, colour):
        if not (0 <= x < self.w and 0 <= y < self.h):
            raise ValueError(f"pixel ({x}, {y}) outside the {self.w} x {self.h} region")
        self.px[y][x] = colour if len(colour) == 4 else colour + (255,)

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def glyph(self, rows, x, y, colour, rotate=False):
        """One glyph with its top-left at (x, y); rotated a quarter turn clockwise when asked
        (the glyph's top then faces right and it reads downwards)."""
        for gy, row in enumerate(rows):
            for gx, ch in enumerate(row):
                if ch == '#':
                    if rotate:
                        self.put(x + len(rows) - 1 - gy, y + gx, colour)
                    else:
                        self.put(x + gx, y + gy, colour)

    def text(self, font, text, x, y, colour):
        for ch in text:
            self.glyph(font[ch], x, y, colour)
            x += len(font[ch][0]) + 1

    def text_centred(self, font, cap, text, x0, y0, x1, y1, colour):
        """Centres the text's cap height in the box (x0, y0)-(x1, y1), both included; odd
        leftover space goes to the left (a word one pixel narrower than the box keeps its first
        stem off the key's edge) and to the bottom."""
        w = text_width(font, text)
        assert w <= x1 - x0 + 1, text
        self.text(font, text, x0 + (x1 - x0 + 2 - w) // 2, y0 + (y1 - y0 + 1 - cap) // 2, colour)


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


# ---------------------------------------------------------------------------------------------
# Shared parts

def plate(icon, x0, y0, x1, y1):
    """A raised key: grey edge with cut corners, darker bottom edge, face shaded from white at
    the top to light grey at the bottom. Every button and switch stands on one."""
    for y in range(y0 + 1, y1):
        t = (y - y0 - 1) / max(1, y1 - y0 - 2)
        icon.fill(x0 + 1, y, x1 - 1, y, mix(PLATE_TOP, PLATE_BOTTOM, t))
    icon.fill(x0 + 1, y0, x1 - 1, y0, PLATE_EDGE)
    icon.fill(x0, y0 + 1, x0, y1 - 1, PLATE_EDGE)
    icon.fill(x1, y0 + 1, x1, y1 - 1, PLATE_EDGE)
    icon.fill(x0 + 1, y1, x1 - 1, y1, PLATE_BOTTOM_EDGE)


def key(w, h, top=0):
    """An icon that is one plate filling its w x h region (from row `top` down)."""
    icon = Icon(w, h)
    plate(icon, 0, top, w - 1, h - 1)
    return icon


def letter_key(w, h, text, colour, font=FONT, cap=FONT_CAP, top=0):
    icon = key(w, h, top)
    icon.text_centred(font, cap, text, 1, top + 1, w - 2, h - 2, colour)
    return icon


def sunken(icon, x0, y0, x1, y1, left=True, right=True):
    """A white sunken field: dark edges top and left, light edges bottom and right. The long
    coordinate field is two icons; `left` and `right` say which ends this one closes."""
    icon.fill(x0, y0, x1, y1, FIELD_FACE)
    icon.fill(x0, y0, x1, y0, FIELD_OUTER_SHADOW)
    icon.fill(x0 + (1 if left else 0), y0 + 1, x1 - (1 if right else 0), y0 + 1,
              FIELD_INNER_SHADOW)
    icon.fill(x0, y1, x1, y1, FIELD_OUTER_LIGHT)
    icon.fill(x0 + (1 if left else 0), y1 - 1, x1 - (1 if right else 0), y1 - 1,
              FIELD_INNER_LIGHT)
    if left:
        icon.fill(x0, y0, x0, y1 - 1, FIELD_OUTER_SHADOW)
        icon.fill(x0 + 1, y0 + 1, x0 + 1, y1 - 2, FIELD_INNER_SHADOW)
    if right:
        icon.fill(x1, y0 + 1, x1, y1, FIELD_OUTER_LIGHT)
        icon.fill(x1 - 1, y0 + 2, x1 - 1, y1 - 1, FIELD_INNER_LIGHT)
        icon.put(x1, y0, FIELD_OUTER_SHADOW)
        icon.put(x1 - 1, y0 + 1, FIELD_INNER_SHADOW)


def arrow(icon, tip_x, y, length, direction, colour):
    """A horizontal arrow on row y: one-pixel shaft, head five rows high, tip at tip_x."""
    for i in range(length):
        icon.put(tip_x - direction * i, y, colour)
    for i in range(1, 3):
        for dy in range(-i, i + 1):
            icon.put(tip_x - direction * i, y + dy, colour)


# ---------------------------------------------------------------------------------------------
# The icons, by resource id

def coordinate_field_left():
    icon = Icon(32, 17)
    sunken(icon, 0, 0, 31, 16, left=True, right=False)
    return icon


def coordinate_field_right():
    icon = Icon(32, 17)
    sunken(icon, 0, 0, 31, 16, left=False, right=True)
    return icon


def integer_field():
    icon = Icon(26, 18)
    sunken(icon, 0, 0, 24, 17)
    return icon


def lock_bar(hue, locked=False):
    """The axis lock: a tall light bar of the axis colour (the program writes X, Y or Z on it in
    black at (3, 2)); the locked bar is grey with a padlock below the letter."""
    w, h = 12, 32
    icon = Icon(w, h)
    edge = mix(hue, (0, 0, 0), 0.25)
    face_top = mix(hue, (255, 255, 255), 0.80)
    face_bottom = mix(hue, (255, 255, 255), 0.55)
    for y in range(1, h - 1):
        icon.fill(1, y, w - 2, y, mix(face_top, face_bottom, (y - 1) / (h - 3)))
    icon.fill(1, 0, w - 2, 0, edge)
    icon.fill(1, h - 1, w - 2, h - 1, edge)
    icon.fill(0, 1, 0, h - 2, edge)
    icon.fill(w - 1, 1, w - 1, h - 2, edge)
    if locked:
        shackle = [".###.", "#...#", "#...#"]  # a padlock
        body = ["#####", "##.##", "##.##", "#####"]
        icon.glyph(shackle, 3, 19, INK)
        icon.glyph(body, 3, 22, INK)
    return icon


def object_tab():
    """A tab 16 wide hanging from the top of the strip, the word Object reading downwards."""
    w, h = 16, 32
    icon = Icon(w, h)
    for y in range(0, h - 1):
        x0, x1 = (2, w - 3) if y == h - 2 else (1, w - 2)
        icon.fill(x0, y, x1, y, mix(PLATE_TOP, PLATE_BOTTOM, y / (h - 2)))
    # Open at the top, edged down the sides, rounded at the bottom.
    icon.fill(0, 0, 0, h - 3, PLATE_EDGE)
    icon.fill(w - 1, 0, w - 1, h - 3, PLATE_EDGE)
    icon.put(1, h - 2, PLATE_BOTTOM_EDGE)
    icon.put(w - 2, h - 2, PLATE_BOTTOM_EDGE)
    icon.fill(2, h - 1, w - 3, h - 1, PLATE_BOTTOM_EDGE)
    # Rotated, a glyph row becomes a column: cap rows on the right, descenders to their left.
    y = 1
    for ch in "Object":
        rows = FONT[ch] + ["." * len(FONT[ch][0])] * (9 - len(FONT[ch]))
        icon.glyph(rows, 3, y, INK, rotate=True)
        y += len(FONT[ch][0]) + 1
    return icon


def view_count(panes):
    """The digit 1 or 4 beside a small window of one or four panes."""
    icon = key(20, 18)
    icon.glyph(FONT['1' if panes == 1 else '4'], 3, 5, INK)
    x0, y0, x1, y1 = 10, 5, 16, 11
    icon.fill(x0, y0, x1, y0, INK)
    icon.fill(x0, y1, x1, y1, INK)
    icon.fill(x0, y0, x0, y1, INK)
    icon.fill(x1, y0, x1, y1, INK)
    if panes == 4:
        icon.fill(x0, 8, x1, 8, INK)
        icon.fill(13, y0, 13, y1, INK)
    else:
        icon.fill(x0, y0 + 1, x1, y0 + 1, INK)  # a title bar
    return icon


def history_arrow(direction, colour):
    icon = key(12, 17)
    tip = 9 if direction > 0 else 2
    arrow(icon, tip, 8, 8, direction, colour)
    return icon


def move_mode():
    """Four-way arrow."""
    icon = key(28, 32)
    cx0, cx1, cy0, cy1 = 13, 14, 15, 16  # the two-pixel centre lines
    icon.fill(cx0, 7, cx1, 24, INK)
    icon.fill(5, cy0, 22, cy1, INK)
    for i in range(3):  # heads: rows/columns 3 pixels deep, widening by 1 each side
        icon.fill(cx0 - i - 1, 4 + i + 1, cx1 + i + 1, 4 + i + 1, INK)
        icon.fill(cx0 - i - 1, 27 - i - 1, cx1 + i + 1, 27 - i - 1, INK)
        icon.fill(2 + i + 1, cy0 - i - 1, 2 + i + 1, cy1 + i + 1, INK)
        icon.fill(25 - i - 1, cy0 - i - 1, 25 - i - 1, cy1 + i + 1, INK)
    icon.fill(cx0, 4, cx1, 4, INK)
    icon.fill(cx0, 27, cx1, 27, INK)
    icon.fill(2, cy0, 2, cy1, INK)
    icon.fill(25, cy0, 25, cy1, INK)
    return icon


def scale_mode():
    """A small solid box, a larger dotted box sharing its lower-left corner, and an arrow
    from one to the other."""
    icon = key(28, 32)
    x0, y1 = 4, 26
    big = 19
    for i in range(0, big + 1, 2):
        icon.put(x0 + i, y1 - big, INK)
        icon.put(x0 + big, y1 - big + i, INK)
        icon.put(x0, y1 - big + i, INK)
        icon.put(x0 + i, y1, INK)
    small = 8
    icon.fill(x0, y1 - small, x0 + small, y1 - small, INK)
    icon.fill(x0 + small, y1 - small, x0 + small, y1, INK)
    icon.fill(x0, y1 - small, x0, y1, INK)
    icon.fill(x0, y1, x0 + small, y1, INK)
    icon.fill(x0 + 1, y1 - small + 1, x0 + small - 1, y1 - 1, (200, 200, 200))
    # Diagonal arrow from the small box's corner to the big one's.
    for i in range(2, 10):
        icon.put(x0 + small + i, y1 - small - i, INK)
        icon.put(x0 + small + i + 1, y1 - small - i, INK)
    tx, ty = x0 + big - 2, y1 - big + 2
    icon.fill(tx - 4, ty, tx, ty, INK)
    icon.fill(tx, ty, tx, ty + 4, INK)
    icon.fill(tx - 4, ty + 1, tx - 1, ty + 1, INK)
    icon.fill(tx - 1, ty + 1, tx - 1, ty + 4, INK)
    return icon


def rotate_mode():
    """A ring two pixels thick, open at the upper right, turning clockwise into an arrow head
    that points right across the top."""
    icon = key(28, 32)
    cx, cy, r = 14.0, 16.0, 8.0
    start, end = math.radians(-25), math.radians(270)  # screen angles, y downwards
    for y in range(32):
        for x in range(28):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            if r - 1.0 <= math.hypot(dx, dy) < r + 1.0:
                a = math.atan2(dy, dx)
                if a < start:
                    a += 2 * math.pi
                if a < end:
                    icon.put(x, y, INK)
    for i in range(4):  # the head, like the move arrow's: two pixels at the tip
        icon.fill(14 + i, 4 + i, 14 + i, 11 - i, INK)
    return icon


def two_arrows():
    """Invert selection: an arrow to the right above one to the left."""
    icon = key(12, 17)
    arrow(icon, 9, 5, 8, +1, INK)
    arrow(icon, 2, 11, 8, -1, INK)
    return icon


def intersection(colour):
    icon = key(12, 17)
    icon.glyph(["..####..", ".######.", "###..###", "##....##", "##....##", "##....##",
                "##....##", "##....##"], 2, 5, colour)
    return icon


def symmetry(left, right, axis):
    """Object list: a shape and its mirror image either side of a dotted axis, on a small key
    in the middle of the 22-pixel row."""
    icon = Icon(16, 22)
    plate(icon, 0, 3, 15, 18)
    for y in range(5, 17, 2):
        icon.put(7, y, axis)
        icon.put(8, y, axis)
    shape = ["....#", "....#", "...##", "...##", "..###", "..###", ".####", ".####", "#####"]
    icon.glyph(shape, 1, 7, left)
    icon.glyph([row[::-1] for row in shape], 10, 7, right)
    return icon


def build_icons():
    icons = {}
    icons[297] = coordinate_field_left()
    icons[298] = coordinate_field_right()
    icons[299] = integer_field()
    icons[300] = lock_bar((150, 150, 150), locked=True)
    icons[301] = object_tab()
    icons[302] = view_count(1)
    icons[303] = view_count(4)
    icons[304] = letter_key(20, 18, "R", RED)
    icons[305] = letter_key(20, 18, "All", GREY_INK)
    icons[306] = letter_key(20, 18, "All", RED)
    icons[307] = letter_key(20, 18, "BG", RED)
    icons[308] = letter_key(20, 18, "BG", GREY_INK)
    icons[309] = history_arrow(-1, INK)
    icons[310] = history_arrow(-1, GREY_INK)
    icons[311] = history_arrow(+1, INK)
    icons[312] = history_arrow(+1, GREY_INK)
    icons[313] = move_mode()
    icons[314] = scale_mode()
    icons[315] = rotate_mode()
    icons[316] = letter_key(16, 17, "O", INK)
    icons[317] = letter_key(16, 17, "C", INK)
    # The handle-mode cell starts at row 20, just under the pivot cell; its key starts 3 rows
    # down, level with the rounding buttons and the layer switches.
    icons[318] = letter_key(16, 20, "N", INK, top=3)
    icons[319] = letter_key(16, 20, "H", INK, top=3)
    icons[320] = lock_bar((230, 40, 40))
    icons[321] = lock_bar((40, 190, 60))
    icons[322] = lock_bar((50, 100, 235))
    for i, ch in enumerate("ZFRT"):
        icons[323 + i] = letter_key(12, 17, ch, INK)
    icons[327] = letter_key(12, 17, "All", INK)
    icons[328] = letter_key(12, 17, "0", INK)
    icons[329] = two_arrows()
    icons[330] = intersection(GREEN)
    icons[331] = intersection(GREY_INK)
    icons[332] = letter_key(14, 17, "Dup", INK, SMALL, SMALL_CAP)
    icons[333] = letter_key(14, 17, "Del", INK, SMALL, SMALL_CAP)
    icons[334] = letter_key(28, 17, "Extrude", INK, SMALL, SMALL_CAP)
    icons[335] = letter_key(28, 17, "Lathe", INK, SMALL, SMALL_CAP)
    icons[336] = letter_key(28, 17, "Smooth", INK, SMALL, SMALL_CAP)
    icons[337] = letter_key(28, 17, "Liner", INK, SMALL, SMALL_CAP)
    for k in range(6):
        icons[340 + k] = letter_key(14, 17, str(k), GREY_INK)
        icons[346 + k] = letter_key(14, 17, str(k), BLUE)
    icons[401] = symmetry(INK, (120, 120, 120), RED)
    icons[402] = symmetry(GREY_INK, (200, 200, 200), GREY_INK)
    return icons


# ---------------------------------------------------------------------------------------------
# PNG

def png_bytes(width, height, rows):
    """8-bit RGBA, no interlace; rows of (r, g, b, a) tuples."""
    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data
                + struct.pack(">I", zlib.crc32(tag + data) & 0xffffffff))
    raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


# ---------------------------------------------------------------------------------------------
# Contact sheet: every icon enlarged on the button face with its id, then the strip as the
# palette would draw it (default states, stand-in text) at 1x and enlarged.

# (cell left, top, icon id) of a strip in point mode with its default switches.
STRIP = [
    (4, 3, 301), (30, 22, 303), (50, 22, 304), (70, 22, 299), (96, 22, 305), (116, 22, 307),
    (191, 20, 318), (156, 3, 313), (191, 3, 316), (211, 3, 320), (227, 3, 297), (259, 3, 298),
    (227, 23, 323), (243, 23, 324), (259, 23, 325), (275, 23, 326),
    (297, 3, 321), (313, 3, 297), (345, 3, 298),
    (313, 23, 323), (329, 23, 324), (345, 23, 325), (361, 23, 326),
    (383, 3, 300), (399, 3, 297), (431, 3, 298),
    (399, 23, 323), (415, 23, 324), (431, 23, 325), (447, 23, 326),
    (479, 3, 327), (495, 3, 328), (511, 3, 329), (527, 3, 331), (553, 3, 333), (578, 3, 332),
    (596, 3, 334), (628, 3, 335), (478, 22, 299),
] + [(548 + 18 * k, 23, (346 if k % 2 == 0 else 340) + k) for k in range(6)]
STRIP_TEXT = [(20, 4, "1 001"), (214, 5, "X"), (300, 5, "Y"), (386, 5, "Z"),
              (237, 6, " 1.250"), (323, 6, "-0.500"), (409, 6, " 12.000"), (76, 25, "4"),
              (484, 25, "0"), (503, 26, "No.0012")]


class Sheet:
    def __init__(self, w, h, colour):
        self.w, self.h = w, h
        self.px = [[colour + (255,)] * w for _ in range(h)]

    def blend(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h and c[3]:
            a = c[3] / 255
            under = self.px[y][x]
            self.px[y][x] = tuple(round(c[i] * a + under[i] * (1 - a)) for i in range(3)) + (255,)

    def icon(self, icon, left, top, zoom=1):
        for y in range(SIZE):
            for x in range(SIZE):
                for zy in range(zoom):
                    for zx in range(zoom):
                        self.blend(left + x * zoom + zx, top + y * zoom + zy, icon.px[y][x])

    def text(self, text, x, y, colour=(0, 0, 0)):
        for ch in text:
            for gy, row in enumerate(LABEL[ch]):
                for gx, c in enumerate(row):
                    if c == '#':
                        self.blend(x + gx, y + gy, colour + (255,))
            x += len(LABEL[ch][0]) + 1

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.blend(x, y0, colour + (255,))
            self.blend(x, y1, colour + (255,))
        for y in range(y0, y1 + 1):
            self.blend(x0, y, colour + (255,))
            self.blend(x1, y, colour + (255,))

    def enlarge(self, x0, y0, w, h, left, top, zoom):
        for y in range(h):
            for x in range(w):
                c = self.px[y0 + y][x0 + x]
                for zy in range(zoom):
                    for zx in range(zoom):
                        self.blend(left + x * zoom + zx, top + y * zoom + zy, c)


def contact_sheet(icons, path):
    zoom, cols = 6, 10
    cell = SIZE * zoom + 12
    ids = sorted(icons)
    rows = (len(ids) + cols - 1) // cols
    strip_w, strip_zoom = 680, 2
    width = max(cols * cell + 8, strip_w * strip_zoom + 16)
    grid_h = rows * (cell + 10) + 8
    height = grid_h + 40 + 16 + 40 * strip_zoom + 16
    sheet = Sheet(width, height, SHEET_FACE)
    for n, icon_id in enumerate(ids):
        left = 8 + (n % cols) * cell
        top = 8 + (n // cols) * (cell + 10)
        sheet.text(str(icon_id), left, top)
        sheet.frame(left - 1, top + 7, left + SIZE * zoom, top + 8 + SIZE * zoom, (200, 200, 255))
        sheet.icon(icons[icon_id], left, top + 8, zoom)
    # The strip at 1x, then enlarged below it.
    y0 = grid_h
    for left, top, icon_id in STRIP:
        sheet.icon(icons[icon_id], 8 + left, y0 + top)
    for x, y, text in STRIP_TEXT:
        sheet.text(text, 8 + x, y0 + y)
    sheet.enlarge(8, y0, strip_w, 40, 8, y0 + 40 + 16, strip_zoom)
    with open(path, "wb") as f:
        f.write(png_bytes(width, height, sheet.px))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                      "..", "resources", "icons"))
    parser.add_argument("--sheet", help="also write a contact sheet PNG here")
    args = parser.parse_args()
    icons = build_icons()
    os.makedirs(args.out, exist_ok=True)
    for icon_id, icon in sorted(icons.items()):
        with open(os.path.join(args.out, f"{icon_id}.png"), "wb") as f:
            f.write(png_bytes(SIZE, SIZE, icon.px))
    if args.sheet:
        contact_sheet(icons, args.sheet)
    print(f"{len(icons)} icons written to {os.path.normpath(args.out)}", file=sys.stderr)


if __name__ == "__main__":
    main()
