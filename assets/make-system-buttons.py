#!/usr/bin/env python3
"""Draws the two sprite sheets of the hosts' system buttons (run by the build)
and embeds them in a C++ source of the UI engine.

Usage: make-system-buttons.py OUT.cpp [PNG_DIR]

Each button kind has one frame per state laid side by side: normal, hover,
pressed and, in skin 1, a fourth (disabled). Skin 0 frames are 19 high from
y = 1 with no gap; skin 1 frames are 20 high from y = 0 with a one-pixel gap.
The frame rectangles are the ones the UI engine cuts (see
systemButtonFrames in ui/UiGeometry.cpp); the glyphs are simple strokes: a
cross, a square, two squares, a bar, and marks for the spare kinds."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngkit import Canvas, png, write_embedded  # noqa: E402

# kind -> (width, x of the first frame) per skin; "restore" is kind 2's
# second glyph. Skin 1 has no frames for kind 7.
SKINS = {
    0: dict(height=19, top=1, gap=0, frames=3, sheet=(705, 20),
            kinds={"close": (39, 0), "maximise": (28, 117), "restore": (28, 201), "minimise": (28, 285),
                   "menu": (28, 369), "down": (28, 453), "pin": (28, 537), "help": (28, 621)}),
    1: dict(height=20, top=0, gap=1, frames=4, sheet=(925, 20),
            kinds={"close": (42, 754), "maximise": (28, 522), "restore": (28, 638), "minimise": (28, 406),
                   "menu": (28, 290), "down": (28, 145), "pin": (28, 0)}),
}

GLYPH = (214, 216, 222, 255)
GLYPH_HOT = (255, 255, 255, 255)
GLYPH_PRESSED = (190, 192, 198, 255)
GLYPH_DISABLED = (214, 216, 222, 90)
HOVER_FILL = (255, 255, 255, 38)
PRESSED_FILL = (0, 0, 0, 90)
CLOSE_HOVER = (214, 48, 38, 255)
CLOSE_PRESSED = (150, 30, 24, 255)


def glyph(c, kind, x, y, w, h, colour):
    """The kind's mark centred in the frame (x, y, w, h)."""
    cx, cy = x + w / 2.0, y + h / 2.0
    if kind == "close":
        c.line(cx - 4.5, cy - 4.5, cx + 4.5, cy + 4.5, 1.4, colour)
        c.line(cx - 4.5, cy + 4.5, cx + 4.5, cy - 4.5, 1.4, colour)
    elif kind == "maximise":
        c.frame_rect(round(cx - 5), round(cy - 4.5), 10, 9, 1, colour)
        c.fill_rect(round(cx - 5), round(cy - 4.5), 10, 2, colour)
    elif kind == "restore":
        # The back window shows only where the front one does not cover it.
        bx, by, fx, fy = round(cx - 2), round(cy - 5), round(cx - 5), round(cy - 2)

        def back(sx, sy):
            outline = bx <= sx < bx + 8 and by <= sy < by + 7 and not (bx + 1 <= sx < bx + 7 and by + 1 <= sy < by + 6)
            return outline and not (fx <= sx < fx + 8 and fy <= sy < fy + 7)

        c.shape((bx, by, bx + 8, by + 7), back, colour)
        c.frame_rect(fx, fy, 8, 7, 1, colour)
        c.fill_rect(fx, fy, 8, 2, colour)
    elif kind == "minimise":
        c.fill_rect(round(cx - 5), round(cy + 2), 10, 2, colour)
    elif kind == "menu":
        for dy in (-4, 0, 4):
            c.fill_rect(round(cx - 5), round(cy + dy - 0.5), 10, 1, colour)
    elif kind == "down":
        c.line(cx - 4.5, cy - 2, cx, cy + 2.5, 1.4, colour)
        c.line(cx, cy + 2.5, cx + 4.5, cy - 2, 1.4, colour)
    elif kind == "pin":
        c.ring(cx, cy - 1, 3, 1.3, colour)
        c.line(cx, cy + 2, cx, cy + 6, 1.3, colour)
    elif kind == "help":
        c.ring(cx, cy, 5, 1.3, colour)
        c.fill_rect(round(cx - 1), round(cy - 1), 2, 2, colour)


def draw_skin(number):
    skin = SKINS[number]
    c = Canvas(*skin["sheet"])
    h, top, gap = skin["height"], skin["top"], skin["gap"]
    for kind, (w, first) in skin["kinds"].items():
        for state in range(skin["frames"]):
            x = first + state * (w + gap)
            closing = kind == "close"
            if state == 1:
                fill, colour = (CLOSE_HOVER if closing else HOVER_FILL), GLYPH_HOT
            elif state == 2:
                fill, colour = (CLOSE_PRESSED if closing else PRESSED_FILL), (GLYPH_HOT if closing else GLYPH_PRESSED)
            else:
                fill, colour = None, (GLYPH if state == 0 else GLYPH_DISABLED)
            if fill:
                c.fill_rect(x, top, w, h, fill)
            glyph(c, kind, x, top, w, h, colour)
    return png(c.width, c.height, c.rows())


def main():
    write_embedded(sys.argv, "make-system-buttons.py", "SystemButtonSheets.h",
                   {"system_buttons_%d" % n: draw_skin(n) for n in SKINS},
                   "std::span<const unsigned char> systemButtonSheet(int skin) {\n"
                   "    if (skin == 1)\n        return k_system_buttons_1;\n"
                   "    return k_system_buttons_0;\n}\n")


if __name__ == "__main__":
    main()
