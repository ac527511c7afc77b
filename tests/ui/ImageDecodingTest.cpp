// The program's own PNG decoder against the platform's, on files that use
// every row filter, and what it must refuse: other kinds of file go to the
// platform, damaged ones to nobody.
#include "BitmapFromImage.h"
#include "BitmapObject.h"
#include "ComPtr.h"
#include "PngDecoder.h"
#include "TestSupport.h"
#include "TopDownBitmapInfo.h"
#include "UiFixture.h"

#include <gdiplus.h>
#include <shlwapi.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

using namespace testing_support;
using namespace corvina;

namespace {

std::vector<uint8_t> fixture(const wchar_t* name) {
    return readFile(mediaPath(name));
}

// The pixels of a bitmap handle, top-down 0xAARRGGBB.
std::vector<uint32_t> bitmapPixels(HBITMAP bitmap, int& width, int& height) {
    BITMAP bm{};
    GetObjectW(bitmap, sizeof bm, &bm);
    width = bm.bmWidth;
    height = std::abs(bm.bmHeight);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO info = topDownBitmapInfo(width, height);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The platform's decoding of a file, blended over black as the program's is.
std::vector<uint32_t> platformPixels(const std::vector<uint8_t>& file, int& width, int& height) {
    ComPtr<IStream> stream(SHCreateMemStream(file.data(), static_cast<UINT>(file.size())));
    Gdiplus::GpBitmap* image = nullptr;
    if (!stream || Gdiplus::DllExports::GdipCreateBitmapFromStream(stream.get(), &image) != Gdiplus::Ok)
        return {};
    HBITMAP bitmap = nullptr;
    Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(image, &bitmap, 0xFF000000);
    Gdiplus::DllExports::GdipDisposeImage(image);
    std::vector<uint32_t> pixels = bitmap ? bitmapPixels(bitmap, width, height) : std::vector<uint32_t>{};
    if (bitmap)
        DeleteObject(bitmap);
    return pixels;
}

// A PNG assembled here, so that a test can break one thing while every length
// and checksum stays right.
struct PngParts {
    uint32_t width = 3, height = 2;
    uint8_t depth = 8, colourType = 6, interlace = 0;
    std::string rows; // filter byte + pixels per row, before compression
    std::vector<std::pair<std::string, std::string>> before, after; // chunks around the data
    bool end = true;
};

// Four bytes, most significant first.
std::string be(uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
}

std::string chunk(const std::string& type, const std::string& body) {
    const std::string typed = type + body;
    return be(static_cast<uint32_t>(body.size())) + typed +
           be(static_cast<uint32_t>(
               crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
}

std::vector<uint8_t> assemble(const PngParts& p) {
    std::string png = "\x89PNG\r\n\x1a\n";
    png += chunk("IHDR", be(p.width) + be(p.height) +
                             std::string{static_cast<char>(p.depth), static_cast<char>(p.colourType), 0, 0,
                                         static_cast<char>(p.interlace)});
    for (const auto& [type, body] : p.before)
        png += chunk(type, body);
    std::string packed(compressBound(static_cast<uLong>(p.rows.size())), '\0');
    uLongf length = static_cast<uLongf>(packed.size());
    compress(reinterpret_cast<Bytef*>(packed.data()), &length, reinterpret_cast<const Bytef*>(p.rows.data()),
             static_cast<uLong>(p.rows.size()));
    packed.resize(length);
    png += chunk("IDAT", packed);
    for (const auto& [type, body] : p.after)
        png += chunk(type, body);
    if (p.end)
        png += chunk("IEND", "");
    return {png.begin(), png.end()};
}

// Two rows of three RGBA pixels: opaque red, half-transparent green, clear.
PngParts smallPicture() {
    PngParts p;
    const std::string row = std::string("\xFF\x00\x00\xFF\x00\xFF\x00\x80\x10\x20\x30\x00", 12);
    p.rows = std::string(1, '\0') + row + std::string(1, '\0') + row;
    return p;
}

class ImageDecoding : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ui_testing::startUi(); }
};

TEST_F(ImageDecoding, OwnDecoderMatchesThePlatformOnEveryFilterAndLayout) {
    const std::vector<uint8_t> logo = readFile(std::wstring(L"Z:") + CORVINA_ASSETS_DIR L"/logo.png");
    ASSERT_FALSE(logo.empty());
    const struct {
        const char* name;
        std::vector<uint8_t> file;
    } cases[] = {{"RGBA, rows with filters 0-4, data over three chunks", fixture(L"png-rgba-filters.png")},
                 {"RGB, rows with filters 0-4", fixture(L"png-rgb-filters.png")},
                 {"one pixel", fixture(L"png-one-pixel.png")},
                 {"the program's logo", logo}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.file.empty());
        DecodedImage own;
        ASSERT_TRUE(decodePng(c.file.data(), c.file.size(), own));
        int width = 0, height = 0;
        const std::vector<uint32_t> platform = platformPixels(c.file, width, height);
        ASSERT_EQ(own.width, width);
        ASSERT_EQ(own.height, height);
        ASSERT_EQ(own.pixels.size(), platform.size());
        int worst = 0;
        for (size_t i = 0; i < platform.size(); ++i)
            for (int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(static_cast<int>((own.pixels[i] >> shift) & 0xFF) -
                                                 static_cast<int>((platform[i] >> shift) & 0xFF)));
        EXPECT_LE(worst, 1) << "largest difference of a colour level";
        // And what the program hands on is that picture.
        UniqueBitmap bitmap = bitmapFromImage(c.file);
        ASSERT_TRUE(bitmap);
        EXPECT_EQ(bitmapPixels(bitmap.get(), width, height), own.pixels);
    }
    // Blended over black, exactly: opaque red, half green, nothing.
    DecodedImage small;
    const std::vector<uint8_t> file = assemble(smallPicture());
    ASSERT_TRUE(decodePng(file.data(), file.size(), small));
    EXPECT_EQ(small.pixels[0], 0xFFFF0000u);
    EXPECT_EQ(small.pixels[1], 0xFF008000u);
    EXPECT_EQ(small.pixels[2], 0xFF000000u);
}

// The UI's images: the same straight ARGB pixels the platform's decoder gives,
// so that everything drawn from them is unchanged.
TEST_F(ImageDecoding, ImageObjectsHoldThePlatformsPixelsExactly) {
    for (const wchar_t* name : {L"png-rgba-filters.png", L"png-rgb-filters.png", L"png-one-pixel.png",
                                L"png-palette.png", L"png-interlaced.png"}) {
        SCOPED_TRACE(std::string(name, name + wcslen(name)));
        const std::vector<uint8_t> file = fixture(name);
        BitmapObject ours;
        ASSERT_TRUE(ours.fromBytes(file));
        ComPtr<IStream> stream(SHCreateMemStream(file.data(), static_cast<UINT>(file.size())));
        Gdiplus::GpBitmap* platform = nullptr;
        ASSERT_EQ(Gdiplus::DllExports::GdipCreateBitmapFromStream(stream.get(), &platform), Gdiplus::Ok);
        UINT width = 0, height = 0;
        Gdiplus::DllExports::GdipGetImageWidth(platform, &width);
        Gdiplus::DllExports::GdipGetImageHeight(platform, &height);
        ASSERT_EQ(ours.width(), static_cast<int>(width));
        ASSERT_EQ(ours.height(), static_cast<int>(height));
        int different = 0;
        for (UINT y = 0; y < height; ++y)
            for (UINT x = 0; x < width; ++x) {
                Gdiplus::ARGB a = 0, b = 0;
                Gdiplus::DllExports::GdipBitmapGetPixel(ours.native(), static_cast<INT>(x),
                                                        static_cast<INT>(y), &a);
                Gdiplus::DllExports::GdipBitmapGetPixel(platform, static_cast<INT>(x), static_cast<INT>(y),
                                                        &b);
                different += a != b;
            }
        EXPECT_EQ(different, 0);
        Gdiplus::DllExports::GdipDisposeImage(platform);
    }
}

TEST_F(ImageDecoding, OtherKindsOfFileGoToThePlatform) {
    for (const wchar_t* name : {L"png-palette.png", L"png-interlaced.png", L"png-deep.png"}) {
        SCOPED_TRACE(std::string(name, name + wcslen(name)));
        const std::vector<uint8_t> file = fixture(name);
        DecodedImage own;
        EXPECT_FALSE(decodePng(file.data(), file.size(), own));
        UniqueBitmap bitmap = bitmapFromImage(file);
        ASSERT_TRUE(bitmap);
        int width = 0, height = 0;
        bitmapPixels(bitmap.get(), width, height);
        EXPECT_EQ(width, 37);
        EXPECT_EQ(height, 23);
    }
}

TEST_F(ImageDecoding, DamagedOrHostileFilesAreRefused) {
    const std::vector<uint8_t> good = fixture(L"png-rgba-filters.png");
    ASSERT_FALSE(good.empty());
    auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + n); };
    auto flipped = [&](size_t at) {
        std::vector<uint8_t> v = good;
        v[at] ^= 0x40;
        return v;
    };
    auto built = [](const std::function<void(PngParts&)>& change) {
        PngParts p = smallPicture();
        change(p);
        return assemble(p);
    };
    const struct {
        const char* name;
        std::vector<uint8_t> file;
    } cases[] = {
        {"empty", {}},
        {"the signature alone", cut(8)},
        {"cut inside the header", cut(20)},
        {"cut inside the data", cut(good.size() / 2)},
        {"cut before the end chunk", cut(good.size() - 12)},
        {"one byte short", cut(good.size() - 1)},
        {"a header byte changed (checksum)", flipped(18)},
        {"a data byte changed (checksum)", flipped(60)},
        {"an unknown row filter", built([](PngParts& p) { p.rows[0] = 5; })},
        {"a row short", built([](PngParts& p) { p.rows.resize(p.rows.size() - 1); })},
        {"a row too many", built([](PngParts& p) { p.rows += p.rows.substr(0, 13); })},
        {"wider than the pixels", built([](PngParts& p) { p.width = 4; })},
        {"no width", built([](PngParts& p) { p.width = 0; })},
        {"a side of 4097", built([](PngParts& p) { p.width = 4097; })},
        {"a side of 2^31", built([](PngParts& p) { p.height = 0x80000000u; })},
        {"no end chunk", built([](PngParts& p) { p.end = false; })},
        {"a critical chunk it does not know", built([](PngParts& p) {
             p.before.push_back({"ABCD", "x"});
         })},
        {"a second header", built([](PngParts& p) {
             p.after.push_back({"IHDR", std::string(13, '\0')});
         })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage own;
        own.width = 5;
        EXPECT_FALSE(decodePng(c.file.data(), c.file.size(), own));
        EXPECT_EQ(own.width, 0);
        EXPECT_TRUE(own.pixels.empty());
        bitmapFromImage(c.file); // whatever the platform makes of it, nothing breaks
    }
    // Ancillary chunks anywhere are skipped.
    const std::vector<uint8_t> annotated = built([](PngParts& p) {
        p.before.push_back({"tEXt", std::string("a\0b", 3)});
    });
    DecodedImage own;
    EXPECT_TRUE(decodePng(annotated.data(), annotated.size(), own));
}

} // namespace
