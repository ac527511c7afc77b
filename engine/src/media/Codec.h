// A stream's decoder context, owned: what the video, sound and text-track
// decoders share.
#pragma once

#include "FfmpegApi.h"

#include <memory>

namespace engine {

struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const { ff().avcodec_free_context(&context); }
};
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextDeleter>;

// The stream's decoder, opened with the stream's parameters and time base;
// `threads` above 1 asks for frame and slice threads. Null when there is no
// decoder for the stream or it will not open.
CodecContext openDecoder(const AVStream& stream, int threads = 1);

// A decoder fed packets and giving frames, for pictures and sound alike.
class PacketDecoder {
  public:
    // The AVERROR codes of avcodec_send_packet / avcodec_receive_frame; a
    // null packet drains.
    int send(const AVPacket* packet) { return ff().avcodec_send_packet(context_.get(), packet); }
    int receive(AVFrame* frame) { return ff().avcodec_receive_frame(context_.get(), frame); }
    void flush() { ff().avcodec_flush_buffers(context_.get()); }

  protected:
    CodecContext context_;
};

} // namespace engine
