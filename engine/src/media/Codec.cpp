#include "Codec.h"

namespace engine {

CodecContext openDecoder(const AVStream& stream, int threads) {
    const AVCodec* codec = ff().avcodec_find_decoder(stream.codecpar->codec_id);
    if (!codec)
        return nullptr;
    CodecContext context(ff().avcodec_alloc_context3(codec));
    if (!context || ff().avcodec_parameters_to_context(context.get(), stream.codecpar) < 0)
        return nullptr;
    context->pkt_timebase = stream.time_base;
    if (threads > 1) {
        context->thread_count = threads;
        context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    }
    if (ff().avcodec_open2(context.get(), codec, nullptr) != 0)
        return nullptr;
    return context;
}

} // namespace engine
