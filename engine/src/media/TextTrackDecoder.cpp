#include "TextTrackDecoder.h"

namespace engine {
namespace {

constexpr int kDefaultCueMs = 4000; // a cue that does not say how long it stays

} // namespace

bool TextTrackDecoder::readable(AVCodecID codec) {
    switch (codec) {
    case AV_CODEC_ID_SUBRIP:
    case AV_CODEC_ID_SRT:
    case AV_CODEC_ID_ASS:
    case AV_CODEC_ID_SSA:
    case AV_CODEC_ID_MOV_TEXT:
    case AV_CODEC_ID_WEBVTT:
    case AV_CODEC_ID_TEXT:
        return true;
    default:
        return false;
    }
}

bool TextTrackDecoder::open(const AVStream& stream) {
    context_ = openDecoder(stream);
    timeBase_ = stream.time_base;
    return context_ != nullptr;
}

std::optional<Cue> TextTrackDecoder::decode(AVPacket& packet, int64_t startMs) {
    if (!context_ || packet.pts == AV_NOPTS_VALUE)
        return std::nullopt;
    AVSubtitle subtitle{};
    int got = 0;
    if (ff().avcodec_decode_subtitle2(context_.get(), &subtitle, &got, &packet) < 0 || !got)
        return std::nullopt;
    const int64_t start = ff().av_rescale_q(packet.pts, timeBase_, AVRational{1, 1000}) - startMs;
    const int64_t length = packet.duration > 0
                               ? ff().av_rescale_q(packet.duration, timeBase_, AVRational{1, 1000})
                               : kDefaultCueMs;
    Cue cue;
    cue.startMs = static_cast<int>(start);
    cue.endMs = static_cast<int>(start + length);
    for (unsigned i = 0; i < subtitle.num_rects; ++i) {
        if (subtitle.rects[i]->type != SUBTITLE_ASS || !subtitle.rects[i]->ass)
            continue;
        const Cue part = cueFromAssEvent(subtitle.rects[i]->ass, cue.startMs, cue.endMs);
        if (part.text.empty())
            continue;
        cue.text += (cue.text.empty() ? L"" : L"\n") + part.text;
        cue.top = cue.top || part.top;
    }
    ff().avsubtitle_free(&subtitle);
    if (cue.text.empty() || cue.endMs <= cue.startMs)
        return std::nullopt;
    return cue;
}

} // namespace engine
