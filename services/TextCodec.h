// Decoding the escaped texts of web answers: JSON-style backslash escapes,
// \uXXXX, %uXXXX and %XX, back into GBK text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvina {

// The text read as the body of a JScript string literal, then passed through
// unescape(), decoded natively; CR LF survive as CR LF, apostrophes as
// apostrophes. Text that would break the literal gets the built-in decoder.
std::string unescapeText(const std::string& text);

// Hex digits to a number: each character adds its place in "0123456789ABCDEF".
long long hexToInt(const std::string& text);

// Little-endian UTF-16 bytes to GBK; characters without a GBK form become the
// platform's default character.
std::string utf16ToGbk(const std::vector<uint8_t>& bytes);

// %uXXXX and %XX decoded; every other character kept.
std::string builtInDecode(const std::string& text);

// The string-literal step alone, on UTF-16: nothing when the text would not
// form a valid literal between apostrophes.
std::optional<std::u16string> jscriptLiteral(const std::u16string& body);
// unescape() on UTF-16.
std::u16string jscriptUnescape(const std::u16string& text);

// The text prepared for the literal, as the decoder sees it: CR LF as "{$}", a
// leading CR dropped, "\u" as "%u", apostrophes as GBK A1 AF.
std::string prepareForLiteral(const std::string& text);

} // namespace corvina
