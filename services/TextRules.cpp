#include "TextRules.h"

#include <cstdlib>

namespace corvina {
namespace {

char lowerChar(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char upperChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

template <typename F> std::string mapAscii(std::string_view text, F f) {
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        if (isGbkLead(static_cast<unsigned char>(out[i])) && i + 1 < out.size()) {
            ++i; // the trail byte stays as it is
            continue;
        }
        out[i] = f(out[i]);
    }
    return out;
}

bool blankAt(std::string_view text, size_t i, size_t& width) {
    if (text[i] == ' ') {
        width = 1;
        return true;
    }
    if (i + 1 < text.size() && static_cast<unsigned char>(text[i]) == 0xA1 &&
        static_cast<unsigned char>(text[i + 1]) == 0xA1) {
        width = 2;
        return true;
    }
    return false;
}

size_t charWidth(std::string_view text, size_t i) {
    return isGbkLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

size_t findImpl(std::string_view text, std::string_view what, size_t from, bool noCase) {
    if (what.empty())
        return from <= text.size() ? from : std::string_view::npos;
    for (size_t i = from; i + what.size() <= text.size(); i += charWidth(text, i)) {
        bool match = true;
        for (size_t k = 0; k < what.size() && match; ++k)
            match = noCase ? lowerChar(text[i + k]) == lowerChar(what[k]) : text[i + k] == what[k];
        if (match)
            return i;
    }
    return std::string_view::npos;
}

} // namespace

bool isGbkLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

std::string lowerAscii(std::string_view text) {
    return mapAscii(text, lowerChar);
}
std::string upperAscii(std::string_view text) {
    return mapAscii(text, upperChar);
}

std::string trimBlanks(std::string_view text) {
    size_t begin = 0, width = 0;
    while (begin < text.size() && blankAt(text, begin, width))
        begin += width;
    // From the end: walk characters forward, remembering where trailing blanks start.
    size_t end = begin, i = begin;
    while (i < text.size()) {
        if (blankAt(text, i, width)) {
            i += width;
        } else {
            i += charWidth(text, i);
            end = i;
        }
    }
    return std::string(text.substr(begin, end - begin));
}

std::string removeBlanks(std::string_view text) {
    std::string out;
    size_t width = 0;
    for (size_t i = 0; i < text.size();) {
        if (blankAt(text, i, width)) {
            i += width;
            continue;
        }
        const size_t w = charWidth(text, i);
        out.append(text.substr(i, w));
        i += w;
    }
    return out;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty())
        return std::string(text);
    std::string out;
    size_t i = 0;
    for (size_t at; (at = findText(text, from, i)) != std::string_view::npos; i = at + from.size()) {
        out.append(text.substr(i, at - i));
        out.append(to);
    }
    out.append(text.substr(i));
    return out;
}

size_t findNoCase(std::string_view text, std::string_view what, size_t from) {
    return findImpl(text, what, from, true);
}
size_t findText(std::string_view text, std::string_view what, size_t from) {
    return findImpl(text, what, from, false);
}

std::vector<std::string> splitText(std::string_view text, std::string_view separator) {
    std::vector<std::string> parts;
    if (text.empty())
        return parts; // an empty text has no pieces
    if (separator.empty()) {
        parts.emplace_back(text); // nothing to split at (an empty separator matched forever)
        return parts;
    }
    size_t i = 0;
    for (size_t at; (at = findText(text, separator, i)) != std::string_view::npos; i = at + separator.size())
        parts.emplace_back(text.substr(i, at - i));
    parts.emplace_back(text.substr(i));
    return parts;
}

std::string textBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                        int startPos, bool ignoreCase) {
    const std::string start = replaceAll(startMarker, kQuoteToken, "\"");
    const std::string end = replaceAll(endMarker, kQuoteToken, "\"");
    if (start.empty() || end.empty() || startPos < 1)
        return {};
    const size_t from = static_cast<size_t>(startPos - 1);
    const size_t s = ignoreCase ? findNoCase(text, start, from) : findText(text, start, from);
    if (s == std::string_view::npos)
        return {};
    const size_t contentStart = s + start.size();
    const size_t e = ignoreCase ? findNoCase(text, end, contentStart) : findText(text, end, contentStart);
    if (e == std::string_view::npos)
        return {};
    return std::string(text.substr(contentStart, e - contentStart));
}

std::string urlHost(std::string_view url, bool keepPort) {
    std::string u = lowerAscii(url);
    if (u.empty() || u.back() != '/')
        u += '/';
    std::string host;
    if (u.rfind("https://", 0) == 0) {
        host = textBetween(u, "https://", "/");
    } else {
        if (u.find("http://") == std::string::npos)
            u = "http://" + u;
        host = textBetween(u, "http://", "/");
    }
    if (!keepPort) {
        const size_t colon = host.find(':');
        if (colon != std::string::npos)
            host.resize(colon);
    }
    return host;
}

int urlPort(std::string_view url) {
    const std::string host = urlHost(url, true);
    const size_t colon = host.rfind(':');
    if (colon != std::string::npos)
        return std::atoi(host.c_str() + colon + 1);
    return lowerAscii(url.substr(0, 5)) == "https" ? 443 : 80;
}

std::string urlPath(std::string_view url) {
    const std::string host = urlHost(url);
    // The host is looked for after the scheme, where it can be: "h" must not
    // be found inside "https".
    const size_t scheme = url.find("://");
    const size_t after = scheme == std::string_view::npos ? 0 : scheme + 3;
    const size_t at = host.empty() ? after : findNoCase(url, host, after);
    const size_t slash = url.find('/', at == std::string_view::npos ? 0 : at);
    return slash == std::string_view::npos ? std::string("/") : std::string(url.substr(slash));
}

std::string cookieName(std::string_view entry) {
    const size_t eq = entry.find('=');
    return trimBlanks(eq == std::string_view::npos ? entry : entry.substr(0, eq));
}

std::string joinUnique(std::string_view text, std::string_view separator) {
    std::vector<std::string> kept;
    for (std::string& piece : splitText(text, separator)) {
        bool seen = false;
        for (const std::string& k : kept)
            seen = seen || k == piece;
        if (!seen)
            kept.push_back(std::move(piece));
    }
    std::string out;
    for (size_t i = 0; i < kept.size(); ++i)
        out += (i ? std::string(separator) : std::string()) + kept[i];
    return out;
}

std::string mergeCookies(std::string& cookies, std::string& incoming) {
    cookies = removeBlanks(cookies);
    incoming = removeBlanks(incoming);
    std::vector<std::string> merged = splitText(incoming, ";");
    std::vector<std::string> names;
    for (const std::string& entry : merged)
        names.push_back(cookieName(entry));
    for (const std::string& entry : splitText(cookies, ";")) {
        const std::string name = cookieName(entry);
        bool known = false;
        for (const std::string& n : names)
            known = known || n == name;
        if (!known)
            merged.push_back(entry);
    }
    std::string joined;
    for (const std::string& entry : merged) {
        if (entry.empty())
            continue;
        if (entry.size() >= 8 && entry.compare(entry.size() - 8, 8, "=deleted") == 0)
            continue;
        joined += entry + "; ";
    }
    if (joined.size() >= 2)
        joined.resize(joined.size() - 2);
    cookies = joinUnique(joined, "; ");
    return cookies;
}

} // namespace corvina
