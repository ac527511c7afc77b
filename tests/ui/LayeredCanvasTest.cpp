// The layered canvas on real windows: binding, the extended style given back,
// presenting onto the display, clearing, resizing and snapshots.
#include "DrawStatus.h"
#include "GdiplusSession.h"
#include "LayeredCanvas.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace corvina;
using namespace testing_support;

namespace {

class LayeredCanvasTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gdiplus().startup()); }
    static GdiplusSession& gdiplus() {
        static GdiplusSession session;
        return session;
    }
    static LONG_PTR exStyle(HWND window) { return GetWindowLongPtrW(window, GWL_EXSTYLE); }
};

TEST_F(LayeredCanvasTest, BindMakesTheWindowLayeredAndReleaseGivesItsStyleBack) {
    struct Case {
        const char* what;
        LONG_PTR styleBefore;
    };
    const Case cases[] = {
        {"plain window", 0},
        {"already layered", WS_EX_LAYERED},
        {"tool window", WS_EX_TOOLWINDOW},
    };
    for (const Case& c : cases) {
        TestWindow window(40, 40, 120, 70, false);
        SetWindowLongPtrW(window.hwnd(), GWL_EXSTYLE, c.styleBefore);
        LayeredCanvas canvas;
        ASSERT_TRUE(canvas.bind(window.hwnd())) << c.what;
        EXPECT_EQ(exStyle(window.hwnd()), c.styleBefore | WS_EX_LAYERED) << c.what;
        EXPECT_EQ(canvas.width(), 120) << c.what;
        EXPECT_EQ(canvas.height(), 70) << c.what;
        EXPECT_EQ(canvas.alpha(), 255) << c.what;
        EXPECT_EQ(canvas.window(), window.hwnd()) << c.what;
        EXPECT_NE(canvas.memoryDc(), nullptr) << c.what;
        EXPECT_TRUE(canvas.release()) << c.what;
        EXPECT_EQ(exStyle(window.hwnd()), c.styleBefore) << c.what;
        EXPECT_EQ(canvas.window(), nullptr) << c.what;
        EXPECT_EQ(canvas.memoryDc(), nullptr) << c.what;
        EXPECT_EQ(canvas.native(), nullptr) << c.what;
    }
}

TEST_F(LayeredCanvasTest, ChildWindowIsRefusedAndAlphaNeedsABinding) {
    TestWindow parent(40, 40, 120, 70, false);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent.hwnd(),
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(child, nullptr);
    LayeredCanvas canvas;
    EXPECT_FALSE(canvas.bind(child));
    EXPECT_EQ(exStyle(child) & WS_EX_LAYERED, 0);
    EXPECT_EQ(canvas.memoryDc(), nullptr);
    EXPECT_FALSE(canvas.setAlpha(100));
    EXPECT_EQ(canvas.alpha(), 0);
    EXPECT_FALSE(canvas.presentAtWindow());
    EXPECT_TRUE(canvas.snapshot("").empty());
    DestroyWindow(child);
}

TEST_F(LayeredCanvasTest, DrawingIsPresentedOntoTheDisplayWithItsAlpha) {
    TestWindow window(60, 60, 100, 50); // shown: the test reads the screen
    LayeredCanvas canvas;
    ASSERT_TRUE(canvas.bind(window.hwnd()));
    SolidBrush red(0xFFFF0000), halfBlue(0x800000FF);
    ASSERT_TRUE(canvas.fillRectangle(red, 0, 0, 50, 50));
    ASSERT_TRUE(canvas.fillRectangle(halfBlue, 50, 0, 50, 50));
    ASSERT_TRUE(canvas.presentAtWindow());
    EXPECT_EQ(lastDrawStatus, 0);
    // The surface holds premultiplied BGRA.
    EXPECT_EQ(canvas.pixel(10, 10), 0xFFFF0000u);
    const uint32_t blue = canvas.pixel(70, 10);
    EXPECT_NEAR(static_cast<int>(blue >> 24), 0x80, 1);
    EXPECT_NEAR(static_cast<int>(blue & 0xFF), 0x80, 1);
    // Without a compositor the layer is blended over black.
    EXPECT_TRUE(waitFor([&] { return screenPixel(70, 70) == 0xFF0000; })) << std::hex << screenPixel(70, 70);
    EXPECT_TRUE(waitFor([&] {
        const COLORREF p = screenPixel(130, 70);
        return (p >> 16) == 0 && (p & 0xFF) > 0x70 && (p & 0xFF) < 0x90;
    })) << std::hex
        << screenPixel(130, 70);
    // Half the constant alpha halves what is shown.
    ASSERT_TRUE(canvas.setAlpha(128));
    ASSERT_TRUE(canvas.presentAtWindow());
    EXPECT_TRUE(waitFor([&] {
        const COLORREF p = screenPixel(70, 70);
        return (p >> 16) > 0x70 && (p >> 16) < 0x90;
    })) << std::hex
        << screenPixel(70, 70);
}

TEST_F(LayeredCanvasTest, ClearRectMakesTheAreaTransparentAndResizeStartsEmpty) {
    TestWindow window(40, 40, 100, 50, false);
    LayeredCanvas canvas;
    ASSERT_TRUE(canvas.bind(window.hwnd()));
    SolidBrush green(0xFF00FF00);
    canvas.fillRectangle(green, 0, 0, 100, 50);
    canvas.flush();
    ASSERT_TRUE(canvas.clearRect(10, 10, 20, 20));
    GdiFlush();
    EXPECT_EQ(canvas.pixel(15, 15), 0u);
    EXPECT_EQ(canvas.pixel(29, 29), 0u);
    EXPECT_EQ(canvas.pixel(30, 30), 0xFF00FF00u);
    EXPECT_EQ(canvas.pixel(9, 9), 0xFF00FF00u);
    ASSERT_TRUE(canvas.resize(160, 90));
    EXPECT_EQ(canvas.width(), 160);
    EXPECT_EQ(canvas.height(), 90);
    EXPECT_EQ(canvas.pixel(0, 0), 0u);
    EXPECT_EQ(canvas.pixel(159, 89), 0u);
    EXPECT_TRUE(canvas.fillRectangle(green, 150, 80, 10, 10));
}

TEST_F(LayeredCanvasTest, SnapshotIsAnImageOfTheSurface) {
    TestWindow window(40, 40, 100, 50, false);
    LayeredCanvas canvas;
    ASSERT_TRUE(canvas.bind(window.hwnd()));
    SolidBrush red(0xFFFF0000);
    canvas.fillRectangle(red, 0, 0, 100, 25);
    const std::vector<uint8_t> png = canvas.snapshot("");
    ASSERT_GT(png.size(), 24u);
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(std::equal(signature, signature + 8, png.begin()));
    auto be32 = [&](size_t at) {
        return static_cast<uint32_t>(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    };
    EXPECT_EQ(be32(16), 100u); // IHDR width
    EXPECT_EQ(be32(20), 50u);  // IHDR height
    // Another format by its identifier (BMP); an unknown one gives nothing.
    const std::vector<uint8_t> bmp = canvas.snapshot("{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}");
    ASSERT_GT(bmp.size(), 2u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_TRUE(canvas.snapshot("{00000000-0000-0000-0000-000000000000}").empty());
}

} // namespace
