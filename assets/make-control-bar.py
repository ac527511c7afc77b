#!/usr/bin/env python3
"""Draws the control bar's button strips (run by the build) and embeds them in
a C++ source of the program.

Usage: make-control-bar.py OUT.cpp [PNG_DIR]

Each strip holds one frame per button state side by side: normal, hover,
pressed and, where the strip has a fourth, disabled. The sizes are those the
control bar cuts (see ControlBar.cpp): 45 x 45 frames without a gap for play
and pause, 33 x 33 with a one-pixel gap for previous, next and stop, 16 x 16
with a one-pixel gap for the mute, file-list and full-screen buttons, and
17 x 17 without a gap (three frames) for picture adjustment and sound."""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngkit import Canvas, png, write_embedded  # noqa: E402

GLYPH = [(200, 202, 208, 255), (255, 255, 255, 255), (150, 152, 158, 255), (200, 202, 208, 80)]
ACCENT = [(0, 120, 215, 255), (0, 136, 255, 255), (0, 96, 180, 255), (0, 120, 215, 80)]
HALO = [None, (255, 255, 255, 30), (0, 0, 0, 70), None]


def triangle(c, x, y, w, h, colour, right=True):
    if right:
        c.polygon([(x, y), (x + w, y + h / 2.0), (x, y + h)], colour)
    else:
        c.polygon([(x + w, y), (x, y + h / 2.0), (x + w, y + h)], colour)


def play(c, x, y, s, st):
    c.round_rect(x + 2, y + 2, s - 4, s - 4, (s - 4) / 2.0, ACCENT[st])
    triangle(c, x + s * 0.40, y + s * 0.30, s * 0.30, s * 0.40, GLYPH[1] if st != 3 else GLYPH[3])


def pause(c, x, y, s, st):
    c.round_rect(x + 2, y + 2, s - 4, s - 4, (s - 4) / 2.0, ACCENT[st])
    colour = GLYPH[1] if st != 3 else GLYPH[3]
    c.fill_rect(x + s * 0.36, y + s * 0.30, s * 0.10, s * 0.40, colour)
    c.fill_rect(x + s * 0.54, y + s * 0.30, s * 0.10, s * 0.40, colour)


def halo(c, x, y, s, st):
    if HALO[st]:
        c.round_rect(x + 1, y + 1, s - 2, s - 2, (s - 2) / 2.0, HALO[st])


def previous(c, x, y, s, st):
    halo(c, x, y, s, st)
    c.fill_rect(x + 10, y + 11, 2, 11, GLYPH[st])
    triangle(c, x + 12, y + 11, 10, 11, GLYPH[st], right=False)


def next_(c, x, y, s, st):
    halo(c, x, y, s, st)
    triangle(c, x + 11, y + 11, 10, 11, GLYPH[st])
    c.fill_rect(x + 21, y + 11, 2, 11, GLYPH[st])


def stop(c, x, y, s, st):
    halo(c, x, y, s, st)
    c.fill_rect(x + 11, y + 11, 11, 11, GLYPH[st])


def speaker(c, x, y, s, st):
    g = GLYPH[st]
    c.fill_rect(x + 2, y + 6, 3, 4, g)
    c.polygon([(x + 5, y + 6), (x + 9, y + 2.5), (x + 9, y + 13.5), (x + 5, y + 10)], g)
    for r in (3.0, 5.5):
        def arc(sx, sy, r=r):
            dx, dy = sx - (x + 9), sy - (y + 8)
            d = math.hypot(dx, dy)
            return dx > 0 and abs(dy) < dx * 1.2 and r - 0.6 <= d <= r + 0.6
        c.shape((x + 9, y + 1, x + 16, y + 15), arc, g)


def file_list(c, x, y, s, st):
    g = GLYPH[st]
    for row in (4, 7, 10):
        c.fill_rect(x + 2, y + row, 2, 2, g)
        c.fill_rect(x + 5, y + row, 9, 2, g)


def full_screen(c, x, y, s, st):
    g = GLYPH[st]
    for (cx, cy, dx, dy) in ((2, 2, 1, 1), (13, 2, -1, 1), (2, 13, 1, -1), (13, 13, -1, -1)):
        c.fill_rect(min(x + cx, x + cx + 4 * dx + (1 if dx < 0 else 0)), y + cy, 4, 1.5, g)
        c.fill_rect(x + cx, min(y + cy, y + cy + 4 * dy + (1 if dy < 0 else 0)), 1.5, 4, g)


def adjust(c, x, y, s, st):
    g = GLYPH[st]
    c.ring(x + 8.5, y + 8.5, 6, 1.4, g)
    c.shape((x + 2, y + 2, x + 15, y + 15),
            lambda sx, sy: sx >= x + 8.5 and math.hypot(sx - x - 8.5, sy - y - 8.5) <= 6, g)


def sound(c, x, y, s, st):
    g = GLYPH[st]
    c.fill_rect(x + 9, y + 3, 1.5, 9, g)
    c.line(x + 10, y + 3, x + 13, y + 5, 1.4, g)
    c.round_rect(x + 4.5, y + 10, 5.5, 4.5, 2.2, g)


# name -> (frame size, frames, gap, strip width, painter)
STRIPS = {
    "play": (45, 4, 0, 180, play),
    "pause": (45, 4, 0, 180, pause),
    "previous": (33, 4, 1, 135, previous),
    "next": (33, 4, 1, 135, next_),
    "stop": (33, 4, 1, 135, stop),
    # Four frames of 16 with a gap end at 67: the strip is as wide as they need.
    "mute": (16, 4, 1, 67, speaker),
    "list": (16, 4, 1, 67, file_list),
    "fullscreen": (16, 4, 1, 67, full_screen),
    "adjust": (17, 3, 0, 51, adjust),
    "sound": (17, 3, 0, 51, sound),
}


def draw(name):
    size, frames, gap, width, painter = STRIPS[name]
    c = Canvas(width, size)
    for st in range(frames):
        painter(c, st * (size + gap), 0, size, st)
    return png(c.width, c.height, c.rows())


def main():
    cases = "".join("    case Strip::%s:\n        return k_strip_%s;\n" % (name.capitalize(), name) for name in STRIPS)
    write_embedded(sys.argv, "make-control-bar.py", "ControlBarStrips.h",
                   {"strip_" + name: draw(name) for name in STRIPS},
                   "std::span<const unsigned char> controlBarStrip(Strip strip) {\n"
                   "    switch (strip) {\n" + cases + "    }\n    return {};\n}\n")


if __name__ == "__main__":
    main()
