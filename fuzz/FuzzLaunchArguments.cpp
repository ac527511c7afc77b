// Splitting a command line as the program reads it, on arbitrary bytes up to
// far past the system's own length limit.
#include "LaunchArguments.h"

#include <cstdlib>

using namespace corvina;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const std::string_view after = textAfterProgramName(line);
    // The rest of the line is a part of the line itself.
    if (!after.empty() &&
        (after.data() < line.data() || after.data() + after.size() > line.data() + line.size()))
        std::abort();
    size_t total = 0;
    for (const std::string& argument : splitArguments(line))
        total += argument.size();
    if (total > line.size())
        std::abort();
    (void)splitArguments(after);
    return 0;
}
