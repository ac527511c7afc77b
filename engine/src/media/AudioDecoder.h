// An audio stream's decoder and the step to what the sound output plays:
// 16-bit stereo at kOutputRate, through libswresample. More channels are
// mixed down with the centre and the surrounds mixed in (at -3 dB, the
// whole scaled so that nothing clips); the LFE channel is left out.
#pragma once

#include "Codec.h"

#include <cstdint>
#include <vector>

namespace engine {

inline constexpr int kOutputRate = 48000;
inline constexpr int kOutputChannels = 2;

class AudioDecoder : public PacketDecoder {
  public:
    AudioDecoder() = default;
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    bool open(const AVStream& stream);

    // Appends the frame's sound, converted, to `pcm` (interleaved samples).
    // False when the frame's format cannot be converted.
    bool convert(const AVFrame& frame, std::vector<int16_t>& pcm);

  private:
    SwrContext* resampler_ = nullptr;
    // What the resampler was made for; a change remakes it.
    int inRate_ = 0, inFormat_ = -1;
    AVChannelLayout inLayout_{};
};

} // namespace engine
