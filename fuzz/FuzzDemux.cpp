// The engine's I/O and demuxing glue over any bytes: the custom I/O context's
// reads and seeks, probing, the choice of streams and the track lists,
// reading packets, a seek, and the text subtitle tracks' cues.
#include "Demuxer.h"
#include "TextTrackDecoder.h"

#include <cstring>
#include <map>
#include <memory>

namespace {

class MemorySource final : public engine::ByteSource {
  public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    long read(uint64_t position, uint8_t* buffer, size_t size) override {
        if (position >= size_)
            return 0;
        const size_t n = std::min<size_t>(size, size_ - static_cast<size_t>(position));
        std::memcpy(buffer, data_ + position, n);
        return static_cast<long>(n);
    }
    int64_t length() const override { return static_cast<int64_t>(size_); }
    void abort() override {}

  private:
    const uint8_t* data_;
    size_t size_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace engine;
    loadFfmpeg();
    Demuxer demuxer(std::make_shared<MemorySource>(data, size));
    if (!demuxer.open())
        return 0;
    demuxer.durationMs();
    demuxer.bestStream(AVMEDIA_TYPE_VIDEO);
    demuxer.bestStream(AVMEDIA_TYPE_AUDIO);
    std::map<int, std::unique_ptr<TextTrackDecoder>> text;
    for (AVMediaType type : {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO, AVMEDIA_TYPE_SUBTITLE})
        for (const TrackInfo& track : demuxer.tracks(type)) {
            AVStream* stream = demuxer.stream(track.stream);
            stream->discard = AVDISCARD_DEFAULT;
            streamFormatName(*stream->codecpar);
            auto decoder = std::make_unique<TextTrackDecoder>();
            if (type == AVMEDIA_TYPE_SUBTITLE && TextTrackDecoder::readable(stream->codecpar->codec_id) &&
                decoder->open(*stream))
                text[track.stream] = std::move(decoder);
        }
    AVPacket* packet = ff().av_packet_alloc();
    auto readSome = [&](int count) {
        for (int i = 0; i < count && demuxer.read(packet) >= 0; ++i) {
            if (auto t = text.find(packet->stream_index); t != text.end())
                t->second->decode(*packet, 0);
            ff().av_packet_unref(packet);
        }
    };
    readSome(100);
    demuxer.seek(demuxer.durationMs() / 2);
    readSome(50);
    ff().av_packet_free(&packet);
    return 0;
}
