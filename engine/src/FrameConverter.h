// NV12 to 32-bit BGRA, with the picture settings applied in the same pass.
// Pure arithmetic: no platform calls, so it can be tested and measured alone.
#pragma once

#include <cstdint>
#include <cstddef>
#include <memory>
#include <vector>

namespace engine {

struct PictureSettings {
    int brightness = 50; // 0..100, 50 neutral
    int contrast = 50;
    int saturation = 50;
    int hue = 50;
    bool flipHorizontal = false;
    bool flipVertical = false;
    int rotation = 0;     // 0, 90, 180 or 270 (clockwise)
    bool enhance = false; // mild sharpen
    bool compare = false; // left half plain, right half adjusted

    bool neutralColour() const { return brightness == 50 && contrast == 50 && saturation == 50 && hue == 50; }
    // Any degree value to one of 0, 90, 180, 270: modulo 360, rounded down to 90.
    static int normaliseRotation(int degrees);
};

// How a frame's YUV values map to RGB: the matrix and whether luma spans
// 16..235 (limited, as most video) or 0..255 (full, as JPEG).
enum class ColourMatrix { Bt601, Bt709, Bt2020 };

// One decoded frame in NV12: a Y plane, then interleaved U/V at half
// resolution, in `data`. Or, where `planar` is set, 4:2:0 planes held
// elsewhere (a decoder's own picture, kept alive by `owner`) with U and V
// apart: converted from there without a copy.
struct PlanarPicture {
    const uint8_t* y = nullptr;
    const uint8_t* u = nullptr;
    const uint8_t* v = nullptr;
    int yPitch = 0, uPitch = 0, vPitch = 0;
};
struct Nv12Frame {
    PlanarPicture planar; // used instead of data when planar.y is set
    std::shared_ptr<void> owner;
    ColourMatrix matrix = ColourMatrix::Bt601;
    bool fullRange = false;
    int width = 0;
    int height = 0;
    int stride = 0; // bytes per line of either plane
    std::vector<uint8_t> data;
    const uint8_t* luma() const { return data.data(); }
    const uint8_t* chroma() const { return data.data() + static_cast<size_t>(stride) * height; }
};


// The colour conversion as integer coefficients, fixed for one set of
// brightness, contrast, saturation and hue. Every channel is computed in
// sixteenths of a level:
//   luma    L = ((Y << 8) * lumaScale) >> 16 + lumaOffset
//   chroma  C = (du * cu + dv * cv + 128) >> 8         (du = U - 128, dv = V - 128)
//   channel  = clamp((sat16(L + C) + 8) >> 4, 0, 255)  (sat16: saturate to int16)
// which both the scalar and the SSE2 paths compute exactly.
struct ColourCoefficients {
    int32_t lumaScale = 0;  // 0..~9540: luma gain (contrast and range expansion), 4.12 fixed point
    int32_t lumaOffset = 0; // in sixteenths of a level
    int16_t red[2]{}, green[2]{}, blue[2]{}; // {cu, cv}, 4.12 fixed point

    static ColourCoefficients from(const PictureSettings& settings, ColourMatrix matrix = ColourMatrix::Bt601,
                                   bool fullRange = false);
};

class FrameConverter {
  public:
    enum class Path { Scalar, Simd };
    explicit FrameConverter(Path path = Path::Simd) : path_(path) {}

    // Converts the whole frame; `out` is resized to the output geometry
    // (width and height swap for 90 and 270 degrees).
    void convert(const Nv12Frame& frame, const PictureSettings& settings, std::vector<uint32_t>& out,
                 int& outWidth, int& outHeight);

  private:
    // Colour conversion of columns [x0, x1) of every row into a buffer of the
    // frame's own width.
    void convertRegion(const Nv12Frame& frame, const PictureSettings& settings, uint32_t* out, int x0,
                       int x1);

    Path path_;
    PictureSettings coefficientSettings_;
    ColourMatrix coefficientMatrix_ = ColourMatrix::Bt601;
    bool coefficientFullRange_ = false;
    bool coefficientsReady_ = false;
    ColourCoefficients coefficients_;
    std::vector<uint32_t> scratch_;
};

} // namespace engine
