#include "InfoHash.h"

#include "TextRules.h"

namespace corvina {

std::string textAfterLast(const std::string& text, const std::string& marker) {
    if (marker.empty() || text.size() <= marker.size())
        return {};
    // Backwards from the end; an occurrence counts only with text after it.
    for (size_t at = text.size() - marker.size();; --at) {
        if (at + marker.size() < text.size() && text.compare(at, marker.size(), marker) == 0)
            return text.substr(at + marker.size());
        if (at == 0)
            break;
    }
    return {};
}

std::string hashFromTypedText(const std::string& text) {
    if (text.find("btih:") == std::string::npos)
        return text;
    const std::string between = textBetween(text, "btih:", "&");
    return between.empty() ? textAfterLast(text, "btih:") : between;
}

std::string hashFromMagnet(const std::string& text) {
    const std::string between = textBetween(text, "magnet:?xt=urn:btih:", "&");
    if (!between.empty())
        return between;
    const std::string after = textAfterLast(text, "magnet:?xt=urn:btih:");
    return after.empty() ? text : after;
}

std::string hashFromField(const std::string& text) {
    // Only the ASCII space is trimmed here, as the platform's PathRemoveBlanks does.
    size_t begin = text.find_first_not_of(' ');
    size_t end = text.find_last_not_of(' ');
    const std::string trimmed =
        begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
    const std::string upper = upperAscii(trimmed);
    return upper.size() == 40 ? upper : hashFromTypedText(text);
}

std::string hashFromLaunchArgument(const std::string& argument) {
    return hashFromMagnet(textAfterLast(argument, "/?hash="));
}

std::string percentEncode(const std::string& value) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : value) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

} // namespace corvina
