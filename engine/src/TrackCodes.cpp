#include "TrackCodes.h"

#include <algorithm>

namespace engine {

std::string trackCodes(const std::string& bytes) {
    std::string codes;
    for (size_t at = bytes.find("stsd"); at != std::string::npos && at + 20 <= bytes.size();
         at = bytes.find("stsd", at + 4)) {
        const std::string code = bytes.substr(at + 16, 4);
        const bool printable =
            std::all_of(code.begin(), code.end(), [](char c) { return c > 0x20 && c < 0x7F; });
        if (printable && codes.find(code) == std::string::npos)
            codes += (codes.empty() ? "" : ", ") + code;
    }
    return codes;
}

} // namespace engine
