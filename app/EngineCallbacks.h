// The three engine callbacks (message, buffering, missing decoder). Arriving
// on the window thread they are handled at once; from any other thread they
// are posted to VideoWindow with copies of their arguments, so nothing draws
// or sets timers off the window thread.
#pragma once

#include "PlayerEngine.h"

#include <string>

namespace corvina {

PlayerEngine::Callbacks engineCallbacks();
// The text of the missing-decoder message box.
std::string missingDecoderText(const std::string& name);
// The missing-decoder message box; returns when it is closed.
void showMissingDecoder(const std::string& name);

} // namespace corvina
