#include "FrameConverter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

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

Nv12Frame randomFrame(int width, int height, int stride, unsigned seed) {
    Nv12Frame f;
    f.width = width;
    f.height = height;
    f.stride = stride;
    f.data.resize(static_cast<size_t>(stride) * (height + (height + 1) / 2));
    std::mt19937 random(seed);
    for (auto& b : f.data)
        b = static_cast<uint8_t>(random());
    return f;
}

// The colour settings in floating point, straight from their definition.
Rgb exactColour(int Y, int U, int V, const PictureSettings& s) {
    const double contrast = s.contrast / 50.0, saturation = s.saturation / 50.0;
    const double hue = (s.hue - 50) * 3.14159265358979 / 50.0;
    const double du = U - 128, dv = V - 128;
    const double c = std::cos(hue) * saturation * contrast, sn = std::sin(hue) * saturation * contrast;
    const double u = c * du - sn * dv, v = sn * du + c * dv;
    const double l = (1.164383 * (Y - 16) - 128) * contrast + 128 + (s.brightness - 50) * 128.0 / 50.0;
    auto level = [](double x) { return static_cast<int>(std::lround(std::clamp(x, 0.0, 255.0))); };
    return {level(l + 1.596027 * v), level(l - 0.391762 * u - 0.812968 * v), level(l + 2.017232 * u)};
}

TEST(FrameConverter, IntegerConversionStaysWithinALevelOfTheExactColours) {
    struct Case {
        int brightness, contrast, saturation, hue;
    };
    const Case cases[] = {{50, 50, 50, 50},  {0, 50, 50, 50}, {100, 50, 50, 50}, {50, 0, 50, 50},
                          {50, 100, 50, 50}, {50, 50, 0, 50}, {50, 50, 100, 50}, {50, 50, 50, 0},
                          {50, 50, 50, 75},  {30, 70, 60, 40}};
    const Nv12Frame frame = randomFrame(64, 16, 64, 11);
    FrameConverter converter;
    for (const Case& c : cases) {
        PictureSettings s;
        s.brightness = c.brightness;
        s.contrast = c.contrast;
        s.saturation = c.saturation;
        s.hue = c.hue;
        std::vector<uint32_t> out;
        int w = 0, h = 0;
        converter.convert(frame, s, out, w, h);
        ASSERT_EQ(out.size(), 64u * 16u);
        int worst = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 64; ++x) {
                const uint8_t* chroma = frame.chroma() + (y / 2) * 64 + (x & ~1);
                const Rgb want = exactColour(frame.luma()[y * 64 + x], chroma[0], chroma[1], s);
                const Rgb got = rgb(out[static_cast<size_t>(y) * 64 + x]);
                worst = std::max(
                    {worst, std::abs(got.r - want.r), std::abs(got.g - want.g), std::abs(got.b - want.b)});
            }
        EXPECT_LE(worst, 1) << c.brightness << " " << c.contrast << " " << c.saturation << " " << c.hue;
    }
}

