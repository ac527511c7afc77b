#include "UiGeometry.h"

#include <algorithm>
#include <cmath>

namespace corvina {

bool containsInclusive(const Rect& r, int x, int y) {
    return x >= r.x && x <= r.x + r.width && y >= r.y && y <= r.y + r.height;
}

std::optional<Rect> intersect(const Rect& a, const Rect& b) {
    const int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const int right = std::min(a.x + a.width, b.x + b.width), bottom = std::min(a.y + a.height, b.y + b.height);
    if (right <= left || bottom <= top)
        return std::nullopt;
    return Rect{left, top, right - left, bottom - top};
}

Rect clipToSize(Rect area, int width, int height) {
    if (area.x < 0) {
        area.width += area.x;
        area.x = 0;
    }
    if (area.y < 0) {
        area.height += area.y;
        area.y = 0;
    }
    area.width = std::max(0, std::min(area.width, width - area.x));
    area.height = std::max(0, std::min(area.height, height - area.y));
    return area;
}

Rect offsetRect(Rect r, int dx, int dy) { return {r.x + dx, r.y + dy, r.width, r.height}; }

int pointerX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int pointerY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

LPARAM packPointer(int x, int y) {
    return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(x)) |
                               static_cast<DWORD>(static_cast<WORD>(y)) << 16);
}

LPARAM relativePointer(LPARAM lParam, int originX, int originY) {
    return packPointer(pointerX(lParam) - originX, pointerY(lParam) - originY);
}

std::array<GridPart, 9> nineGrid(int iw, int ih, const Margins& m, const Rect& t) {
    auto nonNegative = [](int v) { return std::max(v, 0); };
    const int sx[4] = {0, m.left, iw - m.right, iw};
    const int sy[4] = {0, m.top, ih - m.bottom, ih};
    const int tw = nonNegative(t.width), th = nonNegative(t.height);
    const int tx[4] = {t.x, t.x + m.left, t.x + tw - m.right, t.x + tw};
    const int ty[4] = {t.y, t.y + m.top, t.y + th - m.bottom, t.y + th};
    std::array<GridPart, 9> parts{};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            GridPart& p = parts[static_cast<size_t>(row * 3 + col)];
            p.source = {sx[col], sy[row], nonNegative(sx[col + 1] - sx[col]), nonNegative(sy[row + 1] - sy[row])};
            p.target = {tx[col], ty[row], nonNegative(tx[col + 1] - tx[col]), nonNegative(ty[row + 1] - ty[row])};
        }
    return parts;
}

std::vector<BorderStroke> borderStrokes(int style, int w, int h) {
    using S = BorderStroke;
    switch (style) {
    case 1:
        return {{S::Rectangle, false, 0, 0, w - 1, h - 1}};
    case 2:
        return {{S::Rectangle, false, 0, 0, w - 1, h - 1}, {S::Rectangle, true, 1, 1, w - 3, h - 3}};
    case 3:
        return {{S::Line, true, 0, 0, w, 0},
                {S::Line, true, 0, 0, 0, h},
                {S::Line, false, 0, h - 1, w, h - 1},
                {S::Line, false, w - 1, 0, w - 1, h}};
    default:
        return {};
    }
}

TitleLayout titleLayout(int frameInset, bool hasIcon, int width) {
    TitleLayout layout;
    int x = frameInset + 2;
    if (hasIcon) {
        layout.icon = Rect{frameInset + 4, frameInset + 4, 16, 16};
        x += 26;
    }
    layout.text = {x, frameInset + 4, std::max(width, 0), 16};
    return layout;
}

std::array<std::optional<Rect>, 7> systemButtonRow(int width, int fromRight, int fromTop, int skin, int mask,
                                                   const std::array<SIZE, 7>& sizes) {
    std::array<std::optional<Rect>, 7> row{};
    int x = width - fromRight, y = fromTop;
    if (skin == 1) {
        y += 1;
        x -= 1;
    }
    for (int k = 1; k <= 7; ++k) {
        if (!(mask & (1 << (k - 1))))
            continue;
        const SIZE s = sizes[static_cast<size_t>(k - 1)];
        x -= s.cx;
        row[static_cast<size_t>(k - 1)] = Rect{x, y, s.cx, s.cy};
    }
    return row;
}

FadeStep crossFadeStep(int k, int frames) {
    const double n = frames > 0 ? frames : 1;
    return {static_cast<int>(255.0 - k * 255.0 / n), static_cast<int>(127.0 + k * 128.0 / n)};
}

SIZE systemButtonSize(int skin, int kind) {
    const LONG height = skin == 1 ? 20 : 19;
    if (kind == 1)
        return {skin == 1 ? 42 : 39, height};
    return {28, height};
}

std::vector<Rect> systemButtonFrames(int skin, int kind, bool restore) {
    // x of each kind's first frame; kind 2's restore glyph follows its own.
    static constexpr int firstX[2][7] = {{0, 117, 285, 369, 453, 537, 621}, {754, 522, 406, 290, 145, 0, -1}};
    static constexpr int restoreX[2] = {201, 638};
    if (kind < 1 || kind > 7)
        return {};
    const int s = skin == 1 ? 1 : 0;
    const int first = kind == 2 && restore ? restoreX[s] : firstX[s][kind - 1];
    if (first < 0)
        return {};
    const SIZE size = systemButtonSize(s, kind);
    const int count = s == 1 ? 4 : 3, gap = s == 1 ? 1 : 0, top = s == 1 ? 0 : 1;
    std::vector<Rect> frames;
    for (int i = 0; i < count; ++i)
        frames.push_back({first + i * (static_cast<int>(size.cx) + gap), top, static_cast<int>(size.cx),
                          static_cast<int>(size.cy)});
    return frames;
}

Rect maximisedRect(const RECT& workArea, int frameInset) {
    return {workArea.left - frameInset, workArea.top - frameInset,
            std::max(static_cast<int>(workArea.right - workArea.left), 0) + 2 * frameInset,
            std::max(static_cast<int>(workArea.bottom - workArea.top), 0) + 2 * frameInset};
}

int trackValueAt(int x, int width, int maximum) {
    if (width <= 0 || maximum <= 0)
        return 0;
    const double clampedX = std::clamp(x, 0, width);
    const double value = std::trunc(static_cast<double>(maximum) / width * clampedX);
    return static_cast<int>(std::clamp(value, 0.0, static_cast<double>(maximum)));
}

float trackBandWidth(int value, int width, int maximum) {
    if (maximum <= 0 || width <= 0 || value <= 0)
        return 0.0f;
    return static_cast<float>(static_cast<double>(width) / maximum * value);
}

} // namespace corvina
