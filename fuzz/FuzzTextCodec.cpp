// Decoding escaped web text, hex numbers and the GBK and UTF-16 conversions on
// arbitrary bytes.
#include "TextCodec.h"
#include "TextConvert.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace corvina;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)unescapeText(text);
    (void)builtInDecode(text);
    (void)hexToInt(text);
    (void)prepareForLiteral(text);
    (void)utf16ToGbk(std::vector<uint8_t>(data, data + size));
    std::u16string units;
    for (size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    (void)jscriptLiteral(units);
    (void)jscriptUnescape(units);
    (void)wideToGbk(gbkToWide(text));
    return 0;
}
