// The engine object against the real engine library beside the test program.
#include "EngineLibrary.h"
#include "PlayerEngine.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

RECT rectInParent(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class PlayerEngineTest : public ::testing::Test {
  protected:
    TestWindow parent{40, 40, 640, 480};
    corvina::PlayerEngine engine;

    void SetUp() override {
        ASSERT_GT(engine.create(parent.hwnd(), 0, 0, 640, 480, {}), 0);
        ASSERT_NE(engine.window(), nullptr);
    }
};

TEST_F(PlayerEngineTest, CreateStoresWindowRectangleAndBindsSettings) {
    EXPECT_EQ(GetParent(engine.window()), parent.hwnd());
    EXPECT_EQ(engine.left(), 0);
    EXPECT_EQ(engine.width(), 640);
    EXPECT_EQ(engine.height(), 480);
    EXPECT_EQ(engine.settings().handle(), engine.handle());
    EXPECT_EQ(engine.state(), 0);
    EXPECT_FALSE(engine.version().empty());
}

TEST_F(PlayerEngineTest, MoveThenPropertyMovesTheWindow) {
    engine.move(0, 0, 800, 450);
    EXPECT_EQ(engine.top(10), 10);
    RECT r = rectInParent(engine.window());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 450);

    // Each property stores its value and moves with the others kept.
    engine.left(5);
    engine.width(300);
    engine.height(200);
    r = rectInParent(engine.window());
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);
    // Reading does not move.
    EXPECT_EQ(engine.left(), 5);

    // A move with some values left out keeps the stored ones.
    engine.move({}, 20);
    r = rectInParent(engine.window());
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 300);
}

TEST_F(PlayerEngineTest, ConfigRoundTripsAndFlagsReadTrueOnlyForOne) {
    engine.setConfig(3, "{8A4C6F7E-2B1D-4E3A-9C5F-0D7B6E1A2F34}");
    EXPECT_EQ(engine.config(3), "{8A4C6F7E-2B1D-4E3A-9C5F-0D7B6E1A2F34}");
    corvina::EngineConfig standalone;
    standalone.bind(engine.handle());
    struct Case {
        const char* text;
        bool flag;
    } cases[] = {{"1", true}, {"01", false}, {" 1", false}, {"", false}, {"0", false}, {"true", false}};
    for (const Case& c : cases) {
        engine.setConfig(12, c.text);
        EXPECT_EQ(standalone.item12(), c.flag) << '"' << c.text << '"';
    }
    standalone.setItem12(true);
    EXPECT_EQ(engine.config(12), "1");
    standalone.setItem12(false);
    EXPECT_EQ(engine.config(12), "0");
    EXPECT_TRUE(standalone.item14(true));
    EXPECT_TRUE(standalone.item14());
    EXPECT_FALSE(standalone.item14(false));
    standalone.setItem13(42);
    EXPECT_EQ(engine.config(13), "42");
    EXPECT_EQ(standalone.item13(), 42);
    engine.setConfig(10, "a;b");
    EXPECT_EQ(standalone.item10(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(PlayerEngineTest, DownloadPercentWithNothingKnownIsZero) {
    // Item 5 reads 0 while nothing is open: no division by zero.
    EXPECT_EQ(engine.downloadPercent(), 0);
}

TEST_F(PlayerEngineTest, DestroyZeroesEverything) {
    HWND window = engine.window();
    engine.destroy();
    EXPECT_EQ(engine.handle(), 0);
    EXPECT_EQ(engine.window(), nullptr);
    EXPECT_EQ(engine.width(), 0);
    EXPECT_EQ(engine.settings().handle(), 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(PlayerEngineTest, MovedFromObjectNoLongerOwnsTheEngine) {
    const int handle = engine.handle();
    {
        corvina::PlayerEngine other(std::move(engine));
        EXPECT_EQ(other.handle(), handle);
        EXPECT_EQ(engine.handle(), 0);
        engine.destroy();                      // nothing to destroy any more
        EXPECT_FALSE(other.version().empty()); // still alive
    }
    // `other` destroyed the engine when it went.
    EXPECT_TRUE(engine.version().empty());
}

TEST_F(PlayerEngineTest, LogoShowsCentredOnBlack) {
    // A 20 x 10 opaque red BMP file as the logo.
    std::vector<uint8_t> bmp(54 + 20 * 10 * 4, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 20);
    put32(22, 10);
    bmp[26] = 1;
    bmp[28] = 32;
    for (size_t i = 54; i < bmp.size(); i += 4) {
        bmp[i + 2] = 0xFF; // red
        bmp[i + 3] = 0xFF;
    }
    ASSERT_TRUE(engine.setLogo(bmp));
    RECT r{};
    GetWindowRect(engine.window(), &r);
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    EXPECT_TRUE(waitFor([&] { return screenPixel(cx, cy) == 0xFF0000; })) << std::hex << screenPixel(cx, cy);
    EXPECT_EQ(screenPixel(r.left + 5, r.top + 5), 0x000000u);
}

std::vector<UINT> g_seenMessages;
int __stdcall recordMessage(UINT message, WPARAM, LPARAM) {
    g_seenMessages.push_back(message);
    return 0;
}

TEST_F(PlayerEngineTest, EngineWindowInputReachesTheMessageCallback) {
    std::vector<UINT>& seen = g_seenMessages;
    seen.clear();
    corvina::PlayerEngine second;
    corvina::PlayerEngine::Callbacks callbacks;
    callbacks.slots[0] = reinterpret_cast<void*>(&recordMessage);
    ASSERT_GT(second.create(parent.hwnd(), 0, 0, 100, 100, callbacks), 0);
    EXPECT_NE(second.handle(), engine.handle()); // engines are independent
    for (UINT m : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN})
        SendMessageW(second.window(), m, 0, 0);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_KEYDOWN, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK}));
}

TEST(PlayerEngineUnbound, MissingLibraryGivesNeutralValues) {
    corvina::EngineLibrary missing(L"C:\\no\\such\\folder\\APlayerCaller.dll");
    corvina::PlayerEngine engine(missing);
    TestWindow parent(0, 0, 100, 100, false);
    EXPECT_EQ(engine.create(parent.hwnd(), 0, 0, 100, 100, {}), 0);
    EXPECT_EQ(engine.window(), nullptr);
    EXPECT_EQ(engine.state(), 0);
    EXPECT_EQ(engine.duration(), 0);
    EXPECT_EQ(engine.positionText(), "0:0:0");
    EXPECT_EQ(engine.config(3), "");
    EXPECT_EQ(engine.version(), "");
    EXPECT_FALSE(engine.setLogo({1, 2, 3}));
    engine.open("x.mp4"); // nothing happens, nothing crashes
    EXPECT_FALSE(missing.loaded());
}

} // namespace
