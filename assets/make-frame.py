#!/usr/bin/env python3
"""Draws the main window's nine-grid frame as a PNG (run by the build).

The grid's margins are 9, 50, 9, 9: the outer 4 pixels are a soft shadow (the
hosts keep their frame 4 pixels in from the window edge), then a one-pixel
outline, a 20-pixel title band shaded top to bottom (the title text and the
system buttons), a dark rule under it at row 25 and the body, which begins
where the windows' first controls and the main window's picture do (row 26).
The rest of the top margin is body, not title. Only the standard library is
used."""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngkit import png  # noqa: E402

WIDTH, HEIGHT = 40, 70
INSET = 4          # room for the shadow
TITLE_BOTTOM = 25  # the rule under the title band


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def pixel(x, y):
    inner = INSET <= x < WIDTH - INSET and INSET <= y < HEIGHT - INSET
    if not inner:
        dx = max(INSET - x, x - (WIDTH - INSET - 1), 0)
        dy = max(INSET - y, y - (HEIGHT - INSET - 1), 0)
        d = math.hypot(dx, dy)
        alpha = max(0, round(70 * (1 - d / (INSET + 0.5))))
        return (0, 0, 0, alpha)
    if x in (INSET, WIDTH - INSET - 1) or y in (INSET, HEIGHT - INSET - 1):
        return (70, 73, 80, 255)
    if y < TITLE_BOTTOM:
        t = (y - INSET - 1) / (TITLE_BOTTOM - INSET - 2)
        return mix((52, 55, 62), (31, 33, 38), t) + (255,)
    if y == TITLE_BOTTOM:
        return (18, 19, 22, 255)
    if x < 9 or x >= WIDTH - 9 or y >= HEIGHT - 9:
        return (31, 33, 38, 255)
    return (12, 12, 14, 255)


def main():
    rows = [[pixel(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]
    with open(sys.argv[1], "wb") as out:
        out.write(png(WIDTH, HEIGHT, rows))


if __name__ == "__main__":
    main()
