// The arithmetic of the UI engine, free of windows: rectangles, hit tests,
// pointer translation, the nine-grid, the frame's border, title and button
// row, and the steps of a cross-fade.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <vector>

namespace corvina {

// x, y, width, height.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

// Rectangles travel between hosts and controls as pointers to four ints.
inline LPARAM rectParam(const Rect* r) { return reinterpret_cast<LPARAM>(r); }
inline WPARAM rectWParam(const Rect* r) { return reinterpret_cast<WPARAM>(r); }
inline Rect rectAt(LPARAM p) { return p ? *reinterpret_cast<const Rect*>(p) : Rect{}; }

// A hit test inclusive on all four edges: x = left + width still hits.
bool containsInclusive(const Rect& r, int x, int y);
// The overlap of two rectangles (as IntersectRect sees them), none when empty.
std::optional<Rect> intersect(const Rect& a, const Rect& b);
// An area clipped to a width x height surface: a negative x or y shortens
// the size and becomes 0, the size is cut at the far edges, never below 0.
Rect clipToSize(Rect area, int width, int height);
Rect offsetRect(Rect r, int dx, int dy);

// Pointers in mouse messages: signed 16-bit x in the low word, y in the high.
int pointerX(LPARAM lParam);
int pointerY(LPARAM lParam);
LPARAM packPointer(int x, int y);
// The pointer made relative to (originX, originY), wrapped to 16 bits.
LPARAM relativePointer(LPARAM lParam, int originX, int originY);

// Nine-grid: the source and target of each of the nine parts, row by row
// (top-left, top, top-right, left, centre, right, bottom-left, ...). Every
// size is clamped at 0, so a target smaller than the margins draws nothing
// negative.
struct Margins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
struct GridPart {
    Rect source;
    Rect target;
};
std::array<GridPart, 9> nineGrid(int imageWidth, int imageHeight, const Margins& m, const Rect& target);

// The frame's border for a style: what to draw with which pen.
struct BorderStroke {
    enum Kind { Rectangle, Line } kind;
    bool lightPen;
    int a, b, c, d; // rectangle x, y, width, height or line x1, y1, x2, y2
    bool operator==(const BorderStroke&) const = default;
};
std::vector<BorderStroke> borderStrokes(int style, int width, int height);

// Where the title icon and the title go.
struct TitleLayout {
    std::optional<Rect> icon; // 16 x 16 when there is an icon
    Rect text;                // layout rectangle of the title
};
TitleLayout titleLayout(int frameInset, bool hasIcon, int width);

// The system-button row: for kinds 1..7 in the mask, right to left from
// (width - fromRight, fromTop); skin 1 is one pixel lower and further left.
// The result has an entry per kind, empty for kinds not in the mask.
std::array<std::optional<Rect>, 7> systemButtonRow(int width, int fromRight, int fromTop, int skin, int mask,
                                                   const std::array<SIZE, 7>& sizes);

// The constant alphas of step k of an N-frame cross-fade: the old picture
// fades out from 255, the new one in from 127.
struct FadeStep {
    int oldAlpha;
    int newAlpha;
    bool operator==(const FadeStep&) const = default;
};
FadeStep crossFadeStep(int k, int frames);

// The image button's cross-fade: 19 steps between the plain pictures.
constexpr int kButtonFadeSteps = 19;
inline FadeStep buttonFadeStep(int k) { return crossFadeStep(k, kButtonFadeSteps + 1); }

// System buttons: kinds 1 close, 2 maximise (its restore glyph with
// `restore`), 3 minimise, 4..7 spares. The size of a kind's button in a skin
// (0 or 1) and the rectangles of its frames (normal, hover, pressed and, in
// skin 1, a fourth) on that skin's sprite sheet; no frames for a kind the
// skin does not draw.
SIZE systemButtonSize(int skin, int kind);
std::vector<Rect> systemButtonFrames(int skin, int kind, bool restore = false);

// Where a maximised host goes: the work area of its monitor, grown by the
// frame inset on every side so the visible frame meets the work area's edges.
Rect maximisedRect(const RECT& workArea, int frameInset);

// Track bars. The value at pointer x on a bar `width` wide: x is clamped to
// the bar first, the division comes before the product, the result is
// truncated and clamped to 0..maximum. 0 for a zero maximum or width.
int trackValueAt(int x, int width, int maximum);
// The width of a band showing `value` on such a bar; 0 for a zero maximum
// and never negative. A value past the maximum gives a band past the bar.
float trackBandWidth(int value, int width, int maximum);

} // namespace corvina
