// The engine's texts are GBK (code page 936) at its interface; the platform's
// file calls take UTF-16. The two crossings.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>

namespace engine {

inline std::wstring widenGbk(const std::string& gbk) {
    const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), n);
    return wide;
}

inline std::string narrowToGbk(const std::wstring& wide) {
    const int n =
        WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string gbk(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), gbk.data(), n, nullptr,
                            nullptr);
    return gbk;
}

} // namespace engine
