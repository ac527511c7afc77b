// The player's arithmetic, free of windows: where the control bar's controls
// go, the fade's opacities, the time display's texts, the buffered mark and
// where the main window and its docked dialog start.
#pragma once

#include "UiGeometry.h"

#include <cstdint>
#include <functional>
#include <string>

namespace corvina {

// The control bar's controls for a bar of width x height (every coordinate
// truncated, as the bar lays itself out on each resize).
struct BarLayout {
    Rect play, previous, next, stop, mute, list, fullScreen, adjust, sound;
    Rect seekBar, volumeBar;
    int counterX = 0; // the two hidden counters: x, at y 10 and 30
};
BarLayout barLayout(int width, int height);

// The host opacity at step i (1..10) of a full-screen fade in or out.
int fadeOpacity(int step, bool fadingIn);

// The engine's position and duration texts joined by a backslash, e.g.
// 0:1:5\1:32:10.
std::string timeDisplayText(const std::string& position, const std::string& duration);
// "正在缓冲:35%" (GBK).
std::string bufferingText(int percent);

// The end of the buffered band in media time: duration x read ÷ total,
// multiplied before dividing, in 64 bits, clamped to 0..duration; 0 when the
// total is not known (0 or less).
int bufferedMark(int durationMs, int64_t readBytes, int64_t totalBytes);

// The row that previous (step -1) or next (step +1) plays from row `from`
// of `rows`: the nearest that is a movie, skipping subtitle rows; -1 when
// there is none that way.
int neighbourMovieRow(int from, int step, int rows, const std::function<bool(int)>& isSubtitleRow);

// Where the main window starts: with `dialogWidth` docked at its right edge,
// the pair centred in the work area when it fits; otherwise the main window
// alone centred (kept inside the work area where it is larger).
POINT mainWindowStart(const RECT& workArea, int mainWidth, int mainHeight, int dialogWidth, int dialogHeight);

} // namespace corvina
