#include "PlayerGeometry.h"

#include <algorithm>

namespace corvina {

BarLayout barLayout(int width, int height) {
    BarLayout l;
    const int playX = static_cast<int>(width / 2.0 - 22.5), playY = height - 45;
    l.play = {playX, playY, 45, 45};
    l.previous = {playX - 33, playY + 6, 33, 33};
    l.next = {playX + 45, playY + 6, 33, 33};
    l.stop = {l.previous.x - 33, playY + 6, 33, 33};
    l.mute = {l.next.x + l.next.width + 8, static_cast<int>(l.next.y + l.next.height / 2.0 - 7), 16, 16};
    const int smallY = static_cast<int>((height - 11) / 2.0 + 3);
    l.list = {width - 24, smallY, 16, 16};
    l.fullScreen = {width - 48, smallY, 16, 16};
    l.adjust = {width - 72, smallY, 17, 17};
    l.sound = {width - 93, smallY, 17, 17};
    l.seekBar = {4, 4, width - 8, 3};
    l.volumeBar = {l.mute.x + 20, l.mute.y + 6, 100, 5};
    l.counterX = 4 + 120 + 10; // right of the time display
    return l;
}

int fadeOpacity(int step, bool fadingIn) {
    const int i = std::clamp(step, 0, 10);
    return fadingIn ? static_cast<int>(i * 25.5) : static_cast<int>(255 - i * 25.5);
}

std::string timeDisplayText(const std::string& position, const std::string& duration) {
    return position + "\\" + duration;
}

std::string bufferingText(int percent) {
    return "\xD5\xFD\xD4\xDA\xBB\xBA\xB3\xE5:" + std::to_string(percent) + "%"; // 正在缓冲:
}

int bufferedMark(int durationMs, int64_t readBytes, int64_t totalBytes) {
    if (totalBytes <= 0 || durationMs <= 0)
        return 0;
    const int64_t mark = static_cast<int64_t>(durationMs) * std::max<int64_t>(readBytes, 0) / totalBytes;
    return static_cast<int>(std::clamp<int64_t>(mark, 0, durationMs));
}

POINT mainWindowStart(const RECT& work, int mainWidth, int mainHeight, int dialogWidth, int dialogHeight) {
    const int workWidth = work.right - work.left, workHeight = work.bottom - work.top;
    const int pairWidth = mainWidth + dialogWidth, pairHeight = std::max(mainHeight, dialogHeight);
    if (pairWidth <= workWidth && pairHeight <= workHeight)
        return {work.left + (workWidth - pairWidth) / 2, work.top + (workHeight - mainHeight) / 2};
    return {work.left + std::max((workWidth - mainWidth) / 2, 0), work.top + std::max((workHeight - mainHeight) / 2, 0)};
}

int neighbourMovieRow(int from, int step, int rows, const std::function<bool(int)>& isSubtitleRow) {
    for (int row = from + step; row >= 0 && row < rows; row += step)
        if (!isSubtitleRow(row))
            return row;
    return -1;
}

} // namespace corvina
