// The engine's scan of MP4/MOV boxes for its tracks' codec codes, on arbitrary
// (and cut) files.
#include "TrackCodes.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string codes = engine::trackCodes(std::string(reinterpret_cast<const char*>(data), size));
    // Codes of four printable characters, ", " between them.
    for (size_t i = 0; i < codes.size(); i += 6) {
        for (size_t k = i; k < i + 4; ++k)
            if (k >= codes.size() || codes[k] <= 0x20 || codes[k] >= 0x7F)
                std::abort();
        if (i + 4 < codes.size() && codes.compare(i + 4, 2, ", ") != 0)
            std::abort();
    }
    return 0;
}
