// The text, URL and cookie rules on arbitrary bytes, as web answers and launch
// links hand them over.
#include "TextRules.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

using namespace corvina;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string start = in.ConsumeRandomLengthString(16);
    const std::string end = in.ConsumeRandomLengthString(16);
    const int from = in.ConsumeIntegralInRange(-4, 64);
    const bool ignoreCase = in.ConsumeBool();
    const std::string text = in.ConsumeRemainingBytesAsString();

    const std::string between = textBetween(text, start, end, from, ignoreCase);
    if (between.size() > text.size())
        std::abort();
    for (const std::string& what : {start, end}) {
        const size_t a = findText(text, what), b = findNoCase(text, what);
        if ((a != std::string::npos && a + what.size() > text.size()) ||
            (b != std::string::npos && b + what.size() > text.size()))
            std::abort();
    }
    if (lowerAscii(text).size() != text.size() || upperAscii(text).size() != text.size())
        std::abort();
    if (trimBlanks(text).size() > text.size() || removeBlanks(text).size() > text.size())
        std::abort();
    (void)replaceAll(text, start, end);
    (void)splitText(text, start);
    (void)joinUnique(text, start);
    (void)urlHost(text, ignoreCase);
    (void)urlPort(text);
    (void)urlPath(text);
    (void)cookieName(text);
    std::string cookies = start + end, incoming = text;
    const std::string merged = mergeCookies(cookies, incoming);
    if (merged != cookies)
        std::abort();
    return 0;
}
