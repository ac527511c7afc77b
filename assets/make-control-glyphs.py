#!/usr/bin/env python3
"""Draws the small glyphs of the custom controls (run by the build) and embeds
them in a C++ source of the UI engine.

Usage: make-control-glyphs.py OUT.cpp [PNG_DIR]

- check box: three 18 x 18 box glyphs (normal, hot, pressed), a 14 x 14
  square at (2, 2), and an 18 x 18 check mark;
- scroll-bar arrows: three 13 x 7 upward triangles filling the image
  (normal, hot, pressed)."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngkit import Canvas, png, write_embedded  # noqa: E402


def box(state):
    c = Canvas(18, 18)
    if state > 1:  # hot and pressed: a 2-pixel blue glow around the square
        c.round_rect(0, 0, 18, 18, 3, (0, 186, 255, 150))
    c.fill_rect(2, 2, 14, 14, (157, 155, 155, 255))
    c.fill_rect(3, 3, 12, 12, (120, 118, 118, 255) if state == 3 else (211, 211, 211, 255))
    return png(18, 18, c.rows())


def check_mark():
    c = Canvas(18, 18)
    c.line(5, 9, 8, 12.5, 2.2, (29, 29, 29, 255))
    c.line(8, 12.5, 13.5, 5.5, 2.2, (29, 29, 29, 255))
    return png(18, 18, c.rows())


def arrow(colour):
    c = Canvas(13, 7)
    c.polygon([(0, 7), (6.5, 0), (13, 7)], colour + (240,))
    return png(13, 7, c.rows())


IMAGES = {
    "box_normal": lambda: box(1),
    "box_hot": lambda: box(2),
    "box_pressed": lambda: box(3),
    "check_mark": check_mark,
    "arrow_normal": lambda: arrow((81, 81, 81)),
    "arrow_hot": lambda: arrow((196, 196, 196)),
    "arrow_pressed": lambda: arrow((109, 109, 109)),
}


def main():
    names = {"box_normal": "BoxNormal", "box_hot": "BoxHot", "box_pressed": "BoxPressed", "check_mark": "CheckMark",
             "arrow_normal": "ArrowNormal", "arrow_hot": "ArrowHot", "arrow_pressed": "ArrowPressed"}
    cases = "".join("    case Glyph::%s:\n        return k_%s;\n" % (names[n], n) for n in IMAGES)
    write_embedded(sys.argv, "make-control-glyphs.py", "ControlGlyphs.h", {n: f() for n, f in IMAGES.items()},
                   "std::span<const unsigned char> controlGlyph(Glyph glyph) {\n"
                   "    switch (glyph) {\n" + cases + "    }\n    return {};\n}\n")


if __name__ == "__main__":
    main()
