// The info-hash and magnet rules on arbitrary typed text and launch links.
#include "InfoHash.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

using namespace corvina;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string marker = in.ConsumeRandomLengthString(12);
    const std::string text = in.ConsumeRemainingBytesAsString();
    if (textAfterLast(text, marker).size() > text.size())
        std::abort();
    (void)hashFromTypedText(text);
    (void)hashFromMagnet(text);
    (void)hashFromField(text);
    (void)hashFromLaunchArgument(text);
    // Whatever goes into a URL is made of unreserved characters and %XX only.
    const std::string encoded = percentEncode(text);
    for (size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c == '%') {
            if (i + 2 >= encoded.size() || !std::isxdigit(static_cast<unsigned char>(encoded[i + 1])) ||
                !std::isxdigit(static_cast<unsigned char>(encoded[i + 2])))
                std::abort();
            i += 2;
        } else if (!std::strchr("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~", c) ||
                   c == 0) {
            std::abort();
        }
    }
    return 0;
}
