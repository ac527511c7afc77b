// The control bar's button strips (PNG bytes), drawn at build time by
// assets/make-control-bar.py.
#pragma once

#include <span>

namespace corvina {

enum class Strip { Play, Pause, Previous, Next, Stop, Mute, List, Fullscreen, Adjust, Sound };

std::span<const unsigned char> controlBarStrip(Strip strip);

} // namespace corvina
