// Image buttons and the frame of a host on real windows: clicks, the state
// cross-fade, the system buttons and what they do, frame zones, cursors and
// size commands.
#include "TestSupport.h"
#include "UiFixture.h"

#include <functional>

using namespace corvina;
using namespace ui_testing;
using namespace testing_support;

namespace {

// Switches the cross-fades off for a test (they are on for the program).
class NoAnimation {
  public:
    NoAnimation() : saved_(uiEngine().animationSwitch) { uiEngine().animationSwitch = false; }
    ~NoAnimation() { uiEngine().animationSwitch = saved_; }

  private:
    bool saved_;
};

class ButtonsAndFrameTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { startUi(); }

    static Endpoint* attachPlain(WindowHost& host, HWND window, const HostOptions& extra = {}) {
        HostOptions o = extra;
        o.backgroundColour = RGB(0, 0, 255);
        o.transparency = 0;
        o.borderStyle = 0;
        o.drawNow = true;
        return host.attach(window, o);
    }
    static void mouse(HWND window, UINT message, int x, int y, WPARAM keys = 0) {
        SendMessageW(window, message, keys, packPointer(x, y));
    }
    // A sheet of three 10 x 10 frames: red (normal), green (hover), blue (pressed).
    static std::vector<uint8_t> sheet() {
        return pngOf(30, 10, 0, {{{0, 0, 10, 10}, kRed}, {{10, 0, 10, 10}, kGreen}, {{20, 0, 10, 10}, kBlue}});
    }
    static std::vector<Rect> frames() { return {{0, 0, 10, 10}, {10, 0, 10, 10}, {20, 0, 10, 10}}; }
    static RECT windowRect(HWND hwnd) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        return r;
    }
    // Clicks system button `kind` at its centre.
    static void clickSystemButton(WindowHost& host, int kind) {
        ImageButton* b = host.systemButton(kind);
        const int x = b->getX() + b->getWidth() / 2, y = b->getY() + b->getHeight() / 2;
        mouse(host.hwnd(), WM_MOUSEMOVE, x, y);
        mouse(host.hwnd(), WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        mouse(host.hwnd(), WM_LBUTTONUP, x, y);
    }
};

TEST_F(ButtonsAndFrameTest, AClickIsAPressAndAReleaseOnTheButton) {
    NoAnimation still;
    // The button sits at (20, 20), 10 x 10; (100, 60) is free host area.
    struct Step {
        UINT message;
        int x, y;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        int clicks;
        int state; // after the steps
        uint32_t shown;
        bool held = false; // the button still holds the mouse
    };
    const UINT move = WM_MOUSEMOVE, down = WM_LBUTTONDOWN, up = WM_LBUTTONUP;
    const std::vector<Case> cases = {
        {"press and release", {{move, 25, 25}, {down, 25, 25}, {up, 25, 25}}, 1, ImageButton::Hover, kGreen},
        {"press without a move first", {{down, 25, 25}, {up, 25, 25}}, 1, ImageButton::Hover, kGreen},
        {"press, leave, release", {{move, 25, 25}, {down, 25, 25}, {move, 100, 60}, {up, 100, 60}}, 0,
         ImageButton::Normal, kRed},
        {"press, leave, come back, release",
         {{move, 25, 25}, {down, 25, 25}, {move, 100, 60}, {move, 26, 26}, {up, 26, 26}}, 1, ImageButton::Hover,
         kGreen},
        {"release without a press", {{move, 25, 25}, {up, 25, 25}}, 0, ImageButton::Hover, kGreen},
        {"a release elsewhere ends the press",
         {{move, 25, 25}, {down, 25, 25}, {move, 100, 60}, {up, 100, 60}, {move, 25, 25}, {up, 25, 25}}, 0,
         ImageButton::Hover, kGreen},
        {"held down", {{move, 25, 25}, {down, 25, 25}}, 0, ImageButton::Pressed, kBlue, true},
        {"held down outside", {{move, 25, 25}, {down, 25, 25}, {move, 100, 60}}, 0, ImageButton::Normal, kRed, true},
    };
    TestWindow window(50, 50, 200, 100, false);
    WindowHost host;
    Endpoint* parent = attachPlain(host, window.hwnd());
    for (const Case& c : cases) {
        SendMessageW(window.hwnd(), WM_MOUSELEAVE, 0, 0);
        int clicks = 0, tag = 0;
        ImageButton button;
        ASSERT_NE(button.create(parent, 20, 20, 10, 10, 0, {}, sheet(), [&](int t) { ++clicks, tag = t; }, 42, 0,
                                frames()),
                  nullptr);
        EXPECT_EQ(host.compositeLayer().pixel(25, 25), kRed) << c.name;
        for (const Step& s : c.steps)
            mouse(window.hwnd(), s.message, s.x, s.y, s.message == down ? MK_LBUTTON : 0);
        EXPECT_EQ(clicks, c.clicks) << c.name;
        EXPECT_EQ(button.state(), c.state) << c.name;
        EXPECT_EQ(host.compositeLayer().pixel(25, 25), c.shown) << c.name;
        if (c.clicks) {
            EXPECT_EQ(tag, 42) << c.name;
        }
        // The press holds the mouse until the release, and no longer.
        EXPECT_EQ(host.captureChild() != nullptr, c.held) << c.name;
    }
}

