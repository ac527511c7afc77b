#include "ClockText.h"

namespace corvina {

std::string clockText(int milliseconds) {
    // Integer division truncates toward zero, as every conversion here must.
    const int s = milliseconds / 1000;
    const int h = s / 3600;
    const int m = (s - 3600 * h) / 60;
    const int sec = s - 60 * m - 3600 * h;
    return std::to_string(h) + ":" + std::to_string(m) + ":" + std::to_string(sec);
}

} // namespace corvina
