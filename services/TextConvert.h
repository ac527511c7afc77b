// The one crossing between the program's GBK texts and the platform's UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace corvina {

// Code page 936 explicitly, not the ANSI code page: the program's texts are GBK
// whatever the system's locale is.
std::wstring gbkToWide(std::string_view gbk);
std::string wideToGbk(std::wstring_view wide);

} // namespace corvina
