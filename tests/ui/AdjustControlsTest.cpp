// The picture-adjustment controls: their mappings in tables, and on a real
// host with real messages the slider, the radio group, the scroll bar with
// its arrows, the panel and the picture box with an animated GIF.
#include "CaptionPanel.h"
#include "ControlGeometry.h"
#include "PictureBox.h"
#include "ScrollBar.h"
#include "Slider.h"
#include "TestSupport.h"
#include "ToggleControls.h"
#include "UiFixture.h"

#include <optional>

using namespace corvina;
using namespace ui_testing;
using namespace testing_support;

namespace {

TEST(AdjustGeometry, SliderThumbAndPointerMappings) {
    struct Thumb {
        int width, height, maximum, value, left;
    };
    const Thumb thumbs[] = {{100, 14, 100, 50, 46}, {100, 14, 100, 100, 92}, {100, 14, 100, 0, 0},
                            {100, 14, 100, 250, 92}, {100, 14, 0, 50, 0},    {4, 14, 100, 50, 0}};
    for (const Thumb& t : thumbs)
        EXPECT_EQ(sliderThumbLeft(t.width, t.height, t.maximum, t.value), t.left) << t.value << "/" << t.maximum;
    struct Pointer {
        int x, width, maximum, value;
    };
    const Pointer pointers[] = {{75, 100, 100, 75},  {0, 100, 100, 0},   {100, 100, 100, 100}, {150, 100, 100, 100},
                                {-5, 100, 100, 0},   {20000, 100, 100, 0}, {50, 0, 100, 0},    {50, 100, 0, 0},
                                {33, 100, 7, 2}};
    for (const Pointer& p : pointers)
        EXPECT_EQ(sliderValueAt(p.x, p.width, p.maximum), p.value) << p.x;
    // The thumb at 46, 14 high: x from 46 to 53 hits it.
    EXPECT_FALSE(sliderThumbHit(45, 46, 14));
    EXPECT_TRUE(sliderThumbHit(46, 46, 14));
    EXPECT_TRUE(sliderThumbHit(53, 46, 14));
    EXPECT_FALSE(sliderThumbHit(54, 46, 14));
}

TEST(AdjustGeometry, GlyphColumnEndsAt17) {
    EXPECT_TRUE(glyphHot(17));
    EXPECT_FALSE(glyphHot(18));
    EXPECT_TRUE(glyphPress(17));
    EXPECT_FALSE(glyphPress(18));
}

TEST(AdjustGeometry, ScrollThumbAndTrackMappings) {
    struct Case {
        int height, maximum, value;
        ScrollThumb thumb;
    };
    // 108 high, 0..360: the range exceeds the 80-pixel track, so the thumb is 30.
    const Case cases[] = {{108, 360, 0, {14, 30}},  {108, 360, 180, {39, 30}}, {108, 360, 360, {64, 30}},
                          {108, 360, 999, {64, 30}}, {108, 40, 20, {34, 40}},   {108, 0, 5, {14, 80}},
                          {20, 360, 100, {14, 30}}};
    for (const Case& c : cases) {
        const ScrollThumb t = scrollThumb(c.height, c.maximum, c.value);
        EXPECT_EQ(t.top, c.thumb.top) << c.maximum << "/" << c.value;
        EXPECT_EQ(t.height, c.thumb.height) << c.maximum << "/" << c.value;
    }
    // The top of the track is the minimum, the bottom the maximum, and the
    // thumb's centre maps back to its value.
    struct Click {
        int y, height, maximum, value;
    };
    const Click clicks[] = {{14, 108, 360, 0},    {0, 108, 360, 0},   {94, 108, 360, 360}, {108, 108, 360, 360},
                            {54, 108, 360, 180},  {29, 108, 360, 0},  {79, 108, 360, 360}, {54, 108, 0, 0},
                            {10, 20, 360, 0}};
    for (const Click& c : clicks)
        EXPECT_EQ(scrollValueAt(c.y, c.height, c.maximum), c.value) << c.y;
}

TEST(AdjustGeometry, GradientAnglesTilesAndGifDelays) {
    const int angles[][2] = {{0, 5}, {355, 360}, {360, 365}, {361, 0}, {365, 0}};
    for (const auto& a : angles)
        EXPECT_EQ(nextGradientAngle(a[0]), a[1]) << a[0];
    const int tiles[][3] = {{100, 30, 4}, {90, 30, 3}, {29, 30, 1}, {0, 30, 0}, {30, 0, 0}};
    for (const auto& t : tiles)
        EXPECT_EQ(tileCount(t[0], t[1]), t[2]) << t[0] << "/" << t[1];
    EXPECT_EQ(gifDelaysMs({20, 0, 5}, 3), (std::vector<int>{200, 100, 50}));
    EXPECT_EQ(gifDelaysMs({7}, 3), (std::vector<int>{70, 100, 100})); // fewer delays than frames
    EXPECT_EQ(gifDelaysMs({}, 2), (std::vector<int>{100, 100}));
    EXPECT_EQ(gifDelaysMs({-3}, 1), (std::vector<int>{100}));
}

// A GIF of 1 x 1 frames, each a palette index (0 red, 1 green, 2 blue) with
// its delay in hundredths of a second; no delay means no control block.
std::vector<uint8_t> gif(const std::vector<std::pair<int, std::optional<int>>>& frames) {
    std::vector<uint8_t> g = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0xF1, 0, 0,
                              255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    for (const auto& [index, delay] : frames) {
        if (delay)
            g.insert(g.end(), {0x21, 0xF9, 4, 0, static_cast<uint8_t>(*delay & 0xFF),
                               static_cast<uint8_t>(*delay >> 8), 0, 0});
        g.insert(g.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2});
        // LZW with 3-bit codes: clear (4), the index, end (5).
        g.insert(g.end(), {2, static_cast<uint8_t>(4 | index << 3 | 0x40), 1, 0});
    }
    g.push_back(0x3B);
    return g;
}

class AdjustControlsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { startUi(); }
    void SetUp() override {
        HostOptions o;
        o.backgroundColour = RGB(0, 0, 0);
        o.transparency = 0;
        o.borderStyle = 0;
        o.drawNow = true;
        parent = host.attach(window.hwnd(), o);
        ASSERT_NE(parent, nullptr);
    }
    void mouse(UINT message, int x, int y) {
        SendMessageW(window.hwnd(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, packPointer(x, y));
    }
    void click(int x, int y) {
        mouse(WM_MOUSEMOVE, x, y);
        mouse(WM_LBUTTONDOWN, x, y);
        mouse(WM_LBUTTONUP, x, y);
    }
    uint32_t shown(int x, int y) const { return host.compositeLayer().pixel(x, y); }

    TestWindow window{50, 50, 300, 200, false};
    WindowHost host;
    Endpoint* parent = nullptr;
};

TEST_F(AdjustControlsTest, SliderClicksDragsAndValues) {
    Slider slider;
    std::vector<int> events;
    ASSERT_NE(slider.create(parent, 10, 10, 100, 14, 0, {}, 100, 50, 214,
                            [&](int value, int tag) {
                                EXPECT_EQ(tag, 214);
                                events.push_back(value);
                            }),
              nullptr);
    EXPECT_EQ(slider.thumbLeft(), 46);
    click(10 + 75, 17); // on the track: jumps there, one event on release
    EXPECT_EQ(events, std::vector<int>{75});
    EXPECT_EQ(slider.thumbLeft(), 69);
    events.clear();
    click(10 + 70, 17); // on the thumb (69..76): no move, no event
    EXPECT_TRUE(events.empty());
    // A drag far left gives 0, far right the maximum; the thumb holds the mouse.
    mouse(WM_MOUSEMOVE, 10 + 72, 11);
    mouse(WM_LBUTTONDOWN, 10 + 72, 11); // any y of the control on the thumb's column
    EXPECT_EQ(host.captureChild(), slider.getEndpoint());
    mouse(WM_MOUSEMOVE, -200, 17);
    mouse(WM_MOUSEMOVE, 290, 17);
    mouse(WM_LBUTTONUP, 290, 17);
    EXPECT_EQ(events, (std::vector<int>{0, 100}));
    EXPECT_EQ(host.captureChild(), nullptr);
    events.clear();
    EXPECT_EQ(slider.value(100, true), 100); // the same value: nothing
    EXPECT_EQ(slider.value(250, true), 100); // clamped before the event
    EXPECT_EQ(events, std::vector<int>{100});
}

TEST_F(AdjustControlsTest, RadioButtonsFormOneGroup) {
    std::array<RadioButton, 3> radios;
    std::vector<int> events;
    for (int i = 0; i < 3; ++i)
        ASSERT_NE(radios[static_cast<size_t>(i)].create(parent, 10, 10 + 20 * i, 100, 18, 0, i == 0, "R", RGB(236, 236, 236),
                                                        {}, [&](int tag) { events.push_back(tag); }, i + 1),
                  nullptr);
    CheckBox box; // not a radio: untouched by the group
    box.create(parent, 150, 10, 100, 18, 0, 1, "C");
    click(10 + 8, 30 + 9); // the second: it and the first raise their event
    EXPECT_EQ(radios[0].checked(), 0);
    EXPECT_EQ(radios[1].checked(), 1);
    EXPECT_EQ(events, (std::vector<int>{1, 2}));
    EXPECT_EQ(box.checked(), 1);
    events.clear();
    click(10 + 40, 50 + 9); // on a caption: nothing
    EXPECT_TRUE(events.empty());
    click(10 + 8, 30 + 9); // the checked one again: none is checked
    EXPECT_EQ(radios[1].checked(), 0);
    EXPECT_EQ(events, std::vector<int>{2});
    events.clear();
    radios[2].checked(1); // set by the program: no event of its own
    EXPECT_EQ(events, std::vector<int>{});
}

