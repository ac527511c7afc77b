// Hosts on real windows: the frame they draw, the composition of their
// controls, the mouse and key routing, capture, nesting and destruction.
#include "TestSupport.h"
#include "UiFixture.h"

using namespace corvina;
using namespace ui_testing;
using namespace testing_support;

namespace {

class WindowHostTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { startUi(); }

    // A blue, borderless host drawn at once.
    Endpoint* attachPlain(WindowHost& host, HWND window) {
        HostOptions o;
        o.backgroundColour = RGB(0, 0, 255);
        o.transparency = 0;
        o.borderStyle = 0;
        o.drawNow = true;
        return host.attach(window, o);
    }
    static uint32_t composite(const WindowHost& host, int x, int y) { return host.compositeLayer().pixel(x, y); }
    static uint32_t shown(WindowHost& host, int x, int y) { return host.canvas().pixel(x, y); }
    static LRESULT mouse(HWND window, UINT message, int x, int y, WPARAM wParam = 0) {
        return SendMessageW(window, message, wParam, packPointer(x, y));
    }
};

TEST_F(WindowHostTest, OverlappingChildrenKeepTheirOrderThroughPartialUpdates) {
    TestWindow window(50, 50, 200, 100, false);
    WindowHost host;
    Endpoint* parent = attachPlain(host, window.hwnd());
    ASSERT_NE(parent, nullptr);
    Box lower(kRed), upper(kGreen);
    ASSERT_NE(lower.create(parent, {10, 10, 60, 40}), nullptr);
    ASSERT_NE(upper.create(parent, {40, 20, 60, 40}), nullptr);
    EXPECT_EQ(composite(host, 20, 20), kRed);
    EXPECT_EQ(composite(host, 50, 30), kGreen);
    EXPECT_EQ(composite(host, 150, 80), kBlue);

    // The lower one redraws: the upper one is re-blended over the change.
    const int presents = host.presentCount();
    lower.colour = kYellow;
    lower.refresh();
    EXPECT_EQ(composite(host, 20, 20), kYellow);
    EXPECT_EQ(composite(host, 50, 30), kGreen);
    EXPECT_EQ(shown(host, 20, 20), kYellow);
    EXPECT_EQ(shown(host, 50, 30), kGreen);
    EXPECT_EQ(host.presentCount(), presents + 1); // one present, no full redraw

    // Hidden: gone from the picture, not blended when it or a neighbour changes.
    upper.visibleProperty(false);
    EXPECT_EQ(shown(host, 50, 30), kYellow);
    EXPECT_EQ(shown(host, 90, 50), kBlue);
    upper.colour = kWhite;
    upper.refresh();
    lower.refresh();
    host.redraw();
    EXPECT_EQ(shown(host, 90, 50), kBlue);
    EXPECT_EQ(shown(host, 50, 30), kYellow);
    upper.visibleProperty(true);
    EXPECT_EQ(shown(host, 50, 30), kWhite);
}

// A layered host built while hidden pushes nothing to the window system until
// the window is about to appear; then the picture it shows is the latest one.
TEST_F(WindowHostTest, AHiddenLayeredHostShowsItsLatestPictureWhenItAppears) {
    TestWindow window(300, 200, 120, 80, false);
    WindowHost host;
    Endpoint* parent = attachPlain(host, window.hwnd()); // layered, opaque blue
    ASSERT_NE(parent, nullptr);
    Box box(kRed);
    ASSERT_NE(box.create(parent, {10, 10, 60, 40}), nullptr);
    for (uint32_t colour : {kGreen, kYellow, kWhite}) {
        box.colour = colour;
        box.refresh();
    }
    EXPECT_EQ(shown(host, 20, 20), kWhite); // drawn, though not pushed
    for (UINT how : {0u, 1u}) {
        // Shown by ShowWindow, then (hidden and changed again) by SetWindowPos
        // that also moves it.
        if (how == 0) {
            ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);
        } else {
            ShowWindow(window.hwnd(), SW_HIDE);
            box.colour = kGreen;
            box.refresh();
            SetWindowPos(window.hwnd(), nullptr, 340, 230, 0, 0,
                         SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); // moved as it appears
        }
        const uint32_t want = (how == 0 ? kWhite : kGreen) & 0xFFFFFF; // screen pixels are 0x00RRGGBB
        EXPECT_TRUE(waitFor([&] {
            pumpMessages(20);
            const int x = how == 0 ? 300 : 340, y = how == 0 ? 200 : 230;
            return screenPixel(x + 20, y + 20) == want && screenPixel(x + 100, y + 60) == 0x0000FF;
        })) << how
            << ": " << std::hex << screenPixel(320, 220) << " " << screenPixel(400, 260);
    }
}

