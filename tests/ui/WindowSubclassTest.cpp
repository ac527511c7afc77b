// The window utility object on real windows: geometry, tracking limits, the
// movement area, and what is left after the window is gone.
#include "TestSupport.h"
#include "WindowSubclass.h"

#include <gtest/gtest.h>

#include <memory>

using namespace corvina;
using namespace testing_support;

namespace {

TEST(WindowSubclass, TracksGeometryAndHandsMessagesOn) {
    TestWindow window(30, 40, 300, 120, false);
    WindowSubclass sub;
    std::vector<UINT> seen;
    const auto record = [&](HWND h, UINT m, WPARAM w, LPARAM l) {
        seen.push_back(m);
        return sub.callPrevious(h, m, w, l);
    };
    ASSERT_TRUE(sub.attach(window.hwnd(), record));
    EXPECT_EQ(sub.getLeft(), 30);
    EXPECT_EQ(sub.getTop(), 40);
    EXPECT_EQ(sub.getWidth(), 300);
    EXPECT_EQ(sub.getClientHeight(), 120);
    SetWindowPos(window.hwnd(), nullptr, 60, 70, 320, 140, SWP_NOZORDER);
    EXPECT_EQ(sub.getLeft(), 60);
    EXPECT_EQ(sub.getWidth(), 320);
    EXPECT_EQ(sub.getHeight(), 140);
    EXPECT_NE(std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_SIZE)), seen.end());
    EXPECT_EQ(sub.getText(), "test");
    EXPECT_EQ(sub.getClassName(), "CorvinaTestWindow");
    // Attaching again replaces the first subclassing: one pass per message.
    ASSERT_TRUE(sub.attach(window.hwnd(), record));
    seen.clear();
    SendMessageW(window.hwnd(), WM_USER + 5, 0, 0);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), static_cast<UINT>(WM_USER + 5)), 1);
}

TEST(WindowSubclass, TrackLimitsAreEnforcedAndAMaximumBelowItsMinimumIsRaised) {
    TestWindow window(30, 40, 900, 600, false);
    WindowSubclass sub;
    ASSERT_TRUE(sub.attach(window.hwnd(), nullptr));
    ASSERT_TRUE(sub.setTrackLimits(770, 480, 100, 100));
    const auto limits = sub.trackLimits();
    ASSERT_TRUE(limits);
    EXPECT_EQ(limits->maxWidth, 770);
    EXPECT_EQ(limits->maxHeight, 480);
    MINMAXINFO info{};
    SendMessageW(window.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 770);
    EXPECT_EQ(info.ptMaxTrackSize.y, 480);
}

TEST(WindowSubclass, MoveBoundsWidenToTheWindowAndPinADraggedWindow) {
    TestWindow window(30, 40, 300, 100, false);
    WindowSubclass sub;
    ASSERT_TRUE(sub.attach(window.hwnd(), nullptr));
    ASSERT_TRUE(sub.setMoveBounds(0, 0, 100, 100));
    const auto bounds = sub.moveBounds();
    ASSERT_TRUE(bounds);
    EXPECT_EQ(bounds->right, 300);
    EXPECT_EQ(bounds->bottom, 100);
    ASSERT_TRUE(sub.setMoveBounds(0, 0, 1000, 700));
    struct Case {
        RECT proposed, expected;
    };
    const Case cases[] = {
        {{-50, 10, 250, 110}, {0, 10, 300, 110}},     // past the left bound: pinned, width kept
        {{800, 10, 1100, 110}, {700, 10, 1000, 110}}, // past the right
        {{10, -5, 310, 95}, {10, 0, 310, 100}},       // past the top
        {{10, 10, 310, 110}, {10, 10, 310, 110}},     // inside: untouched
    };
    for (const Case& c : cases) {
        RECT r = c.proposed;
        SendMessageW(window.hwnd(), WM_MOVING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&r));
        EXPECT_TRUE(EqualRect(&r, &c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    // A resize widens the right and bottom bounds again when needed.
    ASSERT_TRUE(sub.setMoveBounds(0, 0, 350, 100));
    SetWindowPos(window.hwnd(), nullptr, 0, 0, 400, 150, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(sub.moveBounds()->right, 400);
    EXPECT_EQ(sub.moveBounds()->bottom, 150);
}

TEST(WindowSubclass, AfterTheWindowIsDestroyedEverythingIsNeutral) {
    auto window = std::make_unique<TestWindow>(30, 40, 300, 100);
    WindowSubclass sub;
    ASSERT_TRUE(sub.attach(window->hwnd(), nullptr));
    sub.setCapture();
    EXPECT_TRUE(sub.hasCapture());
    window.reset();
    EXPECT_FALSE(sub.isAttached());
    EXPECT_EQ(sub.getWidth(), -1);
    EXPECT_EQ(sub.getLeft(), -1);
    EXPECT_FALSE(sub.hasCapture());
    EXPECT_FALSE(sub.setTrackLimits(1, 1, 2, 2));
    EXPECT_TRUE(sub.getText().empty());
    // A window that does not exist cannot be taken over.
    EXPECT_FALSE(sub.attach(reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x7FFF1234)), nullptr));
}

} // namespace
