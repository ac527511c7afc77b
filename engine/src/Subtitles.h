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

// A cue from one event of an ASS track as decoders give it
// ("ReadOrder,Layer,Style,Name,MarginL,MarginR,MarginV,Effect,Text"), in
// UTF-8, with its markup removed as in files. Empty text when it has none.
Cue cueFromAssEvent(const std::string& utf8Event, int startMs, int endMs);

// The cues showing at `ms` (start <= ms < end), overlapping ones together,
// in the order they start. Goes through every cue: for a loaded file, which
// may hold hundreds of thousands, CueIndex answers the same faster.
std::vector<const Cue*> cuesAt(const std::vector<Cue>& cues, int ms);

// A file's cues ordered by start, with the latest end of every prefix, so
// that the cues showing at a time are found by a binary search and a short
// walk back (as long as earlier cues can still be showing).
class CueIndex {
  public:
    explicit CueIndex(std::vector<Cue> cues);
    std::vector<const Cue*> at(int ms) const; // as cuesAt
    bool empty() const { return cues_.empty(); }
    size_t size() const { return cues_.size(); }

  private:
    std::vector<Cue> cues_;   // by start, file order among equal starts
    std::vector<int> maxEnd_; // the latest end among cues_[0..i]
};

} // namespace engine