TEST_F(ButtonsAndFrameTest, TextAndABadImage) {
    NoAnimation still;
    TestWindow window(50, 50, 200, 100, false);
    WindowHost host;
    Endpoint* parent = attachPlain(host, window.hwnd());
    ImageButton button;
    // Bytes that are no image: the text alone is drawn, in the text colour.
    const std::vector<uint8_t> junk{'n', 'o', 'p', 'e'};
    ASSERT_NE(button.create(parent, 10, 10, 80, 30, 0, "OK", junk, {}, 0, 0, frames()), nullptr);
    button.textColourProperty(RGB(255, 255, 0));
    EXPECT_EQ(button.textColourProperty(), RGB(255, 255, 0));
    int yellowish = 0, other = 0;
    for (int y = 10; y < 40; ++y)
        for (int x = 10; x < 90; ++x) {
            const uint32_t p = host.compositeLayer().pixel(x, y);
            if (p == kBlue)
                continue;
            if ((p >> 16 & 0xFF) > 0x80 && (p >> 8 & 0xFF) > 0x80)
                ++yellowish;
            else if (p == kRed || p == kGreen)
                ++other;
        }
    EXPECT_GT(yellowish, 10); // the text, over the host's blue
    EXPECT_EQ(other, 0);      // and nothing of the frames
    EXPECT_EQ(button.textProperty("Go"), "Go");
}

TEST_F(ButtonsAndFrameTest, AnInterruptedFadeEndsOnItsTargetAndTheNextStartsThere) {
    TestWindow window(50, 50, 200, 100, false);
    WindowHost host;
    Endpoint* parent = attachPlain(host, window.hwnd());
    ImageButton button;
    ASSERT_NE(button.create(parent, 20, 20, 10, 10, 0, {}, sheet(), {}, 0, 0, frames()), nullptr);
    ASSERT_TRUE(uiEngine().animationSwitch);
    auto shown = [&] { return host.compositeLayer().pixel(25, 25); };

    mouse(window.hwnd(), WM_MOUSEMOVE, 25, 25); // normal -> hover, fading
    EXPECT_TRUE(button.fading());
    EXPECT_EQ(shown(), kRed); // nothing of the fade shows before its first step
    button.onTimer();         // step 1: red at 242, then green at 133 over it
    const uint32_t blended = shown();
    EXPECT_NEAR(static_cast<int>(blended >> 16 & 0xFF), 242 * 122 / 255, 3) << std::hex << blended;
    EXPECT_NEAR(static_cast<int>(blended >> 8 & 0xFF), 133, 3) << std::hex << blended;
    button.onTimer();

    SendMessageW(window.hwnd(), WM_MOUSELEAVE, 0, 0); // hover -> normal mid-fade
    EXPECT_EQ(shown(), kGreen);                      // the interrupted fade's target, whole
    EXPECT_TRUE(button.fading());
    EXPECT_EQ(button.fadeStep(), 0);
    button.onTimer(); // the new fade starts from the green, not from a blend
    const uint32_t next = shown();
    EXPECT_NEAR(static_cast<int>(next >> 8 & 0xFF), 242 * 122 / 255, 3) << std::hex << next;
    EXPECT_NEAR(static_cast<int>(next >> 16 & 0xFF), 133, 3) << std::hex << next;
    EXPECT_TRUE(waitFor([&] { return !button.fading(); }, 10000));
    EXPECT_EQ(shown(), kRed);
}

