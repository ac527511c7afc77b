// The embedded sprite sheets of the system buttons (PNG bytes), one per
// button skin; the frames cut from them are systemButtonFrames().
#pragma once

#include <span>

namespace corvina {

// Skin 0 or 1; any other skin gets skin 0's sheet.
std::span<const unsigned char> systemButtonSheet(int skin);

} // namespace corvina
