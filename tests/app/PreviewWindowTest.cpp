// The picture-adjustment window on real windows: every control hands its item
// to the engine (recorded on the way), closing only hides, and with the real
// engine playing a real file the picture changes on the screen and the live
// preview follows it.
#include "PreviewWindow.h"
#include "LoopbackHttpServer.h"
#include "TestSupport.h"
#include "UiFixture.h"
#include "UiEngine.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

using namespace corvina;
using namespace testing_support;

namespace {

constexpr int kPlaying = 5;
using Settings = std::vector<std::pair<int, std::string>>;

class PreviewWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ui_testing::startUi(); }
    void SetUp() override {
        ASSERT_GT(engine.create(video.hwnd(), 0, 0, 320, 240, {}), 0);
        ASSERT_TRUE(window.load(nullptr, engine.window(), {}));
    }
    // A press and a release at (x, y) of the window's client area.
    void click(int x, int y) {
        HWND w = window.hwnd();
        SendMessageW(w, WM_MOUSEMOVE, 0, packPointer(x, y));
        SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, packPointer(x, y));
        SendMessageW(w, WM_LBUTTONUP, 0, packPointer(x, y));
    }
    Settings taken() { return std::exchange(settings, {}); }

    TestWindow video{0, 0, 320, 240, false};
    PlayerEngine engine;
    WindowHost host;
    Settings settings;
    PreviewWindow window{host, engine, [this](int item, const std::string& value) {
                             settings.push_back({item, value});
                             engine.setConfig(item, value);
                         }};
};

TEST_F(PreviewWindowTest, EachControlSetsItsItemAndClosingOnlyHides) {
    EXPECT_TRUE(settings.empty()); // the initial values are not sent

    // Brightness: a click at 75 of the 100-pixel track.
    click(60 + 75, 26 + 7);
    EXPECT_EQ(taken(), (Settings{{214, "75"}}));
    click(60 + 20, 80 + 7); // hue
    EXPECT_EQ(taken(), (Settings{{217, "20"}}));

    // EVR while Overlay is selected: both raise their event, both see EVR.
    click(276 + 8, 44 + 9);
    EXPECT_EQ(taken(), (Settings{{201, "3"}, {201, "3"}}));
    EXPECT_EQ(window.renderers[0].checked(), 0);
    click(276 + 8, 44 + 9); // the selected one again: none is selected
    EXPECT_EQ(taken(), (Settings{{201, "0"}}));
    click(168 + 8, 70 + 9); // Renderless
    EXPECT_EQ(taken(), (Settings{{201, "2"}}));

    // A switch: 画质撞墙 is item 305; a press moved off the glyph cancels.
    click(8 + 8, 156 + 9);
    EXPECT_EQ(taken(), (Settings{{305, "1"}}));
    click(8 + 8, 156 + 9);
    EXPECT_EQ(taken(), (Settings{{305, "0"}}));
    SendMessageW(window.hwnd(), WM_MOUSEMOVE, 0, packPointer(16, 104 + 9));
    SendMessageW(window.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, packPointer(16, 104 + 9));
    SendMessageW(window.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, packPointer(60, 104 + 9));
    SendMessageW(window.hwnd(), WM_LBUTTONUP, 0, packPointer(60, 104 + 9));
    EXPECT_TRUE(taken().empty());
    EXPECT_EQ(window.switches[0].checked(), 0);

    // The adjustment bar (panel at 194, 118; bar at 4, 4 in it, 108 high):
    // the bottom of its track is the maximum, the top 0; item 304 is x 90.
    click(194 + 4 + 7, 118 + 4 + 94);
    EXPECT_EQ(taken(), (Settings{{304, "32400"}}));
    click(194 + 4 + 7, 118 + 4 + 14);
    EXPECT_EQ(taken(), (Settings{{304, "0"}}));
    click(194 + 4 + 7, 118 + 4 + 3); // the top arrow at 0 stays at 0
    EXPECT_EQ(taken(), (Settings{{304, "0"}}));

    // The close button hides; the next open is the same window, same values.
    window.showCentred();
    ASSERT_TRUE(IsWindowVisible(window.hwnd()));
    ImageButton* close = host.systemButton(1);
    ASSERT_NE(close, nullptr);
    click(close->getX() + 10, close->getY() + 10);
    EXPECT_FALSE(IsWindowVisible(window.hwnd()));
    EXPECT_TRUE(IsWindow(window.hwnd()));
    window.showCentred();
    EXPECT_EQ(window.sliders[0].value(), 75);
    EXPECT_EQ(window.renderers[1].checked(), 1);
    ShowWindow(window.hwnd(), SW_HIDE);
}

