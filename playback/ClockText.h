// Times as the player shows them: hours, minutes and seconds without leading
// zeros, joined by ":" (65 000 ms reads 0:1:5).
#pragma once

#include <string>

namespace corvina {

std::string clockText(int milliseconds);

} // namespace corvina