// The SSE2 path must give exactly the scalar reference's pixels, for odd sizes,
// padded lines and every picture setting.
TEST(FrameConverter, SimdPathEqualsTheScalarReference) {
    struct Size {
        int width, height, stride;
    };
    const Size sizes[] = {{2, 2, 2}, {7, 3, 8}, {17, 5, 32}, {64, 4, 64}, {1280, 6, 1344}, {33, 9, 34}};
    const int levels[] = {0, 1, 24, 50, 77, 99, 100};
    FrameConverter simd(FrameConverter::Path::Simd), scalar(FrameConverter::Path::Scalar);
    unsigned seed = 1;
    int compared = 0;
    for (const Size& size : sizes) {
        const Nv12Frame frame = randomFrame(size.width, size.height, size.stride, seed++);
        auto same = [&](const PictureSettings& s) {
            std::vector<uint32_t> a, b;
            int aw = 0, ah = 0, bw = 0, bh = 0;
            simd.convert(frame, s, a, aw, ah);
            scalar.convert(frame, s, b, bw, bh);
            ++compared;
            return aw == bw && ah == bh && a == b;
        };
        for (int brightness : levels)
            for (int contrast : levels)
                for (int saturation : levels)
                    for (int hue : levels) {
                        PictureSettings s;
                        s.brightness = brightness;
                        s.contrast = contrast;
                        s.saturation = saturation;
                        s.hue = hue;
                        ASSERT_TRUE(same(s)) << size.width << "x" << size.height << " " << brightness << " "
                                             << contrast << " " << saturation << " " << hue;
                    }
        for (int geometry = 0; geometry < 64; ++geometry) {
            PictureSettings s;
            s.flipHorizontal = geometry & 1;
            s.flipVertical = geometry & 2;
            s.rotation = (geometry >> 2 & 3) * 90;
            s.enhance = geometry & 16;
            s.compare = geometry & 32;
            s.brightness = 70;
            s.hue = 30;
            ASSERT_TRUE(same(s)) << size.width << "x" << size.height << " geometry " << geometry;
        }
    }
    EXPECT_GT(compared, 10000);
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

namespace {

// One NV12 chroma row woven from a U row and a V row: u0 v0 u1 v1 ...
void interleaveChroma(const uint8_t* u, const uint8_t* v, uint8_t* out, int count) {
    for (int i = 0; i < count; ++i) {
        out[2 * i] = u[i];
        out[2 * i + 1] = v[i];
    }
}

} // namespace

namespace {

// A decoder's own 4:2:0 planes (U and V apart, pitches of their own) convert
// to exactly the pixels of the same picture woven into NV12, on both paths,
// with odd widths and padded pitches; and the matrix and range change the
// colours as they should.
TEST(FrameConverter, PlanarPlanesEqualTheSamePictureWovenIntoNv12) {
    struct Size {
        int width, height, yPitch, cPitch;
    };
    const Size sizes[] = {
        {2, 2, 2, 1}, {18, 4, 32, 16}, {64, 6, 80, 40}, {1280, 4, 1344, 672}, {34, 8, 34, 17}};
    unsigned seed = 5;
    for (const Size& size : sizes) {
        std::mt19937 random(seed++);
        std::vector<uint8_t> y(static_cast<size_t>(size.yPitch) * size.height);
        std::vector<uint8_t> u(static_cast<size_t>(size.cPitch) * size.height / 2), v(u.size());
        for (auto* plane : {&y, &u, &v})
            for (auto& b : *plane)
                b = static_cast<uint8_t>(random());
        Nv12Frame planar;
        planar.width = size.width;
        planar.height = size.height;
        planar.planar = {y.data(), u.data(), v.data(), size.yPitch, size.cPitch, size.cPitch};
        Nv12Frame woven;
        woven.width = size.width;
        woven.height = size.height;
        woven.stride = size.width;
        woven.data.resize(static_cast<size_t>(size.width) * size.height * 3 / 2);
        for (int row = 0; row < size.height; ++row)
            std::copy_n(&y[static_cast<size_t>(row) * size.yPitch], size.width,
                        &woven.data[static_cast<size_t>(row) * size.width]);
        for (int row = 0; row < size.height / 2; ++row)
            interleaveChroma(
                &u[static_cast<size_t>(row) * size.cPitch], &v[static_cast<size_t>(row) * size.cPitch],
                &woven.data[static_cast<size_t>(size.width) * (size.height + row)], size.width / 2);
        for (auto path : {FrameConverter::Path::Simd, FrameConverter::Path::Scalar})
            for (engine::ColourMatrix matrix :
                 {engine::ColourMatrix::Bt601, engine::ColourMatrix::Bt709, engine::ColourMatrix::Bt2020})
                for (bool full : {false, true}) {
                    planar.matrix = woven.matrix = matrix;
                    planar.fullRange = woven.fullRange = full;
                    FrameConverter a(path), b(path);
                    std::vector<uint32_t> fromPlanar, fromWoven;
                    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
                    PictureSettings s;
                    s.saturation = 70;
                    a.convert(planar, s, fromPlanar, w1, h1);
                    b.convert(woven, s, fromWoven, w2, h2);
                    ASSERT_EQ(fromPlanar.size(), static_cast<size_t>(size.width) * size.height);
                    EXPECT_EQ(fromPlanar, fromWoven) << size.width << "x" << size.height;
                }
    }
}

// A flat colour in each matrix and range comes out as the colour it encodes
// (within 2 levels): BT.601 and BT.709 limited-range and full-range red.
TEST(FrameConverter, TheStreamsMatrixAndRangeGiveTheColourItEncodes) {
    struct Case {
        engine::ColourMatrix matrix;
        bool full;
        int Y, U, V; // what an encoder writes for pure red (255, 0, 0)
    };
    const Case cases[] = {
        {engine::ColourMatrix::Bt601, false, 81, 90, 240},
        {engine::ColourMatrix::Bt709, false, 63, 102, 240},
        {engine::ColourMatrix::Bt601, true, 76, 85, 255},
        {engine::ColourMatrix::Bt709, true, 54, 99, 255},
    };
    for (const Case& c : cases) {
        Nv12Frame f = twoColourFrame(16, 4, static_cast<uint8_t>(c.Y), static_cast<uint8_t>(c.U),
                                     static_cast<uint8_t>(c.V), static_cast<uint8_t>(c.Y),
                                     static_cast<uint8_t>(c.U), static_cast<uint8_t>(c.V));
        f.matrix = c.matrix;
        f.fullRange = c.full;
        FrameConverter converter;
        std::vector<uint32_t> out;
        int w = 0, h = 0;
        converter.convert(f, PictureSettings{}, out, w, h);
        const Rgb got = rgb(out[8]);
        EXPECT_GE(got.r, 252) << static_cast<int>(c.matrix) << " " << c.full;
        EXPECT_LE(got.g, 3) << static_cast<int>(c.matrix) << " " << c.full;
        EXPECT_LE(got.b, 3) << static_cast<int>(c.matrix) << " " << c.full;
    }
}

} // namespace
