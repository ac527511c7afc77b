// Text, URL and cookie rules shared by the online features. Pure: GBK byte
// strings in and out, no platform calls.
//
// Blanks are the ASCII space and the full-width space (GBK A1 A1) only; case
// folding touches ASCII letters only and steps over double-byte characters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvina {

inline constexpr char kQuoteToken[] = "#引号"; // stands for a double quote in stored markers and patterns

bool isGbkLead(unsigned char c);
std::string lowerAscii(std::string_view text);
std::string upperAscii(std::string_view text);
std::string trimBlanks(std::string_view text);
std::string removeBlanks(std::string_view text);
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
// Case-insensitive (ASCII) search on character boundaries; npos when absent.
size_t findNoCase(std::string_view text, std::string_view what, size_t from = 0);
// Search on character boundaries: a match never starts inside a double-byte character.
size_t findText(std::string_view text, std::string_view what, size_t from = 0);
std::vector<std::string> splitText(std::string_view text, std::string_view separator);

// The text between the first start marker (searched from the 1-based
// startPos) and the next end marker; empty when either is missing.
std::string textBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                        int startPos = 1, bool ignoreCase = false);

std::string urlHost(std::string_view url, bool keepPort = false);
int urlPort(std::string_view url);
std::string urlPath(std::string_view url);

std::string cookieName(std::string_view entry);
std::string joinUnique(std::string_view text, std::string_view separator);
// Merges incoming cookies over the old ones; stores the result into `cookies`
// and returns it. `incoming` is rewritten without blanks.
std::string mergeCookies(std::string& cookies, std::string& incoming);

} // namespace corvina
