#include "FrameConverter.h"

#include <algorithm>
#include <cmath>

namespace engine {
namespace {

constexpr int kClampOffset = 512;

// A 3x3 sharpen on the colour channels of rows/columns [x0, x1).
void sharpen(std::vector<uint32_t>& pixels, int width, int height, int x0, int x1) {
    if (width < 3 || height < 3)
        return;
    std::vector<uint32_t> source(pixels);
    x0 = std::max(x0, 1);
    x1 = std::min(x1, width - 1);
    for (int y = 1; y < height - 1; ++y) {
        const uint32_t* above = &source[static_cast<size_t>(y - 1) * width];
        const uint32_t* row = &source[static_cast<size_t>(y) * width];
        const uint32_t* below = &source[static_cast<size_t>(y + 1) * width];
        uint32_t* out = &pixels[static_cast<size_t>(y) * width];
        for (int x = x0; x < x1; ++x) {
            uint32_t result = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                auto c = [&](uint32_t p) { return static_cast<int>((p >> shift) & 0xFF); };
                // centre weighted 2, minus a quarter of each neighbour: a mild unsharp mask
                int v = 2 * c(row[x]) - (c(above[x]) + c(below[x]) + c(row[x - 1]) + c(row[x + 1])) / 4;
                v = std::clamp(v, 0, 255);
                result |= static_cast<uint32_t>(v) << shift;
            }
            out[x] = result;
        }
    }
}

} // namespace

int PictureSettings::normaliseRotation(int degrees) {
    int d = degrees % 360;
    if (d < 0)
        d += 360;
    return d / 90 * 90;
}

FrameConverter::FrameConverter() {
    for (int i = 0; i < static_cast<int>(sizeof clamp_); ++i)
        clamp_[i] = static_cast<uint8_t>(std::clamp(i - kClampOffset, 0, 255));
}

void FrameConverter::prepare(const PictureSettings& s) {
    if (tablesReady_ && s.brightness == tableSettings_.brightness && s.contrast == tableSettings_.contrast &&
        s.saturation == tableSettings_.saturation && s.hue == tableSettings_.hue)
        return;
    tableSettings_ = s;
    tablesReady_ = true;
    // BT.601 limited range. Brightness shifts by up to +-128 levels, contrast
    // scales around mid grey from 0x to 2x, saturation scales chroma from 0x
    // to 2x, hue rotates chroma by up to +-180 degrees.
    const double brightness = (s.brightness - 50) * 128.0 / 50.0;
    const double contrast = s.contrast / 50.0;
    const double saturation = s.saturation / 50.0;
    const double hue = (s.hue - 50) * 3.14159265358979 / 50.0;
    for (int y = 0; y < 256; ++y) {
        double l = 1.164383 * (y - 16);
        l = (l - 128.0) * contrast + 128.0 + brightness;
        lumaTable_[y] = static_cast<int32_t>(std::lround(l * 65536.0));
    }
    const double c = std::cos(hue) * saturation * contrast, sn = std::sin(hue) * saturation * contrast;
    chromaScale_[0] = static_cast<int32_t>(std::lround(c * 65536.0));
    chromaScale_[1] = static_cast<int32_t>(std::lround(-sn * 65536.0));
    chromaScale_[2] = static_cast<int32_t>(std::lround(sn * 65536.0));
    chromaScale_[3] = static_cast<int32_t>(std::lround(c * 65536.0));
    for (int i = 0; i < 256; ++i) {
        const int d = i - 128;
        vToR_[i] = static_cast<int32_t>(std::lround(1.596027 * d * 65536.0));
        uToG_[i] = static_cast<int32_t>(std::lround(-0.391762 * d * 65536.0));
        vToG_[i] = static_cast<int32_t>(std::lround(-0.812968 * d * 65536.0));
        uToB_[i] = static_cast<int32_t>(std::lround(2.017232 * d * 65536.0));
    }
}

