// Subtitle files as they come from a swarm or a disk: any bytes, any encoding.
#include "SubtitleNames.h"
#include "Subtitles.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text =
        engine::decodeSubtitleBytes(std::string(reinterpret_cast<const char*>(data), size));
    const std::vector<engine::Cue> cues = engine::parseSubtitles(text);
    const engine::CueIndex index(cues);
    for (const engine::Cue& cue : cues) {
        if (cue.endMs <= cue.startMs || cue.startMs < 0 || cue.text.empty())
            std::abort();
        const size_t showing = engine::cuesAt(cues, cue.startMs).size();
        if (showing == 0 || index.at(cue.startMs).size() != showing ||
            index.at(cue.endMs - 1).size() != engine::cuesAt(cues, cue.endMs - 1).size())
            std::abort();
    }
    // File names: the text's first line as the movie, the rest as candidates.
    const size_t end = text.find(L'\n');
    if (end != std::wstring::npos) {
        const int rank = engine::subtitleRank(text.substr(0, end), text.substr(end + 1));
        if (rank < -1 || rank > 15)
            std::abort();
    }
    return 0;
}
