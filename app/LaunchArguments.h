// The command line as the program reads it: the text after the program's own
// name, split into arguments at spaces. An argument in double quotes keeps its
// spaces and loses the quotes; a double-byte (GBK) character is never split.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvina {

// Splits the text that follows the program name.
std::vector<std::string> splitArguments(std::string_view text);
// The text of a whole command line after its first element, the program name
// (quoted or not).
std::string_view textAfterProgramName(std::string_view commandLine);

} // namespace corvina
