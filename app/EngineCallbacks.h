// The three engine callbacks (message, buffering, missing decoder). The engine
// delivers them on the window thread.
#pragma once

#include "PlayerEngine.h"

#include <string>

namespace corvina {

PlayerEngine::Callbacks engineCallbacks();
// The text of the missing-decoder message box.
std::string missingDecoderText(const std::string& name);

} // namespace corvina