void FrameConverter::convertRegion(const Nv12Frame& frame, const PictureSettings& settings, uint32_t* out,
                                   int x0, int x1) {
    prepare(settings);
    const int width = frame.width, height = frame.height, stride = frame.stride;
    const bool rotateChroma = settings.hue != 50 || settings.saturation != 50 || settings.contrast != 50;
    const uint8_t* lumaPlane = frame.luma();
    const uint8_t* chromaPlane = frame.chroma();
    x0 &= ~1; // whole chroma pairs
    x1 = std::min(x1, width);
    for (int y = 0; y < height; ++y) {
        const uint8_t* yRow = lumaPlane + static_cast<size_t>(y) * stride;
        const uint8_t* cRow = chromaPlane + static_cast<size_t>(y / 2) * stride;
        uint32_t* dst = out + static_cast<size_t>(y) * width;
        for (int x = x0; x < x1; x += 2) {
            int u = cRow[x], v = cRow[x + 1];
            if (rotateChroma) {
                const int du = u - 128, dv = v - 128;
                u = 128 + ((du * chromaScale_[0] + dv * chromaScale_[1]) >> 16);
                v = 128 + ((du * chromaScale_[2] + dv * chromaScale_[3]) >> 16);
                u = std::clamp(u, 0, 255);
                v = std::clamp(v, 0, 255);
            }
            const int32_t r = vToR_[v], g = uToG_[u] + vToG_[v], b = uToB_[u];
            const int pairEnd = std::min(x + 2, x1);
            for (int px = x; px < pairEnd; ++px) {
                const int32_t l = lumaTable_[yRow[px]];
                const uint32_t rr = clamp_[((l + r) >> 16) + kClampOffset];
                const uint32_t gg = clamp_[((l + g) >> 16) + kClampOffset];
                const uint32_t bb = clamp_[((l + b) >> 16) + kClampOffset];
                dst[px] = 0xFF000000u | rr << 16 | gg << 8 | bb;
            }
        }
    }
}

void FrameConverter::convert(const Nv12Frame& frame, const PictureSettings& settings,
                             std::vector<uint32_t>& out, int& outWidth, int& outHeight) {
    const int width = frame.width, height = frame.height;
    if (width <= 0 || height <= 0 || frame.stride < width ||
        frame.data.size() < static_cast<size_t>(frame.stride) * (height + (height + 1) / 2)) {
        out.clear();
        outWidth = outHeight = 0;
        return;
    }
    const int rotation = PictureSettings::normaliseRotation(settings.rotation);
    const bool reorder = settings.flipHorizontal || settings.flipVertical || rotation != 0;
    std::vector<uint32_t>& plain = reorder ? scratch_ : out;
    plain.resize(static_cast<size_t>(width) * height);

    if (settings.compare) {
        // Left half as decoded, right half with every adjustment.
        const int half = (width / 2) & ~1;
        convertRegion(frame, PictureSettings{}, plain.data(), 0, half);
        convertRegion(frame, settings, plain.data(), half, width);
        if (settings.enhance)
            sharpen(plain, width, height, half, width);
    } else {
        convertRegion(frame, settings, plain.data(), 0, width);
        if (settings.enhance)
            sharpen(plain, width, height, 0, width);
    }

    if (!reorder) {
        outWidth = width;
        outHeight = height;
        return;
    }
    // Flips first, then the clockwise rotation.
    const bool swap = rotation == 90 || rotation == 270;
    outWidth = swap ? height : width;
    outHeight = swap ? width : height;
    out.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int sy = settings.flipVertical ? height - 1 - y : y;
        const uint32_t* src = &plain[static_cast<size_t>(sy) * width];
        for (int x = 0; x < width; ++x) {
            const uint32_t p = src[settings.flipHorizontal ? width - 1 - x : x];
            int ox = x, oy = y;
            switch (rotation) {
            case 90:
                ox = height - 1 - y;
                oy = x;
                break;
            case 180:
                ox = width - 1 - x;
                oy = height - 1 - y;
                break;
            case 270:
                ox = y;
                oy = width - 1 - x;
                break;
            default:
                break;
            }
            out[static_cast<size_t>(oy) * outWidth + ox] = p;
        }
    }
}

} // namespace engine
