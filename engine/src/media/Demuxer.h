// A container read through libavformat from a ByteSource, through a custom
// I/O context: no file or network code of the library is used.
#pragma once

#include "ByteSource.h"
#include "FfmpegApi.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace engine {

// Larger sides than any real movie has are refused before a decoder sees them.
inline constexpr int kMaxPictureSide = 8192;

struct TrackInfo {
    int stream = -1;   // index in the container
    std::string codec; // the codec's short name ("aac", "subrip")
    std::string language;
    std::string title;
};

class Demuxer {
  public:
    explicit Demuxer(std::shared_ptr<ByteSource> source);
    ~Demuxer();
    Demuxer(const Demuxer&) = delete;
    Demuxer& operator=(const Demuxer&) = delete;

    // Probes the container and reads its streams' parameters.
    bool open();
    // Ends a blocked open or read; any thread.
    void abort();

    AVFormatContext* context() const { return context_; }
    AVStream* stream(int index) const;
    int durationMs() const;
    int bestStream(AVMediaType type) const;
    std::vector<TrackInfo> tracks(AVMediaType type) const;

    // 0, AVERROR_EOF at the end, another negative on a failure.
    int read(AVPacket* packet);
    // To the key frame at or before `ms` (of the whole presentation).
    bool seek(int ms);

  private:
    static int readPacket(void* opaque, uint8_t* buffer, int size);
    static int64_t seekTo(void* opaque, int64_t offset, int whence);
    static int interrupted(void* opaque);

    std::shared_ptr<ByteSource> source_;
    AVIOContext* io_ = nullptr;
    AVFormatContext* context_ = nullptr;
    uint64_t position_ = 0;
    std::atomic<bool> aborted_{false};
};

// The name of a stream's format for the missing-decoder report: its
// four-character code where it has a printable one, and the codec's name.
std::string streamFormatName(const AVCodecParameters& parameters);

} // namespace engine
