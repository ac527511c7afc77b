#include "FrameConverter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <emmintrin.h>

namespace engine {
namespace {

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

ColourCoefficients ColourCoefficients::from(const PictureSettings& s, ColourMatrix matrix, bool fullRange) {
    // Brightness shifts by up to +-128 levels, contrast scales around mid grey
    // from 0x to 2x, saturation scales chroma from 0x to 2x, hue rotates chroma
    // by up to +-180 degrees.
    const double brightness = (s.brightness - 50) * 128.0 / 50.0;
    const double contrast = s.contrast / 50.0;
    const double saturation = s.saturation / 50.0;
    const double hue = (s.hue - 50) * 3.14159265358979 / 50.0;
    // The matrix's luma weights of red and blue.
    double kr = 0.299, kb = 0.114;
    if (matrix == ColourMatrix::Bt709)
        kr = 0.2126, kb = 0.0722;
    else if (matrix == ColourMatrix::Bt2020)
        kr = 0.2627, kb = 0.0593;
    const double kg = 1.0 - kr - kb;
    // Limited range stretches luma 16..235 and chroma 16..240 to full scale.
    const double lumaGain = fullRange ? 1.0 : 255.0 / 219.0;
    const double lumaBlack = fullRange ? 0.0 : 16.0;
    const double chromaGain = fullRange ? 1.0 : 255.0 / 224.0;
    ColourCoefficients k;
    // level = lumaGain * (Y - black), then contrast around 128, then brightness
    k.lumaScale = static_cast<int32_t>(std::lround(lumaGain * contrast * 4096.0));
    k.lumaOffset = static_cast<int32_t>(
        std::lround(((-lumaGain * lumaBlack - 128.0) * contrast + 128.0 + brightness) * 16.0));
    // Chroma turned by the hue and scaled by saturation and contrast:
    //   u' = c*du - s*dv,  v' = s*du + c*dv
    // then R = rv v', G = gu u' + gv v', B = bu u'.
    const double rv = 2.0 * (1.0 - kr) * chromaGain;
    const double gu = -2.0 * kb * (1.0 - kb) / kg * chromaGain;
    const double gv = -2.0 * kr * (1.0 - kr) / kg * chromaGain;
    const double bu = 2.0 * (1.0 - kb) * chromaGain;
    const double c = std::cos(hue) * saturation * contrast, sn = std::sin(hue) * saturation * contrast;
    auto fixed = [](double v) {
        return static_cast<int16_t>(std::clamp(std::lround(v * 4096.0), -32768L, 32767L));
    };
    k.red[0] = fixed(rv * sn);
    k.red[1] = fixed(rv * c);
    k.green[0] = fixed(gu * c + gv * sn);
    k.green[1] = fixed(-gu * sn + gv * c);
    k.blue[0] = fixed(bu * c);
    k.blue[1] = fixed(-bu * sn);
    return k;
}

namespace {

int saturate16(int v) {
    return std::clamp(v, -32768, 32767);
}

int chromaTerm(const int16_t (&k)[2], int du, int dv) {
    return saturate16((du * k[0] + dv * k[1] + 128) >> 8);
}

uint32_t channel(int luma, int chroma) {
    const int v = saturate16(saturate16(luma + chroma) + 8) >> 4;
    return static_cast<uint32_t>(std::clamp(v, 0, 255));
}

// One row's planes: luma, and chroma either interleaved (uv) or apart (u, v).
struct RowPlanes {
    const uint8_t* y;
    const uint8_t* uv; // null when planar
    const uint8_t* u;
    const uint8_t* v;
    int stride; // of the interleaved chroma row
};

// Pixels [x, x1) of one row, one at a time: the reference the SSE2 path equals.
void convertRowScalar(const ColourCoefficients& k, const RowPlanes& row, uint32_t* dst, int x, int x1) {
    const uint8_t* yRow = row.y;
    for (; x < x1; x += 2) {
        const int du = (row.uv ? row.uv[x] : row.u[x / 2]) - 128;
        const int dv = (row.uv ? (x + 1 < row.stride ? row.uv[x + 1] : 128) : row.v[x / 2]) - 128;
        const int r = chromaTerm(k.red, du, dv), g = chromaTerm(k.green, du, dv);
        const int b = chromaTerm(k.blue, du, dv);
        const int pairEnd = std::min(x + 2, x1);
        for (int px = x; px < pairEnd; ++px) {
            const int luma = ((yRow[px] << 8) * k.lumaScale >> 16) + k.lumaOffset;
            dst[px] = 0xFF000000u | channel(luma, r) << 16 | channel(luma, g) << 8 | channel(luma, b);
        }
    }
}

// Eight pixels per step with SSE2 (both target architectures have it); the
// columns left over go through the scalar row.
void convertRowSimd(const ColourCoefficients& k, const RowPlanes& row, uint32_t* dst, int x, int x1) {
    const uint8_t* yRow = row.y;
    const __m128i zero = _mm_setzero_si128();
    const __m128i scale = _mm_set1_epi16(static_cast<int16_t>(k.lumaScale));
    const __m128i offset = _mm_set1_epi16(static_cast<int16_t>(k.lumaOffset));
    const __m128i mid = _mm_set1_epi16(128);
    const __m128i round8 = _mm_set1_epi32(128);
    const __m128i round4 = _mm_set1_epi16(8);
    const __m128i opaque = _mm_set1_epi16(255);
    auto pairOf = [](const int16_t(&c)[2]) {
        return _mm_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(c[0])) |
                                                   static_cast<uint32_t>(static_cast<uint16_t>(c[1])) << 16));
    };
    const __m128i red = pairOf(k.red), green = pairOf(k.green), blue = pairOf(k.blue);
    for (; x + 8 <= x1; x += 8) {
        const __m128i y8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(yRow + x));
        // (Y << 8) * scale >> 16, unsigned, plus the offset
        const __m128i luma = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(zero, y8), scale), offset);
        __m128i uv8;
        if (row.uv) {
            uv8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row.uv + x));
        } else {
            // Four U and four V woven in the register: u0 v0 u1 v1 ...
            int32_t u4, v4;
            std::memcpy(&u4, row.u + x / 2, 4);
            std::memcpy(&v4, row.v + x / 2, 4);
            uv8 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(u4), _mm_cvtsi32_si128(v4));
        }
        const __m128i uv = _mm_sub_epi16(_mm_unpacklo_epi8(uv8, zero), mid); // du0 dv0 du1 dv1 ...
        auto channelOf = [&](__m128i coefficients) {
            __m128i c = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(uv, coefficients), round8), 8);
            c = _mm_packs_epi32(c, c);
            c = _mm_unpacklo_epi16(c, c); // each chroma value for its two pixels
            return _mm_srai_epi16(_mm_adds_epi16(_mm_adds_epi16(luma, c), round4), 4);
        };
        const __m128i bg = _mm_packus_epi16(channelOf(blue), channelOf(green)); // b0..b7 g0..g7
        const __m128i ra = _mm_packus_epi16(channelOf(red), opaque);            // r0..r7 ff..ff
        const __m128i bgPairs = _mm_unpacklo_epi8(bg, _mm_srli_si128(bg, 8));
        const __m128i raPairs = _mm_unpacklo_epi8(ra, _mm_srli_si128(ra, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_unpacklo_epi16(bgPairs, raPairs));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x + 4), _mm_unpackhi_epi16(bgPairs, raPairs));
    }
    convertRowScalar(k, row, dst, x, x1);
}

} // namespace

