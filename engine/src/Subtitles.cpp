#include "Subtitles.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <optional>

namespace engine {
namespace {

bool validUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80             ? 0
                    : (c & 0xE0) == 0xC0 ? 1
                    : (c & 0xF0) == 0xE0 ? 2
                    : (c & 0xF8) == 0xF0 ? 3
                                         : -1;
        if (extra < 0 || (extra == 1 && c < 0xC2) || i + extra >= s.size() + (extra == 0 ? 1 : 0))
            return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

std::wstring fromCodePage(unsigned codePage, const char* data, size_t size) {
    if (size == 0)
        return {};
    const int length = static_cast<int>(std::min<size_t>(size, 0x7FFFFFFF));
    const int n = MultiByteToWideChar(codePage, 0, data, length, nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, 0, data, length, out.data(), n);
    return out;
}

std::wstring fromUtf16(const std::string& bytes, size_t from, bool bigEndian) {
    std::wstring out;
    out.reserve((bytes.size() - from) / 2);
    for (size_t i = from; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        out.push_back(static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    return out;
}

std::vector<std::wstring> splitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring line;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.push_back(line);
            line.clear();
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
                ++i;
        } else {
            line.push_back(c);
        }
    }
    lines.push_back(line);
    return lines;
}

std::wstring trim(const std::wstring& s) {
    size_t a = 0, b = s.size();
    while (a < b && std::iswspace(s[a]))
        ++a;
    while (b > a && std::iswspace(s[b - 1]))
        --b;
    return s.substr(a, b - a);
}

// "H:MM:SS,mmm", "HH:MM:SS.mmm", "MM:SS.mmm" (hours of any length) or, for
// ASS, "H:MM:SS.cc". The fraction's digits count as they stand.
std::optional<int> parseTime(const std::wstring& raw) {
    const std::wstring s = trim(raw);
    long long parts[3] = {0, 0, 0};
    int count = 0;
    size_t i = 0;
    while (true) {
        if (i >= s.size() || !std::iswdigit(s[i]) || count == 3)
            return std::nullopt;
        long long v = 0;
        int digits = 0;
        while (i < s.size() && std::iswdigit(s[i])) {
            if (++digits > 7)
                return std::nullopt;
            v = v * 10 + (s[i++] - L'0');
        }
        parts[count++] = v;
        if (i < s.size() && s[i] == L':') {
            ++i;
            continue;
        }
        break;
    }
    if (count < 2 || i >= s.size() || (s[i] != L',' && s[i] != L'.'))
        return std::nullopt;
    ++i;
    long long fraction = 0, scale = 1;
    int digits = 0;
    while (i < s.size() && std::iswdigit(s[i]) && digits < 3) {
        fraction = fraction * 10 + (s[i++] - L'0');
        scale *= 10;
        ++digits;
    }
    while (i < s.size() && std::iswdigit(s[i]))
        ++i; // finer than milliseconds
    if (digits == 0 || i != s.size())
        return std::nullopt;
    const long long hours = count == 3 ? parts[0] : 0;
    const long long minutes = parts[count - 2], seconds = parts[count - 1];
    // Without an hour field the minutes may run past 59 ("100:00.000").
    if ((count == 3 && minutes > 59) || seconds > 59)
        return std::nullopt;
    const long long ms = ((hours * 60 + minutes) * 60 + seconds) * 1000 + fraction * 1000 / scale;
    if (ms > 0x7FFFFFFF)
        return std::nullopt;
    return static_cast<int>(ms);
}

// "start --> end [settings]"
bool parseTiming(const std::wstring& line, Cue& cue) {
    const size_t arrow = line.find(L"-->");
    if (arrow == std::wstring::npos)
        return false;
    std::wstring rest = trim(line.substr(arrow + 3));
    const size_t space = rest.find_first_of(L" \t");
    const std::wstring settings = space == std::wstring::npos ? L"" : rest.substr(space);
    if (space != std::wstring::npos)
        rest = rest.substr(0, space);
    const auto start = parseTime(line.substr(0, arrow)), end = parseTime(rest);
    if (!start || !end || *end <= *start)
        return false;
    cue.startMs = *start;
    cue.endMs = *end;
    cue.top = settings.find(L"line:0") != std::wstring::npos;
    return true;
}

void replaceAllIn(std::wstring& s, const std::wstring& from, const std::wstring& to) {
    for (size_t at = s.find(from); at != std::wstring::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

// Removes <...> tags and {...} override blocks; an alignment to the top
// ({\an7}, {\an8}, {\an9}) marks the cue.
std::wstring stripMarkup(const std::wstring& text, bool& top) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        const wchar_t close = c == L'<' ? L'>' : c == L'{' ? L'}' : 0;
        const size_t end = close ? text.find(close, i + 1) : std::wstring::npos;
        if (end != std::wstring::npos) {
            const std::wstring tag = text.substr(i + 1, end - i - 1);
            if (close == L'}' &&
                (tag.find(L"\\an7") != std::wstring::npos || tag.find(L"\\an8") != std::wstring::npos ||
                 tag.find(L"\\an9") != std::wstring::npos))
                top = true;
            i = end;
            continue;
        }
        out.push_back(c);
    }
    replaceAllIn(out, L"&amp;", L"&");
    replaceAllIn(out, L"&lt;", L"<");
    replaceAllIn(out, L"&gt;", L">");
    replaceAllIn(out, L"&nbsp;", L" ");
    return out;
}

bool allDigits(const std::wstring& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](wchar_t c) { return std::iswdigit(c) != 0; });
}

