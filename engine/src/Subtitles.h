// Subtitle files: SRT, WebVTT and ASS/SSA read into timed cues of plain text.
// Pure: bytes in, cues out (GBK is read through the platform's code page 936).
#pragma once

#include <string>
#include <vector>

namespace engine {

struct Cue {
    int startMs = 0;
    int endMs = 0;
    std::wstring text; // lines separated by L'\n', markup removed
    bool top = false;  // placed at the top of the picture instead of the bottom

    bool operator==(const Cue&) const = default;
};

// The file's text: by its byte-order mark (UTF-8, UTF-16 LE or BE), else as
// UTF-8 when the bytes are valid UTF-8, else as GBK.
std::wstring decodeSubtitleBytes(const std::string& bytes);

// Cues of an SRT, WebVTT or ASS/SSA text, told apart by their content, in
// file order. A malformed cue is skipped, never the rest of the file.
std::vector<Cue> parseSubtitles(const std::wstring& text);

// The cues showing at `ms` (start <= ms < end), overlapping ones together,
// in the order they start.
std::vector<const Cue*> cuesAt(const std::vector<Cue>& cues, int ms);

} // namespace engine
