// NV12 to 32-bit BGRA, with the picture settings applied in the same pass.
// Pure arithmetic: no platform calls, so it can be tested and measured alone.
#pragma once

#include <cstdint>
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

// One decoded frame in NV12: a Y plane, then interleaved U/V at half resolution.
struct Nv12Frame {
    int width = 0;
    int height = 0;
    int stride = 0; // bytes per line of either plane
    std::vector<uint8_t> data;
    const uint8_t* luma() const { return data.data(); }
    const uint8_t* chroma() const { return data.data() + static_cast<size_t>(stride) * height; }
};

class FrameConverter {
  public:
    FrameConverter();
    // Converts the whole frame; `out` is resized to the output geometry
    // (width and height swap for 90 and 270 degrees).
    void convert(const Nv12Frame& frame, const PictureSettings& settings, std::vector<uint32_t>& out,
                 int& outWidth, int& outHeight);

    // The plain table-driven colour conversion of rows [y0, y1) and columns
    // [x0, x1) into a buffer of the frame's own width; exposed for measuring.
    void convertRegion(const Nv12Frame& frame, const PictureSettings& settings, uint32_t* out, int x0,
                       int x1);

  private:
    void prepare(const PictureSettings& settings);

    // Tables for the current colour settings.
    PictureSettings tableSettings_;
    bool tablesReady_ = false;
    int32_t lumaTable_[256]; // scaled luma with brightness and contrast, 16.16 fixed point
    int32_t chromaScale_[4]; // hue/saturation rotation matrix, 16.16
    int32_t vToR_[256], uToG_[256], vToG_[256], uToB_[256];
    uint8_t clamp_[1024 + 256]; // clamp table, index offset 512
    std::vector<uint32_t> scratch_;
};

} // namespace engine
