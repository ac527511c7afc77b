// Which subtitle file belongs to a movie, by name alone: the movie's stem, an
// optional language tag, a subtitle extension ("电影.mp4" takes "电影.srt" or
// "电影.chs.ass"). Pure; used by the engine beside a local file and by the
// program among a swarm's files.
#pragma once

#include <string>
#include <vector>

namespace engine {

// The rank of `candidate` as the subtitles of `movie` (file names, no folders;
// ASCII letters compared without case): 0 for simplified Chinese (.chs, .sc),
// 1 for Chinese (.zh, .chi, .cht, .tc), 2 untagged, 3 for English (.en); with
// the extension's order (.srt, .ass, .ssa, .vtt) as the finer part (rank * 4
// + extension). -1 when it is not a subtitle file of that movie.
int subtitleRank(const std::wstring& movie, const std::wstring& candidate);

// True when the file name (no folders) has a subtitle extension (.srt, .ass,
// .ssa, .vtt; ASCII letters compared without case) after a non-empty stem.
bool isSubtitleFile(const std::wstring& name);

// The index of the best-ranked candidate (the first among equals), or -1.
int pickSubtitle(const std::wstring& movie, const std::vector<std::wstring>& candidates);

} // namespace engine