TEST_F(AdjustControlsTest, ScrollBarTrackThumbAndArrows) {
    ScrollBar bar;
    std::vector<int> events;
    ASSERT_NE(bar.create(parent, 10, 10, 14, 108, 0, 1, 360, 0, [&](int value, int) { events.push_back(value); }),
              nullptr);
    auto at = [](int y) { return 10 + y; };
    click(17, at(94)); // the bottom of the track
    click(17, at(14)); // the top
    EXPECT_EQ(events, (std::vector<int>{360, 0}));
    events.clear();
    click(17, at(3));   // the top arrow at 0: stays 0
    click(17, at(104)); // the bottom arrow: one up
    EXPECT_EQ(events, (std::vector<int>{0, 1}));
    // Over the control the track shows; the thumb drags and clamps above.
    EXPECT_TRUE(bar.hovering());
    events.clear();
    mouse(WM_MOUSEMOVE, 17, at(bar.thumb().top + 10));
    mouse(WM_LBUTTONDOWN, 17, at(bar.thumb().top + 10));
    EXPECT_EQ(bar.thumbState(), 3);
    mouse(WM_MOUSEMOVE, 17, at(54));
    mouse(WM_MOUSEMOVE, 17, -300);
    mouse(WM_LBUTTONUP, 17, -300);
    EXPECT_EQ(events, (std::vector<int>{180, 0}));
    EXPECT_EQ(host.captureChild(), nullptr);
    SendMessageW(window.hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(bar.hovering());
}

TEST_F(AdjustControlsTest, PanelsHoldControlsAndPictureBoxesPlayGifs) {
    Panel plain;
    Endpoint* panel = plain.create(parent, 10, 10, 100, 60); // no colours: nothing of its own shows
    ASSERT_NE(panel, nullptr);
    PictureBox picture;
    ASSERT_NE(picture.create(panel, 2, 2, 20, 20), nullptr);
    // Tiled at natural size, the tiny frames show their exact colours
    // (stretching a 1 x 1 picture smooths in its transparent surroundings).
    picture.setLayout(PictureBox::Tile);
    EXPECT_EQ(shown(60, 60), 0xFF000000u);

    // Three frames: red 200 ms, green with delay 0 (100 ms), blue 50 ms.
    picture.loadImage(gif({{0, 20}, {1, 0}, {2, 5}}));
    EXPECT_TRUE(picture.animating());
    EXPECT_EQ(picture.frameDelaysMs(), (std::vector<int>{200, 100, 50}));
    EXPECT_EQ(shown(22, 22), kRed);
    const uint32_t sequence[] = {kGreen, kBlue, kRed, kGreen};
    for (uint32_t colour : sequence) {
        picture.onTimer();
        EXPECT_EQ(shown(22, 22), colour);
    }
    // Without control blocks every frame is 100 ms; the frames still advance.
    picture.loadImage(gif({{2, std::nullopt}, {0, std::nullopt}}));
    EXPECT_EQ(picture.frameDelaysMs(), (std::vector<int>{100, 100}));
    EXPECT_TRUE(waitFor([&] { return shown(22, 22) == kRed; }, 3000));
    // One frame is a still picture; a PNG stops the animation too.
    picture.loadImage(gif({{1, 30}}));
    EXPECT_FALSE(picture.animating());
    EXPECT_EQ(shown(22, 22), kGreen);
    picture.loadImage(gif({{0, 10}, {1, 10}}));
    picture.loadImage(pngOf(4, 4, kYellow));
    EXPECT_FALSE(picture.animating());
    EXPECT_EQ(shown(22, 22), kYellow);
    // Bytes that do not decode leave it empty; an empty box is never drawn into.
    picture.loadImage({'x'});
    EXPECT_EQ(shown(22, 22), 0xFF000000u);

    // The mouse goes through the picture to the control under it.
    Box below(kGrey);
    below.create(parent, {150, 10, 40, 40});
    PictureBox over;
    over.create(parent, 150, 10, 40, 40, 0, pngOf(4, 4, kYellow));
    mouse(WM_LBUTTONDOWN, 160, 20);
    EXPECT_EQ(below.count(WM_LBUTTONDOWN), 1);
}

} // namespace
