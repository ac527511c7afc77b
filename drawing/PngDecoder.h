// A small decoder for the PNG files the program carries itself: 8 bits per
// channel, RGB or RGB with alpha, not interlaced. The platform's decoder took
// about 30 ms for the first picture of a process (the idle logo, on the way
// to the first window); this one takes a fraction of a millisecond. Any other
// file goes to the platform's decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvina {

struct DecodedImage {
    int width = 0;
    int height = 0;
    // Top-down rows of 0xAARRGGBB.
    std::vector<uint32_t> pixels;
};

enum class PngAlpha {
    Straight,  // as stored (alpha 255 for RGB files)
    OverBlack, // blended over black, alpha 255 throughout (what is behind an idle logo)
};

// False for anything but a complete, valid file of that kind (a bad length,
// checksum, size, filter or compressed stream), leaving `out` empty.
bool decodePng(const uint8_t* data, size_t size, DecodedImage& out, PngAlpha alpha = PngAlpha::OverBlack);

} // namespace corvina