TEST_F(ButtonsAndFrameTest, SystemButtonsAreDrawnInARowAndAct) {
    NoAnimation still;
    TestWindow window(50, 50, 300, 200, false);
    WindowHost host;
    HostOptions o;
    o.systemButtonMask = 7;
    o.buttonSkin = 0;
    std::vector<int> told;
    int veto = 1;
    Endpoint* parent = attachPlain(host, window.hwnd(), o);
    ASSERT_NE(parent, nullptr);
    host.setFrameInset(4);
    host.setSystemButtonOrigin(4, 4);
    host.systemButtonCallbackProperty([&](Endpoint*, int kind) {
        told.push_back(kind);
        return veto;
    });
    host.redraw(false);

    // Close, maximise, minimise from the right, each cut from skin 0's sheet.
    const Rect expected[] = {{257, 4, 39, 19}, {229, 4, 28, 19}, {201, 4, 28, 19}};
    for (int kind = 1; kind <= 3; ++kind) {
        ImageButton* b = host.systemButton(kind);
        ASSERT_FALSE(b->isDestroyed());
        const Rect e = expected[kind - 1];
        EXPECT_EQ((Rect{b->getX(), b->getY(), b->getWidth(), b->getHeight()}), e) << kind;
        EXPECT_EQ(b->frames(), systemButtonFrames(0, kind)) << kind;
        // The glyph: light pixels over the host's blue in the middle of the button.
        int light = 0;
        for (int y = e.y; y < e.y + e.height; ++y)
            for (int x = e.x; x < e.x + e.width; ++x)
                if ((host.compositeLayer().pixel(x, y) >> 16 & 0xFF) > 0xA0)
                    ++light;
        EXPECT_GT(light, 8) << kind;
    }
    EXPECT_TRUE(host.systemButton(4)->isDestroyed());

    // Hovering the close button turns it red.
    mouse(window.hwnd(), WM_MOUSEMOVE, 259, 6);
    const uint32_t hot = host.compositeLayer().pixel(259, 6);
    EXPECT_GT(hot >> 16 & 0xFF, 0xB0u) << std::hex << hot;
    EXPECT_LT(hot & 0xFF, 0x60u) << std::hex << hot;

    // A nonzero callback result keeps the window; zero lets the close through.
    clickSystemButton(host, 1);
    EXPECT_EQ(told, std::vector<int>{1});
    EXPECT_TRUE(IsWindow(window.hwnd()));
    veto = 0;
    clickSystemButton(host, 3);
    EXPECT_TRUE(IsIconic(window.hwnd()));
    ShowWindow(window.hwnd(), SW_RESTORE);
    clickSystemButton(host, 1);
    EXPECT_EQ(told, (std::vector<int>{1, 3, 1}));
    EXPECT_FALSE(IsWindow(window.hwnd()));
}

TEST_F(ButtonsAndFrameTest, MaximiseFillsTheWorkAreaAndRestoreReturnsExactly) {
    NoAnimation still;
    TestWindow window(37, 41, 333, 222, false);
    WindowHost host;
    HostOptions o;
    o.systemButtonMask = 7;
    o.resizable = true;
    attachPlain(host, window.hwnd(), o);
    host.setFrameInset(4);
    host.setSystemButtonOrigin(4, 4);
    host.redraw(false);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(window.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor));
    const Rect full = maximisedRect(monitor.rcWork, 4);

    for (int round = 0; round < 2; ++round) { // twice: the saved rectangle is taken again each time
        clickSystemButton(host, 2);
        EXPECT_TRUE(host.isMaximised());
        const RECT m = windowRect(window.hwnd());
        EXPECT_EQ((Rect{m.left, m.top, m.right - m.left, m.bottom - m.top}), full);
        EXPECT_EQ(host.systemButton(2)->frames(), systemButtonFrames(0, 2, true));
        // The row follows the new width: close at the right edge again.
        EXPECT_EQ(host.systemButton(1)->getX(), full.width - 4 - 39);

        // Maximised, the frame neither sizes nor drags.
        std::vector<UINT> frameMessages;
        host.setMessageHook([&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
            if (message == WM_SYSCOMMAND || message == WM_NCLBUTTONDOWN) {
                frameMessages.push_back(message);
                return 1;
            }
            return 0;
        });
        mouse(window.hwnd(), WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
        mouse(window.hwnd(), WM_LBUTTONDOWN, 100, 100, MK_LBUTTON);
        EXPECT_TRUE(frameMessages.empty());
        host.setMessageHook({});

        clickSystemButton(host, 2);
        EXPECT_FALSE(host.isMaximised());
        const RECT r = windowRect(window.hwnd());
        EXPECT_EQ((Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}), (Rect{37, 41, 333, 222}));
        EXPECT_EQ(host.systemButton(2)->frames(), systemButtonFrames(0, 2, false));
    }
}

