#include "TextCodec.h"

#include "TextConvert.h"
#include "TextRules.h"

#include <windows.h>

namespace corvina {
namespace {

constexpr char kRightQuote[] = "\xA1\xAF"; // GBK U+2019

int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool hexRun(const std::u16string& s, size_t at, size_t count) {
    if (at + count > s.size())
        return false;
    for (size_t i = 0; i < count; ++i)
        if (hexValue(s[at + i]) < 0)
            return false;
    return true;
}

int hexNumber(const std::u16string& s, size_t at, size_t count) {
    int v = 0;
    for (size_t i = 0; i < count; ++i)
        v = v * 16 + hexValue(s[at + i]);
    return v;
}

bool isLineTerminator(char16_t c) {
    return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029;
}

std::u16string toUtf16(const std::string& gbk) {
    const std::wstring w = gbkToWide(gbk);
    return std::u16string(w.begin(), w.end());
}

std::string fromUtf16(const std::u16string& s) {
    std::wstring w(s.begin(), s.end());
    std::string gbk = wideToGbk(w);
    const size_t zero = gbk.find('\0');
    if (zero != std::string::npos)
        gbk.resize(zero); // the result is a zero-terminated text
    return gbk;
}

} // namespace

long long hexToInt(const std::string& text) {
    static const std::string digits = "0123456789ABCDEF";
    long long value = 0;
    for (char c : upperAscii(text)) {
        const size_t at = digits.find(c);
        // Long texts wrap around (modulo 2^64) instead of overflowing.
        value = static_cast<long long>(static_cast<unsigned long long>(value) * 16 +
                                       (at == std::string::npos ? 0 : at));
    }
    return value;
}

std::string utf16ToGbk(const std::vector<uint8_t>& bytes) {
    const int units = static_cast<int>(bytes.size() / 2);
    if (units == 0)
        return {};
    std::wstring wide(static_cast<size_t>(units), L'\0');
    for (int i = 0; i < units; ++i)
        wide[static_cast<size_t>(i)] = static_cast<wchar_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    const int n =
        WideCharToMultiByte(936, WC_COMPOSITECHECK, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(936, WC_COMPOSITECHECK, wide.data(), units, out.data(), n, nullptr, nullptr);
    const size_t zero = out.find('\0');
    if (zero != std::string::npos)
        out.resize(zero);
    return out;
}

std::string builtInDecode(const std::string& text) {
    std::string out;
    auto unit = [](unsigned v) {
        return utf16ToGbk({static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>(v >> 8)});
    };
    auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '%' && i + 5 < text.size() + 0 && i + 6 <= text.size() && text[i + 1] == 'u' &&
            isHex(text[i + 2]) && isHex(text[i + 3]) && isHex(text[i + 4]) && isHex(text[i + 5])) {
            out += unit(static_cast<unsigned>(hexToInt(text.substr(i + 2, 4))));
            i += 6;
        } else if (text[i] == '%' && i + 3 <= text.size() && isHex(text[i + 1]) && isHex(text[i + 2])) {
            out += unit(static_cast<unsigned>(hexToInt(text.substr(i + 1, 2))));
            i += 3;
        } else {
            // Copy a whole character, so a trail byte is never read as '%'.
            const size_t w = isGbkLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
            out += text.substr(i, w);
            i += w;
        }
    }
    return out;
}

std::optional<std::u16string> jscriptLiteral(const std::u16string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c == u'\'' || isLineTerminator(c))
            return std::nullopt; // ends or breaks the literal
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (i + 1 >= s.size())
            return std::nullopt; // a trailing backslash escapes the closing apostrophe
        const char16_t e = s[++i];
        switch (e) {
        case u'b':
            out += u'\b';
            break;
        case u'f':
            out += u'\f';
            break;
        case u'n':
            out += u'\n';
            break;
        case u'r':
            out += u'\r';
            break;
        case u't':
            out += u'\t';
            break;
        case u'v':
            out += u'v';
            break; // the script engine has no \v
        case u'x':
            if (hexRun(s, i + 1, 2)) {
                out += static_cast<char16_t>(hexNumber(s, i + 1, 2));
                i += 2;
            } else {
                out += u"\\x"; // kept whole, backslash included, as the script engine does
            }
            break;
        case u'u':
            if (hexRun(s, i + 1, 4)) {
                out += static_cast<char16_t>(hexNumber(s, i + 1, 4));
                i += 4;
            } else {
                out += u'u';
            }
            break;
        default:
            if (isLineTerminator(e))
                return std::nullopt;
            if (e == u'8' || e == u'9') {
                out +=
                    static_cast<char16_t>(e - u'0'); // read as a one-digit escape, as the script engine does
            } else if (e >= u'0' && e <= u'7') {
                // Legacy octal escapes: up to three digits, value at most 0377.
                int value = e - u'0';
                const size_t maxDigits = e <= u'3' ? 3 : 2;
                size_t used = 1;
                while (used < maxDigits && i + 1 < s.size() && s[i + 1] >= u'0' && s[i + 1] <= u'7') {
                    value = value * 8 + (s[++i] - u'0');
                    ++used;
                }
                out += static_cast<char16_t>(value);
            } else {
                out += e; // \/ \\ \" and any other character stand for themselves
            }
        }
    }
    return out;
}

std::u16string jscriptUnescape(const std::u16string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'%') {
            if (i + 5 < s.size() + 0 && i + 6 <= s.size() && s[i + 1] == u'u' && hexRun(s, i + 2, 4)) {
                out += static_cast<char16_t>(hexNumber(s, i + 2, 4));
                i += 5;
                continue;
            }
            if (hexRun(s, i + 1, 2)) {
                out += static_cast<char16_t>(hexNumber(s, i + 1, 2));
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string prepareForLiteral(const std::string& text) {
    std::string t = replaceAll(text, "\r\n", "{$}");
    if (!t.empty() && t[0] == '\r')
        t.erase(0, 1);
    if (findText(t, "\\u") != std::string::npos)
        t = replaceAll(t, "\\u", "%u");
    return replaceAll(t, "'", kRightQuote);
}

std::string unescapeText(const std::string& text) {
    const std::string t = prepareForLiteral(text);
    // Decoded natively, with the script engine's rules, never by evaluating
    // remote text in a script engine.
    std::string r;
    if (auto literal = jscriptLiteral(toUtf16(t)))
        r = fromUtf16(jscriptUnescape(*literal));
    if (r.empty())
        r = builtInDecode(t);
    return replaceAll(replaceAll(r, kRightQuote, "'"), "{$}", "\r\n");
}

} // namespace corvina
