// The player's arithmetic: the bar layout, the fade's opacities, the time
// display's texts, the buffered mark and where the main window starts.
#include "PlayerGeometry.h"

#include <gtest/gtest.h>

using namespace corvina;

namespace {

TEST(PlayerGeometry, BarLayoutAtTheMinimumAndAtFullScreenWidth) {
    struct Case {
        int width;
        BarLayout expected;
    };
    // The bar is 51 high; at the main window's minimum (770) it is 760 wide,
    // in full screen on a 1280 screen 1282.
    const Case cases[] = {
        {760,
         {{357, 6, 45, 45},
          {324, 12, 33, 33},
          {402, 12, 33, 33},
          {291, 12, 33, 33},
          {443, 21, 16, 16},
          {736, 23, 16, 16},
          {712, 23, 16, 16},
          {688, 23, 17, 17},
          {667, 23, 17, 17},
          {4, 4, 752, 3},
          {463, 27, 100, 5},
          134}},
        {1282,
         {{618, 6, 45, 45},
          {585, 12, 33, 33},
          {663, 12, 33, 33},
          {552, 12, 33, 33},
          {704, 21, 16, 16},
          {1258, 23, 16, 16},
          {1234, 23, 16, 16},
          {1210, 23, 17, 17},
          {1189, 23, 17, 17},
          {4, 4, 1274, 3},
          {724, 27, 100, 5},
          134}},
        {761, // odd: 380.5 - 22.5 = 358 exactly
         {{358, 6, 45, 45},
          {325, 12, 33, 33},
          {403, 12, 33, 33},
          {292, 12, 33, 33},
          {444, 21, 16, 16},
          {737, 23, 16, 16},
          {713, 23, 16, 16},
          {689, 23, 17, 17},
          {668, 23, 17, 17},
          {4, 4, 753, 3},
          {464, 27, 100, 5},
          134}},
    };
    for (const Case& c : cases) {
        const BarLayout l = barLayout(c.width, 51);
        const BarLayout& e = c.expected;
        EXPECT_EQ(l.play, e.play) << c.width;
        EXPECT_EQ(l.previous, e.previous) << c.width;
        EXPECT_EQ(l.next, e.next) << c.width;
        EXPECT_EQ(l.stop, e.stop) << c.width;
        EXPECT_EQ(l.mute, e.mute) << c.width;
        EXPECT_EQ(l.list, e.list) << c.width;
        EXPECT_EQ(l.fullScreen, e.fullScreen) << c.width;
        EXPECT_EQ(l.adjust, e.adjust) << c.width;
        EXPECT_EQ(l.sound, e.sound) << c.width;
        EXPECT_EQ(l.seekBar, e.seekBar) << c.width;
        EXPECT_EQ(l.volumeBar, e.volumeBar) << c.width;
        EXPECT_EQ(l.counterX, e.counterX) << c.width;
    }
}

TEST(PlayerGeometry, FadeOpacitiesRunInTenSteps) {
    struct Case {
        int step;
        bool in;
        int opacity;
    };
    const Case cases[] = {{1, true, 25},   {2, true, 51},   {5, true, 127},   {10, true, 255},
                          {1, false, 229}, {2, false, 204}, {5, false, 127},  {10, false, 0},
                          {0, true, 0},    {11, true, 255}, {11, false, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(fadeOpacity(c.step, c.in), c.opacity) << c.step << (c.in ? " in" : " out");
}

TEST(PlayerGeometry, TimeDisplayTexts) {
    EXPECT_EQ(timeDisplayText("0:1:5", "1:32:10"), "0:1:5\\1:32:10");
    EXPECT_EQ(bufferingText(35), "\xD5\xFD\xD4\xDA\xBB\xBA\xB3\xE5:35%"); // 正在缓冲:35%
    EXPECT_EQ(bufferingText(0), "\xD5\xFD\xD4\xDA\xBB\xBA\xB3\xE5:0%");
}

TEST(PlayerGeometry, BufferedMarkMultipliesFirstAndStaysInRange) {
    struct Case {
        int duration;
        int64_t read, total;
        int mark;
    };
    const int twoHours = 7200000;
    const int64_t fourGb = 4LL << 30;
    const Case cases[] = {
        {twoHours, fourGb / 2, fourGb, twoHours / 2}, // 7.2e6 x 2^31: needs 64 bits
        {twoHours, fourGb, fourGb, twoHours},
        {twoHours, 1, fourGb, 0},
        {1000, 3, 10, 300}, // dividing first would give 0
        {1000, 20, 10, 1000}, // more read than the total: at the end
        {1000, -5, 10, 0},
        {1000, 5, 0, 0},      // total not known
        {0, 5, 10, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bufferedMark(c.duration, c.read, c.total), c.mark) << c.read << "/" << c.total;
}

TEST(PlayerGeometry, MainWindowStartsWithItsDialogInsideTheWorkArea) {
    struct Case {
        const char* name;
        RECT work;
        POINT at;
    };
    // The main window is 858 x 496, the docked dialog 523 x 490: 1381 together.
    const Case cases[] = {
        {"wide screen: the pair centred", {0, 0, 1920, 1040}, {269, 272}},
        {"taskbar on the left", {100, 0, 1920, 1080}, {319, 292}},
        {"1280 wide: the main window centred", {0, 0, 1280, 800}, {211, 152}},
        {"smaller than the window", {0, 0, 800, 400}, {0, 0}},
    };
    for (const Case& c : cases) {
        const POINT p = mainWindowStart(c.work, 858, 496, 523, 490);
        EXPECT_EQ(p.x, c.at.x) << c.name;
        EXPECT_EQ(p.y, c.at.y) << c.name;
    }
}

} // namespace
