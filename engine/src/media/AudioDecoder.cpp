#include "AudioDecoder.h"

#include <algorithm>
#include <cstring>

namespace engine {

AudioDecoder::~AudioDecoder() {
    if (resampler_)
        ff().swr_free(&resampler_);
    ff().av_channel_layout_uninit(&inLayout_);
}

bool AudioDecoder::open(const AVStream& stream) {
    context_ = openDecoder(stream);
    return context_ != nullptr;
}

bool AudioDecoder::convert(const AVFrame& frame, std::vector<int16_t>& pcm) {
    if (frame.nb_samples <= 0 || frame.sample_rate <= 0 || frame.ch_layout.nb_channels <= 0)
        return false;
    AVChannelLayout layout{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        ff().av_channel_layout_default(&layout, frame.ch_layout.nb_channels);
    else
        layout = frame.ch_layout; // only read below, never freed through this copy
    const bool sameLayout = layout.nb_channels == inLayout_.nb_channels && layout.order == inLayout_.order &&
                            (layout.order != AV_CHANNEL_ORDER_NATIVE || layout.u.mask == inLayout_.u.mask);
    if (!resampler_ || frame.sample_rate != inRate_ || frame.format != inFormat_ || !sameLayout) {
        if (resampler_)
            ff().swr_free(&resampler_);
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        if (ff().swr_alloc_set_opts2(&resampler_, &stereo, AV_SAMPLE_FMT_S16, kOutputRate, &layout,
                                     static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0,
                                     nullptr) < 0 ||
            ff().swr_init(resampler_) < 0) {
            if (resampler_)
                ff().swr_free(&resampler_);
            return false;
        }
        inRate_ = frame.sample_rate;
        inFormat_ = frame.format;
        inLayout_ = AVChannelLayout{};
        inLayout_.order = layout.order;
        inLayout_.nb_channels = layout.nb_channels;
        if (layout.order == AV_CHANNEL_ORDER_NATIVE)
            inLayout_.u.mask = layout.u.mask;
        else
            inLayout_.order = AV_CHANNEL_ORDER_UNSPEC; // custom orders are compared by count
    }
    const int room =
        static_cast<int>(static_cast<int64_t>(frame.nb_samples) * kOutputRate / frame.sample_rate) + 256;
    const size_t start = pcm.size();
    pcm.resize(start + static_cast<size_t>(room) * kOutputChannels);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(pcm.data() + start)};
    const int made = ff().swr_convert(resampler_, out, room, const_cast<const uint8_t**>(frame.extended_data),
                                      frame.nb_samples);
    pcm.resize(start + static_cast<size_t>(std::max(made, 0)) * kOutputChannels);
    return made >= 0;
}

} // namespace engine