TEST_F(WindowHostTest, MovedAndPartlyOutsideChildren) {
    TestWindow window(50, 50, 200, 100, false);
    WindowHost host;
    Endpoint* parent = attachPlain(host, window.hwnd());
    Box mover(kRed), edge(kGreen), under(kYellow);
    under.create(parent, {0, 30, 20, 20});
    mover.create(parent, {0, 0, 40, 40});
    mover.moveTo(50, 0);
    EXPECT_EQ(shown(host, 10, 10), kBlue);   // the frame again where it was
    EXPECT_EQ(shown(host, 10, 35), kYellow); // and the child that was under it
    EXPECT_EQ(shown(host, 60, 10), kRed);
    EXPECT_EQ(shown(host, 89, 39), kRed);
    EXPECT_EQ(shown(host, 90, 10), kBlue);

    ASSERT_NE(edge.create(parent, {180, 80, 40, 40}), nullptr); // 20 x 20 of it inside
    EXPECT_EQ(shown(host, 190, 90), kGreen);
    EXPECT_EQ(shown(host, 199, 99), kGreen);
    edge.colour = kWhite;
    edge.refresh();
    EXPECT_EQ(shown(host, 185, 85), kWhite);
    EXPECT_EQ(lastDrawStatus, 0);
}

TEST_F(WindowHostTest, MouseGoesToTheTopmostChildWithInclusiveEdgesAndPassesThrough) {
    TestWindow window(50, 50, 200, 100, false);
    WindowHost host;
    Endpoint* parent = attachPlain(host, window.hwnd());
    Box a(kRed), b(kGreen);
    a.create(parent, {10, 10, 50, 50}, false, true);
    b.create(parent, {40, 40, 50, 50});
    HWND w = window.hwnd();

    mouse(w, WM_MOUSEMOVE, 60, 30); // a's right edge, above b
    ASSERT_EQ(a.count(WM_MOUSEMOVE), 1);
    EXPECT_EQ(pointerX(a.got(WM_MOUSEMOVE)[0].lParam), 50);
    EXPECT_EQ(pointerY(a.got(WM_MOUSEMOVE)[0].lParam), 20);
    EXPECT_EQ(a.count(UI_MOUSE_ENTER), 1);
    EXPECT_EQ(host.children().hotChild(), a.getEndpoint());

    mouse(w, WM_MOUSEMOVE, 50, 50); // still inside the hot child: it keeps the mouse
    EXPECT_EQ(a.count(WM_MOUSEMOVE), 2);
    SendMessageW(w, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(a.count(UI_MOUSE_LEAVE), 1);
    mouse(w, WM_MOUSEMOVE, 50, 50); // coming in fresh where both are: the later one wins
    EXPECT_EQ(b.count(WM_MOUSEMOVE), 1);
    EXPECT_EQ(a.count(WM_MOUSEMOVE), 2);
    EXPECT_EQ(pointerX(b.got(WM_MOUSEMOVE)[0].lParam), 10);

    mouse(w, WM_MOUSEMOVE, 90, 90); // b's bottom-right corner still hits
    EXPECT_EQ(b.count(WM_MOUSEMOVE), 2);

    // The wheel reaches the hot child only, with lParam 0; without one, nobody.
    mouse(w, WM_MOUSEWHEEL, 500, 500, MAKEWPARAM(0, 120));
    ASSERT_EQ(b.count(WM_MOUSEWHEEL), 1);
    EXPECT_EQ(b.got(WM_MOUSEWHEEL)[0].lParam, 0);
    EXPECT_EQ(a.count(WM_MOUSEWHEEL), 0);
    SendMessageW(w, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(host.children().hotChild(), nullptr);
    mouse(w, WM_MOUSEWHEEL, 50, 50, MAKEWPARAM(0, 120));
    EXPECT_EQ(a.count(WM_MOUSEWHEEL) + b.count(WM_MOUSEWHEEL), 1);

    // Keys: to the hot child while nothing has focus, then to the focus.
    mouse(w, WM_MOUSEMOVE, 70, 70);
    SendMessageW(w, WM_KEYDOWN, 'K', 0);
    EXPECT_EQ(b.count(WM_KEYDOWN), 1);
    mouse(w, WM_MOUSEMOVE, 20, 20);
    mouse(w, WM_LBUTTONUP, 20, 20); // a takes focus on release
    EXPECT_EQ(a.count(UI_SET_FOCUS), 1);
    EXPECT_TRUE(a.hasFocus());
    mouse(w, WM_MOUSEMOVE, 70, 70);
    SendMessageW(w, WM_KEYDOWN, 'L', 0);
    EXPECT_EQ(a.count(WM_KEYDOWN), 1);
    EXPECT_EQ(b.count(WM_KEYDOWN), 1);
}

TEST_F(WindowHostTest, ANonzeroReplyPassesTheMessageToTheChildBelow) {
    TestWindow window(50, 50, 200, 100, false);
    WindowHost host;
    Endpoint* parent = attachPlain(host, window.hwnd());
    Box below(kRed), above(kGreen);
    below.create(parent, {10, 10, 100, 60});
    above.create(parent, {30, 20, 40, 30}, /*passThrough*/ true);
    mouse(window.hwnd(), WM_LBUTTONDOWN, 40, 30);
    EXPECT_EQ(above.count(WM_LBUTTONDOWN), 1);
    ASSERT_EQ(below.count(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(pointerX(below.got(WM_LBUTTONDOWN)[0].lParam), 30);
    // The child below took it and is now the hot child: it has the next one.
    EXPECT_EQ(host.children().hotChild(), below.getEndpoint());
    mouse(window.hwnd(), WM_LBUTTONUP, 41, 31);
    EXPECT_EQ(below.count(WM_LBUTTONUP), 1);
    EXPECT_EQ(above.count(WM_LBUTTONUP), 0);
}

TEST_F(WindowHostTest, CaptureTranslatesBelowZeroAndEndsWithTheChildOrWithTheCapture) {
    TestWindow window(50, 50, 200, 100, false);
    TestWindow other(300, 50, 50, 50, false);
    WindowHost host;
    Endpoint* parent = attachPlain(host, window.hwnd());
    HWND w = window.hwnd();
    auto a = std::make_unique<Box>(kRed);
    Box b(kGreen);
    a->create(parent, {20, 10, 50, 50});
    b.create(parent, {100, 10, 50, 50});

    a->captureMouse();
    EXPECT_EQ(host.captureChild(), a->getEndpoint());
    EXPECT_EQ(host.captureRect(), (Rect{20, 10, 50, 50}));
    EXPECT_EQ(GetCapture(), w);
    mouse(w, WM_MOUSEMOVE, 5, 2); // left of and above the child
    ASSERT_EQ(a->count(WM_MOUSEMOVE), 1);
    EXPECT_EQ(pointerX(a->got(WM_MOUSEMOVE)[0].lParam), -15);
    EXPECT_EQ(pointerY(a->got(WM_MOUSEMOVE)[0].lParam), -8);
    mouse(w, WM_MOUSEMOVE, 120, 20); // over b, still a's
    EXPECT_EQ(a->count(WM_MOUSEMOVE), 2);
    EXPECT_EQ(b.count(WM_MOUSEMOVE), 0);

    // Destroyed while holding the capture: the host lets go of it.
    a.reset();
    EXPECT_EQ(host.captureChild(), nullptr);
    EXPECT_NE(GetCapture(), w);
    EXPECT_EQ(host.children().count(), 1);
    mouse(w, WM_MOUSEMOVE, 120, 20);
    EXPECT_EQ(b.count(WM_MOUSEMOVE), 1);

    // Capture lost in mid-drag: the child gets its button-up at its last point.
    b.captureMouse();
    mouse(w, WM_LBUTTONDOWN, 110, 15);
    mouse(w, WM_MOUSEMOVE, 130, 25);
    SetCapture(other.hwnd());
    ASSERT_EQ(b.count(WM_LBUTTONUP), 1);
    EXPECT_EQ(pointerX(b.got(WM_LBUTTONUP)[0].lParam), 30);
    EXPECT_EQ(pointerY(b.got(WM_LBUTTONUP)[0].lParam), 15);
    EXPECT_EQ(host.captureChild(), nullptr);
    ReleaseCapture();
}

// A control that holds others, as a panel does.
class PanelBox : public Box {
  public:
    using Box::Box;
};

TEST_F(WindowHostTest, NestedControlsCaptureInHostCoordinatesAndChangesClimb) {
    TestWindow window(50, 50, 200, 100, false);
    WindowHost host;
    Endpoint* parent = attachPlain(host, window.hwnd());
    PanelBox panel(kGrey);
    Endpoint* panelEndpoint = panel.create(parent, {20, 20, 100, 60});
    Box inner(kRed);
    ASSERT_NE(inner.create(panelEndpoint, {10, 5, 30, 20}), nullptr);
    EXPECT_EQ(inner.getHostWindow(), window.hwnd());
    EXPECT_EQ(shown(host, 35, 30), kRed);
    EXPECT_EQ(shown(host, 80, 60), kGrey);

    // A change of the inner control reaches the window.
    inner.colour = kGreen;
    inner.refresh();
    EXPECT_EQ(composite(host, 35, 30), kGreen);
    EXPECT_EQ(shown(host, 35, 30), kGreen);
    EXPECT_EQ(shown(host, 80, 60), kGrey);

    // The mouse reaches it through the panel, relative to itself.
    mouse(window.hwnd(), WM_MOUSEMOVE, 35, 30);
    ASSERT_EQ(inner.count(WM_MOUSEMOVE), 1);
    EXPECT_EQ(pointerX(inner.got(WM_MOUSEMOVE)[0].lParam), 5);

    // Its capture: the host holds the inner control's rectangle in window coordinates.
    inner.captureMouse();
    EXPECT_EQ(host.captureChild(), inner.getEndpoint());
    EXPECT_EQ(host.captureRect(), (Rect{30, 25, 30, 20}));
    mouse(window.hwnd(), WM_MOUSEMOVE, 25, 22);
    EXPECT_EQ(pointerX(inner.got(WM_MOUSEMOVE).back().lParam), -5);

    // The panel goes while its child holds the capture: nothing is left behind.
    panel.destroy();
    EXPECT_TRUE(inner.isDestroyed());
    EXPECT_EQ(host.captureChild(), nullptr);
    EXPECT_EQ(shown(host, 35, 30), kBlue);
    mouse(window.hwnd(), WM_MOUSEMOVE, 35, 30);
    EXPECT_EQ(inner.count(WM_MOUSEMOVE), 2); // only the two from before
}

TEST_F(WindowHostTest, NineGridFrameKeepsCornersAndStretchesEdges) {
    TestWindow window(50, 50, 300, 200, false);
    WindowHost host;
    HostOptions o;
    o.backgroundMode = 2;
    o.frameImage = pngOf(30, 60, kGrey,
                         {{{0, 0, 9, 50}, kRed},
                          {{21, 0, 9, 50}, kGreen},
                          {{0, 51, 9, 9}, kBlue},
                          {{21, 51, 9, 9}, kYellow},
                          {{9, 0, 12, 50}, kWhite}});
    o.frameMargins = Margins{9, 50, 9, 9};
    o.drawNow = true;
    ASSERT_NE(host.attach(window.hwnd(), o), nullptr);
    const GraphicsObject& bg = host.backgroundLayer();
    EXPECT_EQ(bg.pixel(0, 0), kRed);
    EXPECT_EQ(bg.pixel(8, 49), kRed);
    EXPECT_EQ(bg.pixel(291, 0), kGreen);
    EXPECT_EQ(bg.pixel(299, 49), kGreen);
    EXPECT_EQ(bg.pixel(290, 10), kWhite); // the top edge stretched across
    EXPECT_EQ(bg.pixel(9, 10), kWhite);
    EXPECT_EQ(bg.pixel(0, 191), kBlue);
    EXPECT_EQ(bg.pixel(299, 199), kYellow);
    EXPECT_EQ(bg.pixel(150, 120), kGrey);
    EXPECT_EQ(bg.pixel(4, 120), kGrey); // left edge: column 0..8 of row 50 of the image
    // Bigger: the corners stay at their size.
    SetWindowPos(window.hwnd(), nullptr, 0, 0, 400, 250, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(host.width(), 400);
    EXPECT_EQ(host.backgroundLayer().pixel(391, 49), kGreen);
    EXPECT_EQ(host.backgroundLayer().pixel(390, 49), kWhite);
    EXPECT_EQ(host.canvas().width(), 400);
}

TEST_F(WindowHostTest, BorderTitleAndIcon) {
    TestWindow window(50, 50, 100, 50, false);
    WindowHost host;
    HostOptions o;
    o.backgroundColour = RGB(128, 128, 128);
    o.borderStyle = 2;
    o.drawNow = true;
    host.attach(window.hwnd(), o);
    const GraphicsObject& bg = host.backgroundLayer();
    auto red = [](uint32_t p) { return static_cast<int>(p >> 16 & 0xFF); };
    EXPECT_LT(red(bg.pixel(0, 0)), 128);   // dark rectangle (0, 0, 99, 49)
    EXPECT_LT(red(bg.pixel(99, 49)), 128);
    EXPECT_GT(red(bg.pixel(1, 1)), 128);   // light rectangle (1, 1, 97, 47)
    EXPECT_GT(red(bg.pixel(98, 48)), 128);
    EXPECT_EQ(bg.pixel(5, 5), kGrey);

    TestWindow titled(50, 150, 300, 60, false);
    WindowHost titledHost;
    HostOptions t;
    t.backgroundColour = RGB(0, 0, 0);
    t.borderStyle = 0;
    t.title = "Corvina";
    t.titleIcon = pngOf(16, 16, kRed);
    titledHost.setFrameInset(4);
    t.drawNow = true;
    titledHost.attach(titled.hwnd(), t);
    const GraphicsObject& layer = titledHost.backgroundLayer();
    EXPECT_EQ(layer.pixel(8, 8), kRed);
    EXPECT_EQ(layer.pixel(23, 23), kRed);
    EXPECT_EQ(layer.pixel(24, 24), 0xFF000000u);
    int textLeft = -1, lit = 0;
    for (int x = 0; x < 300; ++x)
        for (int y = 8; y < 24; ++y)
            if (x >= 26 && layer.pixel(x, y) != 0xFF000000u) {
                ++lit;
                if (textLeft < 0 || x < textLeft)
                    textLeft = x;
            }
    EXPECT_GT(lit, 40);
    EXPECT_GE(textLeft, 32);
    EXPECT_LT(textLeft, 40);
}

TEST_F(WindowHostTest, DestroyingTheWindowReleasesChildrenAndTheWindow) {
    auto window = std::make_unique<TestWindow>(50, 50, 200, 100);
    HWND w = window->hwnd();
    SetWindowLongPtrW(w, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    WindowHost host;
    Endpoint* parent = attachPlain(host, w);
    EXPECT_EQ(GetWindowLongPtrW(w, GWL_EXSTYLE), WS_EX_TOOLWINDOW | WS_EX_LAYERED);
    Box a(kRed), b(kGreen);
    a.create(parent, {0, 0, 10, 10});
    b.create(parent, {20, 0, 10, 10});
    window.reset();
    EXPECT_TRUE(host.isDestroyed());
    EXPECT_TRUE(a.isDestroyed());
    EXPECT_TRUE(b.isDestroyed());
    EXPECT_EQ(a.count(UI_PARENT_GONE), 1);
    EXPECT_EQ(host.children().count(), 0);
    EXPECT_FALSE(host.subclass().isAttached());
    // A dead control stays quiet and can be made again on a new host.
    EXPECT_EQ(send(a.getEndpoint(), UI_IS_VISIBLE), 0);
    TestWindow again(50, 50, 200, 100, false);
    WindowHost second;
    EXPECT_NE(a.create(attachPlain(second, again.hwnd()), {0, 0, 10, 10}), nullptr);
    EXPECT_EQ(second.compositeLayer().pixel(5, 5), kRed);
    // A foreign or null parent is refused.
    Box stray;
    EXPECT_EQ(stray.create(nullptr, {0, 0, 5, 5}), nullptr);
}

TEST_F(WindowHostTest, CrossFadeBlendsOldAndNewThenSettles) {
    TestWindow window(50, 50, 200, 100, false);
    WindowHost host;
    Endpoint* parent = attachPlain(host, window.hwnd());
    Box box(0xFF000000);
    box.create(parent, {10, 10, 40, 40});
    box.beginTransition(false);
    box.surface().clear(kWhite);
    box.runTransition(15, 15);
    // Step 0, run at once: old (black) at 255 under new (white) at 127.
    const uint32_t first = host.compositeLayer().pixel(20, 20);
    EXPECT_NEAR(static_cast<int>(first & 0xFF), 127, 2) << std::hex << first;
    EXPECT_GT(box.transitionStepCount(), 0);
    EXPECT_TRUE(waitFor([&] { return box.transitionStepCount() == 0; }, 10000));
    EXPECT_EQ(host.compositeLayer().pixel(20, 20), kWhite);
}

} // namespace
