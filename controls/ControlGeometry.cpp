#include "ControlGeometry.h"

#include <algorithm>
#include <cmath>

namespace corvina {

int sliderThumbLeft(int width, int height, int maximum, int value) {
    if (maximum <= 0)
        return 0;
    const double travel = std::max(width - (height / 2.0 + 1), 0.0);
    const double left = std::trunc(travel / maximum * std::clamp(value, 0, maximum));
    return static_cast<int>(left);
}

double sliderExactValueAt(int x, int width, int maximum) {
    if (x < 0 || x > 10000)
        x = 0;
    if (x > width)
        x = width;
    if (width <= 0 || maximum <= 0)
        return 0;
    return std::clamp(static_cast<double>(maximum) / width * x, 0.0, static_cast<double>(maximum));
}

int sliderValueAt(int x, int width, int maximum) {
    return static_cast<int>(std::trunc(sliderExactValueAt(x, width, maximum)));
}

bool sliderThumbHit(int x, int thumbLeft, int height) { return x >= thumbLeft && x - (thumbLeft + height / 2.0) <= 1e-7; }

ScrollThumb scrollThumb(int height, int maximum, int value) {
    const int track = height - 28;
    const int thumb = maximum < track - 1e-7 ? std::max(track - std::max(maximum, 0), 0) : 30;
    if (maximum <= 0)
        return {14, thumb};
    const double travel = std::max(height - thumb - 28, 0);
    return {static_cast<int>(std::trunc(travel / maximum * std::clamp(value, 0, maximum))) + 14, thumb};
}

int scrollValueAt(int y, int height, int maximum) {
    const ScrollThumb t = scrollThumb(height, maximum, 0);
    const int travel = height - 28 - t.height;
    if (maximum <= 0 || travel <= 0)
        return 0;
    const double value = std::trunc((y - 14 - t.height / 2.0) / travel * maximum);
    return static_cast<int>(std::clamp(value, 0.0, static_cast<double>(maximum)));
}

int tileCount(int extent, int tile) {
    if (tile <= 0 || extent <= 0)
        return 0;
    const int whole = extent / tile;
    return whole + (extent - whole * tile > 1e-7 ? 1 : 0);
}

std::vector<int> gifDelaysMs(const std::vector<int>& hundredths, int frames) {
    std::vector<int> delays;
    for (int i = 0; i < frames; ++i) {
        const int stored = i < static_cast<int>(hundredths.size()) ? hundredths[static_cast<size_t>(i)] : 0;
        delays.push_back(stored > 0 ? stored * 10 : 100);
    }
    return delays;
}

} // namespace corvina