void FrameConverter::convertRegion(const Nv12Frame& frame, const PictureSettings& settings, uint32_t* out,
                                   int x0, int x1) {
    if (!coefficientsReady_ || settings.brightness != coefficientSettings_.brightness ||
        settings.contrast != coefficientSettings_.contrast ||
        settings.saturation != coefficientSettings_.saturation || settings.hue != coefficientSettings_.hue ||
        frame.matrix != coefficientMatrix_ || frame.fullRange != coefficientFullRange_) {
        coefficients_ = ColourCoefficients::from(settings, frame.matrix, frame.fullRange);
        coefficientSettings_ = settings;
        coefficientMatrix_ = frame.matrix;
        coefficientFullRange_ = frame.fullRange;
        coefficientsReady_ = true;
    }
    const int width = frame.width, height = frame.height, stride = frame.stride;
    x0 &= ~1; // whole chroma pairs
    x1 = std::min(x1, width);
    const auto convertRow = path_ == Path::Simd ? &convertRowSimd : &convertRowScalar;
    const PlanarPicture& p = frame.planar;
    for (int y = 0; y < height; ++y) {
        const RowPlanes row =
            p.y ? RowPlanes{p.y + static_cast<ptrdiff_t>(y) * p.yPitch, nullptr,
                            p.u + static_cast<ptrdiff_t>(y / 2) * p.uPitch,
                            p.v + static_cast<ptrdiff_t>(y / 2) * p.vPitch, 0}
                : RowPlanes{frame.luma() + static_cast<size_t>(y) * stride,
                            frame.chroma() + static_cast<size_t>(y / 2) * stride, nullptr, nullptr, stride};
        convertRow(coefficients_, row, out + static_cast<size_t>(y) * width, x0, x1);
    }
}

void FrameConverter::convert(const Nv12Frame& frame, const PictureSettings& settings,
                             std::vector<uint32_t>& out, int& outWidth, int& outHeight) {
    const int width = frame.width, height = frame.height;
    const bool held = frame.planar.y && frame.planar.u && frame.planar.v && frame.planar.yPitch >= width &&
                      frame.planar.uPitch >= width / 2 && frame.planar.vPitch >= width / 2;
    if (width <= 0 || height <= 0 ||
        (!held && (frame.stride < width ||
                   frame.data.size() < static_cast<size_t>(frame.stride) * (height + (height + 1) / 2)))) {
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
