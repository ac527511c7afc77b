// Where the program lives.
#pragma once

#include <string>

namespace corvina {

// The directory of the running executable, without a trailing backslash.
std::wstring programDirectoryW();
// The full path of the running executable.
std::wstring programPathW();

} // namespace corvina