// With the program's own frame image, the title colour takes only the band
// the title occupies: the rows of the first controls (from 26) are body, in
// the middle of the window as below it, and the title band is not.
TEST(PreviewWindowFrame, TheTitleBandEndsAboveTheControls) {
    ui_testing::startUi();
    const std::string png = readAll(binDirectory() + L"\\..\\frame.png");
    ASSERT_FALSE(png.empty());
    TestWindow video{0, 0, 320, 240, false};
    PlayerEngine engine;
    ASSERT_GT(engine.create(video.hwnd(), 0, 0, 320, 240, {}), 0);
    WindowHost host;
    PreviewWindow window{host, engine, [](int, const std::string&) {}};
    ASSERT_TRUE(window.load(nullptr, engine.window(), std::vector<uint8_t>(png.begin(), png.end())));
    // x 380: right of every control, inside the 9-pixel side margin.
    const uint32_t body = host.compositeLayer().pixel(378, 100);
    for (int y : {27, 30, 40, 48, 49, 60})
        EXPECT_EQ(host.compositeLayer().pixel(378, y), body) << "row " << y;
    EXPECT_NE(host.compositeLayer().pixel(378, 12), body);
}

TEST_F(PreviewWindowTest, ThePictureChangesOnScreenAndThePreviewFollowsIt) {
    // Shown: the picture is read back from the screen.
    ShowWindow(video.hwnd(), SW_SHOWNOACTIVATE);
    engine.open(gbkPath(mediaPath(L"big-tail.mp4")));
    ASSERT_TRUE(waitFor([&] { return engine.state() == kPlaying; }, 30000));
    window.showCentred();
    auto picture = [&] { return grabScreen(RECT{0, 0, 320, 240}); };
    auto brightness = [&] {
        double sum = 0;
        for (uint32_t p : picture())
            sum += (p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF);
        return sum / (320.0 * 240 * 3);
    };

    // No preview until the box is checked.
    pumpMessages(300);
    EXPECT_EQ(window.previewTicks(), 0);
    EXPECT_TRUE(window.preview.image().empty());
    click(194 + 8, 92 + 13);
    ASSERT_EQ(window.livePreview.checked(), 1);
    ASSERT_TRUE(waitFor([&] { return !window.preview.image().empty(); }, 5000));
    // At most 25 pictures a second, each the whole picture scaled to 200 x
    // 150, and no more than the preview's budget of the CPU allows.
    const int ticks = window.previewTicks();
    pumpMessages(2000);
    const double perSecond = (window.previewTicks() - ticks) / 2.0;
    EXPECT_GE(perSecond, 2);
    EXPECT_LE(perSecond, 26);
    EXPECT_LE(perSecond * window.lastPreviewCostMs() / 1000.0, PreviewWindow::kPreviewBudget * 1.5)
        << perSecond << " pictures of " << window.lastPreviewCostMs() << " ms";
    EXPECT_EQ(window.preview.image().width(), 200);

    // Pictures free what they take: memory after 1000 is what it was after 10.
    auto privateBytes = [] {
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters);
        return static_cast<double>(counters.PrivateUsage);
    };
    for (int i = 0; i < 10; ++i)
        window.previewNow();
    const double after10 = privateBytes();
    for (int i = 0; i < 990; ++i) {
        window.previewNow();
        if (i % 50 == 0)
            pumpMessages(1);
    }
    EXPECT_LT(privateBytes() - after10, 2.0 * 1024 * 1024) << after10 << " -> " << privateBytes();

    // Brightness to the top: the picture on the screen is brighter.
    engine.pause();
    ASSERT_TRUE(waitFor([&] { return engine.state() == 2; }, 10000));
    pumpMessages(300);
    const double before = brightness();
    click(60 + 100, 26 + 7);
    EXPECT_TRUE(waitFor([&] { return brightness() > before + 20; }, 5000)) << before << " -> " << brightness();

    // The horizontal switch swaps the picture's halves.
    const std::vector<uint32_t> plain = picture();
    click(8 + 8, 104 + 9);
    auto close = [](uint32_t a, uint32_t b) {
        for (int shift : {0, 8, 16})
            if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > 40)
                return false;
        return true;
    };
    // Most samples match the old picture's pixel across the middle (give or
    // take one pixel of rounding).
    auto mirrored = [&] {
        const std::vector<uint32_t> now = picture();
        int same = 0, samples = 0;
        for (int y = 4; y < 236; y += 8)
            for (int x = 4; x < 316; x += 8, ++samples)
                for (int dx : {-1, 0, 1})
                    if (close(now[static_cast<size_t>(y * 320 + x)], plain[static_cast<size_t>(y * 320 + 319 - x + dx)])) {
                        ++same;
                        break;
                    }
        return same > samples * 8 / 10;
    };
    EXPECT_TRUE(waitFor(mirrored, 5000));

    // Unchecked, the preview freezes; hidden, too.
    click(194 + 8, 92 + 13);
    pumpMessages(100);
    const int frozen = window.previewTicks();
    pumpMessages(400);
    EXPECT_EQ(window.previewTicks(), frozen);
    click(194 + 8, 92 + 13);
    ShowWindow(window.hwnd(), SW_HIDE);
    pumpMessages(100);
    const int hidden = window.previewTicks();
    pumpMessages(400);
    EXPECT_EQ(window.previewTicks(), hidden);
}

} // namespace
