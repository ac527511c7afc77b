// A text subtitle track inside the movie (SRT, ASS/SSA, mov_text, WebVTT):
// its packets decoded into timed cues for the subtitle renderer.
#pragma once

#include "../Subtitles.h"
#include "Codec.h"

#include <optional>

namespace engine {

class TextTrackDecoder {
  public:
    // True for the codecs this reads: text, not pictures.
    static bool readable(AVCodecID codec);
    bool open(const AVStream& stream);
    // The cue of one packet, in ms of the movie (`startMs` is the container's
    // first time stamp); nothing for an empty or broken packet.
    std::optional<Cue> decode(AVPacket& packet, int64_t startMs);

  private:
    CodecContext context_;
    AVRational timeBase_{1, 1000};
};

} // namespace engine
