// Turning typed text, magnet links and launch links into an info-hash. Pure.
#pragma once

#include <string>

namespace corvina {

// The text after the last occurrence of `marker` (case-sensitive) that has at
// least one character after it; empty when there is none.
std::string textAfterLast(const std::string& text, const std::string& marker);
// The hash inside a typed magnet link ("btih:"), or the text unchanged.
std::string hashFromTypedText(const std::string& text);
// The hash inside a full magnet link, or the text unchanged.
std::string hashFromMagnet(const std::string& text);
// What the search button makes of the hash field: a 40-character text (after
// trimming spaces) upper-cased, otherwise the typed text's magnet hash.
std::string hashFromField(const std::string& text);
// The launch link's hash: after the last "/?hash=", magnet links opened.
std::string hashFromLaunchArgument(const std::string& argument);

// Every byte outside the unreserved URL characters as %XX, so that a value
// cannot change or break the URL it goes into.
std::string percentEncode(const std::string& value);

} // namespace corvina