// SRT and WebVTT: a timing line, then text lines up to a blank line or the
// next timing line (a cue number just before a timing line is not text).
std::vector<Cue> parseTimedBlocks(const std::vector<std::wstring>& lines) {
    std::vector<Cue> cues;
    for (size_t i = 0; i < lines.size(); ++i) {
        Cue cue;
        if (!parseTiming(lines[i], cue))
            continue;
        std::wstring text;
        size_t k = i + 1;
        for (; k < lines.size(); ++k) {
            const std::wstring line = trim(lines[k]);
            if (line.empty() || lines[k].find(L"-->") != std::wstring::npos)
                break;
            if (allDigits(line) && k + 1 < lines.size() && lines[k + 1].find(L"-->") != std::wstring::npos)
                break;
            if (!text.empty())
                text += L'\n';
            text += line;
        }
        i = k - 1;
        cue.text = stripMarkup(text, cue.top);
        if (!trim(cue.text).empty())
            cues.push_back(std::move(cue));
    }
    return cues;
}

// ASS/SSA: "Dialogue:" lines of the [Events] section, fields in the order of
// its "Format:" line (Start, End, Text at least; Text takes the rest).
std::vector<Cue> parseAss(const std::vector<std::wstring>& lines) {
    std::vector<Cue> cues;
    int startField = 1, endField = 2, textField = 9; // the standard order
    for (const std::wstring& raw : lines) {
        const std::wstring line = trim(raw);
        auto fieldsAfter = [&](size_t colon, int limit) {
            std::vector<std::wstring> fields;
            size_t at = colon + 1;
            while (static_cast<int>(fields.size()) + 1 < limit) {
                const size_t comma = line.find(L',', at);
                if (comma == std::wstring::npos)
                    break;
                fields.push_back(trim(line.substr(at, comma - at)));
                at = comma + 1;
            }
            fields.push_back(line.substr(std::min(at, line.size())));
            return fields;
        };
        if (line.rfind(L"Format:", 0) == 0) {
            const auto names = fieldsAfter(6, 64);
            for (int n = 0; n < static_cast<int>(names.size()); ++n) {
                const std::wstring name = trim(names[static_cast<size_t>(n)]);
                if (name == L"Start")
                    startField = n;
                else if (name == L"End")
                    endField = n;
                else if (name == L"Text")
                    textField = n;
            }
            continue;
        }
        if (line.rfind(L"Dialogue:", 0) != 0)
            continue;
        const auto fields = fieldsAfter(8, textField + 1);
        if (static_cast<int>(fields.size()) <= std::max({startField, endField, textField}))
            continue;
        const auto start = parseTime(fields[static_cast<size_t>(startField)]);
        const auto end = parseTime(fields[static_cast<size_t>(endField)]);
        if (!start || !end || *end <= *start)
            continue;
        Cue cue;
        cue.startMs = *start;
        cue.endMs = *end;
        std::wstring text = fields[static_cast<size_t>(textField)];
        text = stripMarkup(text, cue.top);
        replaceAllIn(text, L"\\N", L"\n");
        replaceAllIn(text, L"\\n", L"\n");
        replaceAllIn(text, L"\\h", L" ");
        cue.text = trim(text);
        if (!cue.text.empty())
            cues.push_back(std::move(cue));
    }
    return cues;
}

} // namespace

