// Stand-in for <windows.h> in the native fuzzing build: only the two
// code-page conversions the text rules call, on iconv: code page 936 (GBK)
// and UTF-8.
// wchar_t is 32 bits here; each unit is taken as one code point, and units
// that are no character (lone surrogates) become the default character, as
// on Windows.
#pragma once

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <string>

using UINT = unsigned int;
using DWORD = unsigned long;
using BOOL = int;
#define WINAPI
#define WC_COMPOSITECHECK 0x00000200
#define CP_UTF8 65001

namespace fuzz_shim {

inline std::string convert(const char* from, const char* to, const char* in, size_t length, const char* bad,
                           size_t badLength, size_t step) {
    iconv_t cd = iconv_open(to, from);
    std::string out;
    if (cd == reinterpret_cast<iconv_t>(-1))
        return out;
    char buffer[256];
    while (length > 0) {
        char* inPtr = const_cast<char*>(in);
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t before = length;
        const size_t r = iconv(cd, &inPtr, &length, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        in = inPtr;
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // Not convertible (or cut short): the default character, then go on.
            out.append(bad, badLength);
            const size_t skip = length < step ? length : step;
            in += skip;
            length -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        } else if (r == static_cast<size_t>(-1) && before == length && outLeft == sizeof buffer) {
            break; // no progress at all: give up rather than spin
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace fuzz_shim

inline int MultiByteToWideChar(UINT codePage, DWORD, const char* in, int inLength, wchar_t* out,
                               int outLength) {
    const size_t length = inLength < 0 ? std::strlen(in) + 1 : static_cast<size_t>(inLength);
    const wchar_t replacement = 0x30FB;
    const std::string wide =
        fuzz_shim::convert(codePage == CP_UTF8 ? "UTF-8" : "CP936", "WCHAR_T", in, length,
                           reinterpret_cast<const char*>(&replacement), sizeof replacement, 1);
    const int units = static_cast<int>(wide.size() / sizeof(wchar_t));
    if (outLength == 0)
        return units;
    if (units > outLength)
        return 0;
    std::memcpy(out, wide.data(), static_cast<size_t>(units) * sizeof(wchar_t));
    return units;
}

inline int WideCharToMultiByte(UINT, DWORD, const wchar_t* in, int inLength, char* out, int outLength,
                               const char*, BOOL*) {
    size_t length = inLength < 0 ? std::wcslen(in) + 1 : static_cast<size_t>(inLength);
    const std::string bytes = fuzz_shim::convert("WCHAR_T", "CP936", reinterpret_cast<const char*>(in),
                                                 length * sizeof(wchar_t), "?", 1, sizeof(wchar_t));
    const int n = static_cast<int>(bytes.size());
    if (outLength == 0)
        return n;
    if (n > outLength)
        return 0;
    std::memcpy(out, bytes.data(), static_cast<size_t>(n));
    return n;
}
