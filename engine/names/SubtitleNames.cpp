#include "SubtitleNames.h"

namespace engine {
namespace {

std::wstring lowerAscii(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
}

// The subtitle formats the renderer reads, in the order that ranks them.
constexpr const wchar_t* kExtensions[] = {L".srt", L".ass", L".ssa", L".vtt"};

bool endsWith(const std::wstring& name, const std::wstring& ext) {
    return name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0;
}

std::wstring stem(const std::wstring& name) {
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

int subtitleRank(const std::wstring& movie, const std::wstring& candidate) {
    struct Tag {
        const wchar_t* text;
        int rank;
    };
    static const Tag tags[] = {{L".chs", 0}, {L".sc", 0}, {L".zh", 1}, {L".chi", 1},
                               {L".cht", 1}, {L".tc", 1}, {L".en", 3}};
    const std::wstring name = lowerAscii(candidate), base = lowerAscii(stem(movie));
    if (base.empty())
        return -1;
    for (int e = 0; e < 4; ++e) {
        const std::wstring ext = kExtensions[e];
        if (!endsWith(name, ext))
            continue;
        const std::wstring rest = name.substr(0, name.size() - ext.size());
        if (rest == base)
            return 2 * 4 + e;
        for (const Tag& tag : tags) {
            const std::wstring t = tag.text;
            if (rest.size() == base.size() + t.size() && rest.compare(0, base.size(), base) == 0 &&
                rest.compare(base.size(), t.size(), t) == 0)
                return tag.rank * 4 + e;
        }
        return -1;
    }
    return -1;
}

bool isSubtitleFile(const std::wstring& name) {
    const std::wstring lower = lowerAscii(name);
    for (const wchar_t* ext : kExtensions)
        if (endsWith(lower, ext))
            return true;
    return false;
}

int pickSubtitle(const std::wstring& movie, const std::vector<std::wstring>& candidates) {
    int best = -1, bestRank = 0;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const int rank = subtitleRank(movie, candidates[i]);
        if (rank >= 0 && (best < 0 || rank < bestRank)) {
            best = static_cast<int>(i);
            bestRank = rank;
        }
    }
    return best;
}

} // namespace engine
