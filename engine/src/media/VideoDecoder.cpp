#include "VideoDecoder.h"

#include "Demuxer.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace engine {

bool VideoDecoder::open(const AVStream& stream) {
    // Frame threads, one per core and at most eight.
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    context_ = openDecoder(stream, static_cast<int>(std::clamp<DWORD>(system.dwNumberOfProcessors, 1, 8)));
    return context_ != nullptr;
}

void describeColour(const AVFrame& frame, Nv12Frame& out) {
    switch (frame.colorspace) {
    case AVCOL_SPC_BT709:
        out.matrix = ColourMatrix::Bt709;
        break;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
        out.matrix = ColourMatrix::Bt2020;
        break;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_SMPTE240M:
    case AVCOL_SPC_FCC:
        out.matrix = ColourMatrix::Bt601;
        break;
    default:
        out.matrix = frame.width >= 1280 || frame.height > 576 ? ColourMatrix::Bt709 : ColourMatrix::Bt601;
        break;
    }
    const auto format = static_cast<AVPixelFormat>(frame.format);
    out.fullRange = frame.color_range == AVCOL_RANGE_JPEG || format == AV_PIX_FMT_YUVJ420P ||
                    format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P;
}

bool toNv12(const AVFrame& frame, Nv12Frame& out, SwsContext*& scaler) {
    const int width = frame.width & ~1, height = frame.height & ~1;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return false;
    describeColour(frame, out);
    out.width = width;
    out.height = height;
    out.planar = {};
    out.owner.reset();
    const auto format = static_cast<AVPixelFormat>(frame.format);
    if (format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P) {
        // The decoder's own planes, kept by a reference of our own: no copy.
        AVFrame* held = ff().av_frame_clone(&frame);
        if (!held)
            return false;
        out.owner = std::shared_ptr<void>(held, [](void* f) {
            auto* picture = static_cast<AVFrame*>(f);
            ff().av_frame_free(&picture);
        });
        out.planar = {held->data[0],     held->data[1],     held->data[2],
                      held->linesize[0], held->linesize[1], held->linesize[2]};
        return true;
    }
    out.stride = (width + 15) & ~15;
    const size_t lumaBytes = static_cast<size_t>(out.stride) * height;
    out.data.resize(lumaBytes + lumaBytes / 2);
    uint8_t* luma = out.data.data();
    uint8_t* chroma = luma + lumaBytes;
    if (format == AV_PIX_FMT_NV12) {
        for (int y = 0; y < height; ++y)
            std::memcpy(luma + static_cast<size_t>(y) * out.stride,
                        frame.data[0] + static_cast<ptrdiff_t>(y) * frame.linesize[0],
                        static_cast<size_t>(width));
        for (int y = 0; y < height / 2; ++y)
            std::memcpy(chroma + static_cast<size_t>(y) * out.stride,
                        frame.data[1] + static_cast<ptrdiff_t>(y) * frame.linesize[1],
                        static_cast<size_t>(width));
        return true;
    }
    scaler =
        ff().sws_getCachedContext(scaler, frame.width, frame.height, format, width, height, AV_PIX_FMT_NV12,
                                  SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!scaler)
        return false;
    uint8_t* planes[4] = {luma, chroma, nullptr, nullptr};
    int strides[4] = {out.stride, out.stride, 0, 0};
    return ff().sws_scale(scaler, frame.data, frame.linesize, 0, frame.height, planes, strides) > 0;
}

void releaseScaler(SwsContext*& scaler) {
    if (scaler)
        ff().sws_freeContext(scaler);
    scaler = nullptr;
}

} // namespace engine