std::wstring decodeSubtitleBytes(const std::string& bytes) {
    auto starts = [&](const char* mark, size_t n) {
        return bytes.size() >= n && bytes.compare(0, n, mark, n) == 0;
    };
    if (starts("\xEF\xBB\xBF", 3))
        return fromCodePage(CP_UTF8, bytes.data() + 3, bytes.size() - 3);
    if (starts("\xFF\xFE", 2))
        return fromUtf16(bytes, 2, false);
    if (starts("\xFE\xFF", 2))
        return fromUtf16(bytes, 2, true);
    if (validUtf8(bytes))
        return fromCodePage(CP_UTF8, bytes.data(), bytes.size());
    return fromCodePage(936, bytes.data(), bytes.size());
}

std::vector<Cue> parseSubtitles(const std::wstring& text) {
    const std::vector<std::wstring> lines = splitLines(text);
    const bool ass =
        text.find(L"[Events]") != std::wstring::npos || text.find(L"Dialogue:") != std::wstring::npos;
    return ass ? parseAss(lines) : parseTimedBlocks(lines);
}

Cue cueFromAssEvent(const std::string& utf8Event, int startMs, int endMs) {
    Cue cue;
    cue.startMs = startMs;
    cue.endMs = endMs;
    const std::wstring event = fromCodePage(CP_UTF8, utf8Event.data(), utf8Event.size());
    size_t at = 0;
    for (int field = 0; field < 8 && at != std::wstring::npos; ++field) {
        at = event.find(L',', at);
        if (at != std::wstring::npos)
            ++at;
    }
    if (at == std::wstring::npos)
        return cue;
    std::wstring text = stripMarkup(event.substr(at), cue.top);
    replaceAllIn(text, L"\\N", L"\n");
    replaceAllIn(text, L"\\n", L"\n");
    replaceAllIn(text, L"\\h", L" ");
    cue.text = trim(text);
    return cue;
}

std::vector<const Cue*> cuesAt(const std::vector<Cue>& cues, int ms) {
    std::vector<const Cue*> showing;
    for (const Cue& cue : cues)
        if (cue.startMs <= ms && ms < cue.endMs)
            showing.push_back(&cue);
    std::stable_sort(showing.begin(), showing.end(),
                     [](const Cue* a, const Cue* b) { return a->startMs < b->startMs; });
    return showing;
}

CueIndex::CueIndex(std::vector<Cue> cues) : cues_(std::move(cues)) {
    std::stable_sort(cues_.begin(), cues_.end(),
                     [](const Cue& a, const Cue& b) { return a.startMs < b.startMs; });
    maxEnd_.reserve(cues_.size());
    int latest = 0;
    for (const Cue& cue : cues_)
        maxEnd_.push_back(latest = std::max(latest, cue.endMs));
}

std::vector<const Cue*> CueIndex::at(int ms) const {
    std::vector<const Cue*> showing;
    // The first cue that starts after `ms`; only those before it can show.
    size_t i = static_cast<size_t>(
        std::upper_bound(cues_.begin(), cues_.end(), ms, [](int t, const Cue& c) { return t < c.startMs; }) -
        cues_.begin());
    while (i > 0 && maxEnd_[i - 1] > ms) {
        --i;
        if (cues_[i].endMs > ms)
            showing.push_back(&cues_[i]);
    }
    std::reverse(showing.begin(), showing.end());
    return showing;
}

} // namespace engine
