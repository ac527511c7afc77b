#include "FrameConverter.h"

#include <gtest/gtest.h>

namespace {

using engine::FrameConverter;
using engine::Nv12Frame;
using engine::PictureSettings;

// A frame whose left half is one YUV colour and right half another.
Nv12Frame twoColourFrame(int width, int height, uint8_t y1, uint8_t u1, uint8_t v1, uint8_t y2, uint8_t u2,
                         uint8_t v2) {
    Nv12Frame f;
    f.width = width;
    f.height = height;
    f.stride = width + 16; // padded lines
    f.data.assign(static_cast<size_t>(f.stride) * height * 3 / 2, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            f.data[static_cast<size_t>(y) * f.stride + x] = x < width / 2 ? y1 : y2;
    uint8_t* chroma = f.data.data() + static_cast<size_t>(f.stride) * height;
    for (int y = 0; y < height / 2; ++y)
        for (int x = 0; x < width; x += 2) {
            chroma[static_cast<size_t>(y) * f.stride + x] = x < width / 2 ? u1 : u2;
            chroma[static_cast<size_t>(y) * f.stride + x + 1] = x < width / 2 ? v1 : v2;
        }
    return f;
}

// BT.601 limited-range red and blue.
Nv12Frame redBlue(int w = 8, int h = 4) {
    return twoColourFrame(w, h, 81, 90, 240, 41, 240, 110);
}

struct Rgb {
    int r, g, b;
};
Rgb rgb(uint32_t p) {
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
            static_cast<int>(p & 0xFF)};
}

TEST(FrameConverter, NeutralSettingsGiveTheSourceColours) {
    FrameConverter converter;
    std::vector<uint32_t> out;
    int w = 0, h = 0;
    converter.convert(redBlue(), PictureSettings{}, out, w, h);
    ASSERT_EQ(w, 8);
    ASSERT_EQ(h, 4);
    Rgb left = rgb(out[0]), right = rgb(out[7]);
    EXPECT_GT(left.r, 240);
    EXPECT_LT(left.g, 15);
    EXPECT_LT(left.b, 15);
    EXPECT_LT(right.r, 15);
    EXPECT_GT(right.b, 240);
    EXPECT_EQ(out[0] >> 24, 0xFFu); // opaque
}

TEST(FrameConverter, GeometryFollowsFlipsAndRotation) {
    FrameConverter converter;
    struct Case {
        const char* what;
        bool flipH, flipV;
        int rotation;
        int width, height;
        int redX, redY; // where the red half's corner pixel (0, 0) of the source lands
    } cases[] = {
        {"plain", false, false, 0, 8, 4, 0, 0},
        {"flip horizontally", true, false, 0, 8, 4, 7, 0},
        {"flip vertically", false, true, 0, 8, 4, 0, 3},
        {"rotate 90", false, false, 90, 4, 8, 3, 0},
        {"rotate 180", false, false, 180, 8, 4, 7, 3},
        {"rotate 270", false, false, 270, 4, 8, 0, 7},
        {"rotate 450 is 90", false, false, 450, 4, 8, 3, 0},
        {"rotate -90 is 270", false, false, -90, 4, 8, 0, 7},
        {"rotate 100 rounds down to 90", false, false, 100, 4, 8, 3, 0},
    };
    for (const Case& c : cases) {
        PictureSettings s;
        s.flipHorizontal = c.flipH;
        s.flipVertical = c.flipV;
        s.rotation = c.rotation;
        std::vector<uint32_t> out;
        int w = 0, h = 0;
        converter.convert(redBlue(), s, out, w, h);
        EXPECT_EQ(w, c.width) << c.what;
        EXPECT_EQ(h, c.height) << c.what;
        if (w == c.width && h == c.height) {
            EXPECT_GT(rgb(out[static_cast<size_t>(c.redY) * w + c.redX]).r, 240) << c.what;
        }
    }
}

TEST(FrameConverter, ColourSettingsMoveTheColours) {
    FrameConverter converter;
    auto leftPixel = [&](PictureSettings s) {
        std::vector<uint32_t> out;
        int w = 0, h = 0;
        converter.convert(redBlue(), s, out, w, h);
        return rgb(out[0]);
    };
    PictureSettings bright;
    bright.brightness = 100;
    EXPECT_GT(leftPixel(bright).g, 100);
    PictureSettings dark;
    dark.brightness = 0;
    EXPECT_LT(leftPixel(dark).r, 160);
    PictureSettings grey;
    grey.saturation = 0;
    Rgb g = leftPixel(grey);
    EXPECT_NEAR(g.r, g.g, 2);
    EXPECT_NEAR(g.g, g.b, 2);
    PictureSettings flat;
    flat.contrast = 0;
    Rgb f = leftPixel(flat);
    EXPECT_NEAR(f.r, 128, 3);
    EXPECT_NEAR(f.b, 128, 3);
    PictureSettings shifted;
    shifted.hue = 75; // a quarter turn of the colour wheel: red is no longer red
    EXPECT_LT(leftPixel(shifted).r, 200);
}

TEST(FrameConverter, CompareShowsLeftPlainRightAdjusted) {
    FrameConverter converter;
    // One colour across the whole frame, so both halves can be compared.
    Nv12Frame frame = twoColourFrame(16, 4, 81, 90, 240, 81, 90, 240);
    PictureSettings s;
    s.compare = true;
    s.brightness = 100;
    std::vector<uint32_t> out;
    int w = 0, h = 0;
    converter.convert(frame, s, out, w, h);
    EXPECT_LT(rgb(out[0]).g, 15);   // left: as decoded
    EXPECT_GT(rgb(out[15]).g, 100); // right: brighter
}

TEST(FrameConverter, EnhanceSharpensEdges) {
    FrameConverter converter;
    Nv12Frame frame = twoColourFrame(16, 8, 60, 128, 128, 180, 128, 128); // grey step
    PictureSettings plain, sharp;
    sharp.enhance = true;
    std::vector<uint32_t> a, b;
    int w = 0, h = 0;
    converter.convert(frame, plain, a, w, h);
    converter.convert(frame, sharp, b, w, h);
    const size_t row = 3 * 16;
    EXPECT_LT(rgb(b[row + 7]).g, rgb(a[row + 7]).g); // darker just left of the edge
    EXPECT_GT(rgb(b[row + 8]).g, rgb(a[row + 8]).g); // lighter just right of it
    EXPECT_EQ(b[row + 2], a[row + 2]);               // flat areas unchanged
}

TEST(FrameConverter, ShortBufferGivesNoPicture) {
    FrameConverter converter;
    Nv12Frame frame = redBlue();
    frame.data.resize(frame.data.size() / 2);
    std::vector<uint32_t> out(5);
    int w = 1, h = 1;
    converter.convert(frame, PictureSettings{}, out, w, h);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(w, 0);
}

} // namespace
