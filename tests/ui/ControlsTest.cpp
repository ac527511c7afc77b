// The control bar's track bars and text labels on real hosts: values from
// clicks and drags, the bands they draw, and labels that redraw, clear and
// detach.
#include "TestSupport.h"
#include "TextLabel.h"
#include "TrackBar.h"
#include "UiFixture.h"

using namespace corvina;
using namespace ui_testing;
using namespace testing_support;

namespace {

constexpr uint32_t kBarBackground = 0xFF2A2A2B; // RGB(42, 42, 43)
constexpr uint32_t kBuffered = 0xFF606060;      // the default buffered colour

class ControlsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { startUi(); }

    void SetUp() override {
        HostOptions o;
        o.backgroundColour = RGB(0, 0, 255);
        o.transparency = 0;
        o.borderStyle = 0;
        o.drawNow = true;
        parent = host.attach(window.hwnd(), o);
        ASSERT_NE(parent, nullptr);
    }
    // A bar at (10, 10), 100 x 6, of 0..1000 at 500, reporting into `events`.
    void makeBar() {
        TrackBarColours colours;
        colours.background = RGB(42, 42, 43);
        ASSERT_NE(bar.create(parent, 10, 10, 100, 6, 0, 7, 1000, 500,
                             [this](int value, int tag) {
                                 events.push_back(value);
                                 EXPECT_EQ(tag, 7);
                             },
                             colours),
                  nullptr);
    }
    // The bar's picture at its own x.
    uint32_t barPixel(int x) const { return host.compositeLayer().pixel(10 + x, 12); }
    void mouse(UINT message, int x, int y) {
        SendMessageW(window.hwnd(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, packPointer(x, y));
    }
    static bool isBlueBand(uint32_t p) { return (p & 0xFF) > 0xB0 && (p >> 16 & 0xFF) < 0x10; }

    TestWindow window{50, 50, 200, 100, false};
    WindowHost host;
    Endpoint* parent = nullptr;
    TrackBar bar;
    std::vector<int> events;
};

TEST_F(ControlsTest, TrackBarDrawsItsValueAndBufferedBands) {
    makeBar();
    EXPECT_TRUE(isBlueBand(barPixel(0))) << std::hex << barPixel(0);
    EXPECT_TRUE(isBlueBand(barPixel(48)));
    EXPECT_EQ(barPixel(52), kBarBackground);

    // The buffered band shows at the next draw, behind the value's band.
    bar.setBufferedValue(800);
    EXPECT_EQ(barPixel(70), kBarBackground);
    bar.value(500);
    EXPECT_EQ(barPixel(70), kBuffered);
    EXPECT_EQ(barPixel(82), kBarBackground);
    EXPECT_TRUE(isBlueBand(barPixel(48)));
    // Past the maximum it reaches the bar's end and no further.
    bar.setBufferedValue(5000);
    bar.value(500);
    EXPECT_EQ(barPixel(99), kBuffered);
    EXPECT_EQ(host.compositeLayer().pixel(112, 12), 0xFF0000FFu);

    // A lowered maximum waits for the next draw, which lowers the value.
    bar.maximum(250);
    EXPECT_EQ(bar.value(), 500);
    mouse(WM_MOUSEMOVE, 50, 12); // hovering draws, in the hover colours
    EXPECT_TRUE(bar.hovering());
    EXPECT_EQ(bar.value(), 250);
    EXPECT_GT(barPixel(99) >> 8 & 0xFF, 0xC0u) << std::hex << barPixel(99); // towards cyan
    EXPECT_TRUE(events.empty());                                           // hovering reports nothing

    // No maximum: no bands, only the background.
    bar.maximum(0);
    bar.value(10);
    EXPECT_EQ(bar.value(), 0);
    EXPECT_EQ(barPixel(0), kBarBackground);
    EXPECT_EQ(barPixel(99), kBarBackground);
}

TEST_F(ControlsTest, TrackBarClicksAndDragsReportClampedValues) {
    makeBar();
    struct Step {
        UINT message;
        int x; // window x; the bar starts at 10 and is 100 wide
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<int> events;
    };
    const UINT move = WM_MOUSEMOVE, down = WM_LBUTTONDOWN, up = WM_LBUTTONUP;
    const std::vector<Case> cases = {
        {"click", {{move, 35}, {down, 35}, {up, 35}}, {250}},
        {"drag right, past the end, back left of the bar, release left of it",
         {{move, 20}, {down, 20}, {move, 40}, {move, 150}, {move, 5}, {up, 0}},
         {300, 0, 0}},
        {"release right of the bar", {{move, 60}, {down, 60}, {up, 180}}, {1000}},
        {"release far left of the window", {{move, 60}, {down, 60}, {up, -2000}}, {0}},
        {"a move without a press", {{move, 30}, {move, 50}}, {}},
    };
    for (const Case& c : cases) {
        events.clear();
        for (const Step& s : c.steps) {
            mouse(s.message, s.x, 12);
            if (s.message == down) { // the bar holds the mouse while dragging
                EXPECT_EQ(host.captureChild(), bar.getEndpoint()) << c.name;
            }
        }
        EXPECT_EQ(events, c.events) << c.name;
        EXPECT_EQ(host.captureChild(), nullptr) << c.name;
        EXPECT_FALSE(bar.dragging()) << c.name;
        if (!c.events.empty()) {
            EXPECT_EQ(bar.value(), c.events.back()) << c.name;
        }
    }
    // Set from the program: clamped before the event sees it.
    events.clear();
    EXPECT_EQ(bar.value(5000, true), 1000);
    EXPECT_EQ(bar.value(-7, true), 0);
    bar.value(600); // no event asked for
    EXPECT_EQ(events, (std::vector<int>{1000, 0}));
}

TEST_F(ControlsTest, LabelsRedrawEveryTextClearAndDetach) {
    TextLabel label;
    ASSERT_NE(label.create(parent, 10, 10, 120, 16, 0, "00:00:00/00:00:00"), nullptr);
    auto lightPixels = [&](int x0, int y0 = 10) {
        int n = 0;
        for (int y = y0; y < y0 + 16; ++y)
            for (int x = x0; x < x0 + 120; ++x)
                if ((host.compositeLayer().pixel(x, y) >> 16 & 0xFF) > 0x60)
                    ++n;
        return n;
    };
    EXPECT_GT(lightPixels(10), 30);

    // The same text again is drawn and presented again.
    const int before = host.presentCount();
    label.text("00:00:01/00:00:02");
    label.text("00:00:01/00:00:02");
    EXPECT_EQ(host.presentCount(), before + 2);

    // An empty text leaves the host's background.
    label.text("");
    EXPECT_EQ(lightPixels(10), 0);

    // Detached, it is shown nowhere but keeps its text, and a layout that
    // still moves it does no harm.
    label.text("12:34");
    EXPECT_GT(lightPixels(10), 10);
    const int children = host.children().count();
    label.detach();
    EXPECT_EQ(host.children().count(), children - 1);
    EXPECT_EQ(lightPixels(10), 0);
    host.layoutCallbackProperty([&](Endpoint*) { label.moveTo(60, 40, 130, 16); });
    host.redraw(true);
    EXPECT_EQ(label.getX(), 60);
    label.text("56:78");
    EXPECT_EQ(label.text(), "56:78");
    EXPECT_EQ(lightPixels(60, 40), 0);
    EXPECT_EQ(lightPixels(10), 0);
}

} // namespace
