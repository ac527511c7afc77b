// The custom controls' arithmetic, free of windows: slider and scroll-bar
// mappings between values and pixels, check-box glyph hits, the caption's
// turning gradient, picture tiling and GIF frame delays. Every mapping
// stays within its range and never divides by zero.
#pragma once

#include <vector>

namespace corvina {

// Slider, w x h: the thumb is h/2 + 1 wide and its left edge travels over
// w - (h/2 + 1). A zero maximum leaves it at 0.
int sliderThumbLeft(int width, int height, int maximum, int value);
// The value under pointer x: x left of the control (or a wrapped large x)
// is 0, right of it the width; maximum / width x x, truncated, in range.
double sliderExactValueAt(int x, int width, int maximum);
int sliderValueAt(int x, int width, int maximum);
bool sliderThumbHit(int x, int thumbLeft, int height);

// Check box and radio button: the glyph column takes the pointer up to x = 17.
inline bool glyphHot(int x) { return x <= 17; }
inline bool glyphPress(int x) { return x < 18; }

// The caption label's gradient angle after a tick: 0, 5, ..., 365, 0, ...
inline int nextGradientAngle(int angle) { return angle < 361 ? angle + 5 : 0; }

// Scroll bar of height h: the track spans 14 .. h - 14. The thumb is
// h - 28 - maximum high when the range fits the track, else 30.
struct ScrollThumb {
    int top;
    int height;
};
ScrollThumb scrollThumb(int height, int maximum, int value);
// The value whose thumb is centred on pointer y (a click or a drag): the
// top of the track gives 0, the bottom the maximum.
int scrollValueAt(int y, int height, int maximum);
inline bool scrollThumbHit(int y, const ScrollThumb& t) { return t.top < y && y - (t.top + t.height) < -1e-7; }

// Whole and partial tiles of `tile` pixels that cover `extent`; 0 for an
// empty tile.
int tileCount(int extent, int tile);
// A GIF's frame delays in milliseconds: the stored hundredths, with 100 ms
// for a delay of 0 and for frames the property does not cover.
std::vector<int> gifDelaysMs(const std::vector<int>& hundredths, int frames);

} // namespace corvina