TEST_F(ButtonsAndFrameTest, FrameZonesSetTheirCursorAndSizeOrDrag) {
    TestWindow window(50, 50, 200, 100, false);
    WindowHost host;
    HostOptions o;
    o.resizable = true;
    attachPlain(host, window.hwnd(), o);
    host.setFrameInset(4);
    std::vector<std::pair<UINT, WPARAM>> sent;
    host.setMessageHook([&](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
        if (message == WM_SYSCOMMAND || message == WM_NCLBUTTONDOWN) {
            sent.push_back({message, wParam});
            return 1; // no modal size or move loop in a test
        }
        return 0;
    });
    struct Case {
        int x, y;
        LPCTSTR cursor;
        UINT message;
        WPARAM command;
    };
    // The visible frame is 4 in: x' = x - 4, y' = y - 4, inner size 192 x 92.
    const Case cases[] = {
        {7, 7, IDC_SIZENWSE, WM_SYSCOMMAND, 0xF004},     // x' = y' = 3: top-left wins over top
        {8, 5, IDC_SIZENS, WM_SYSCOMMAND, 0xF003},       {195, 4, IDC_SIZENESW, WM_SYSCOMMAND, 0xF005},
        {193, 4, IDC_SIZENS, WM_SYSCOMMAND, 0xF003},     // x' = W' - 3: still top, tested first
        {196, 50, IDC_SIZEWE, WM_SYSCOMMAND, 0xF002},    {196, 96, IDC_SIZENWSE, WM_SYSCOMMAND, 0xF008},
        {100, 93, IDC_SIZENS, WM_SYSCOMMAND, 0xF006},    {4, 96, IDC_SIZENESW, WM_SYSCOMMAND, 0xF007},
        {5, 50, IDC_SIZEWE, WM_SYSCOMMAND, 0xF001},      {100, 50, IDC_ARROW, WM_NCLBUTTONDOWN, HTCAPTION},
        {8, 8, IDC_ARROW, WM_NCLBUTTONDOWN, HTCAPTION}, // just inside the band
    };
    for (const Case& c : cases) {
        SetCursor(nullptr);
        mouse(window.hwnd(), WM_MOUSEMOVE, c.x, c.y);
        EXPECT_EQ(GetCursor(), LoadCursor(nullptr, c.cursor)) << c.x << "," << c.y;
        sent.clear();
        mouse(window.hwnd(), WM_LBUTTONDOWN, c.x, c.y, MK_LBUTTON);
        ASSERT_EQ(sent.size(), 1u) << c.x << "," << c.y;
        EXPECT_EQ(sent[0].first, c.message) << c.x << "," << c.y;
        EXPECT_EQ(sent[0].second, c.command) << c.x << "," << c.y;
    }
    // Outside the visible frame (the shadow) nothing happens.
    sent.clear();
    mouse(window.hwnd(), WM_LBUTTONDOWN, 1, 50, MK_LBUTTON);
    EXPECT_TRUE(sent.empty());
}

TEST_F(ButtonsAndFrameTest, SizeLimitsReachTheWindowManager) {
    TestWindow window(50, 50, 200, 100, false);
    WindowHost host;
    attachPlain(host, window.hwnd());
    host.setSizeLimits(770, 480);
    MINMAXINFO info{};
    SendMessageW(window.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 770);
    EXPECT_EQ(info.ptMinTrackSize.y, 480);
    EXPECT_EQ(info.ptMaxTrackSize.x, 99999);
    EXPECT_EQ(info.ptMaxTrackSize.y, 99999);
}

} // namespace
