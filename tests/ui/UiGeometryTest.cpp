// The UI engine's arithmetic, without windows: hit tests, clipping, pointer
// translation, the nine-grid, border, title and button row, frame zones and
// cross-fade steps.
#include "DrawObjects.h"
#include "UiGeometry.h"
#include "WindowHost.h"

#include <gtest/gtest.h>

using namespace corvina;

namespace {

TEST(UiGeometry, HitTestsAreInclusiveOnEveryEdge) {
    const Rect r{10, 20, 30, 40};
    struct Case {
        int x, y;
        bool hit;
    };
    const Case cases[] = {{10, 20, true},  {40, 60, true},  {40, 20, true},  {10, 60, true}, {25, 40, true},
                          {9, 30, false},  {41, 30, false}, {20, 19, false}, {20, 61, false}};
    for (const Case& c : cases)
        EXPECT_EQ(containsInclusive(r, c.x, c.y), c.hit) << c.x << "," << c.y;
}

TEST(UiGeometry, ClippingShortensAtEveryEdgeAndNeverGoesNegative) {
    struct Case {
        Rect in;
        Rect out;
    };
    const Case cases[] = {
        {{-5, 0, 20, 10}, {0, 0, 15, 10}},     // a negative x shortens the width
        {{0, -3, 10, 10}, {0, 0, 10, 7}},      // and y the height
        {{90, 40, 20, 20}, {90, 40, 10, 10}},  // cut at the far edges of 100 x 50
        {{-30, 0, 20, 10}, {0, 0, 0, 10}},     // wholly outside: empty, not negative
        {{120, 60, 5, 5}, {120, 60, 0, 0}},
        {{10, 10, 30, 20}, {10, 10, 30, 20}},  // inside: unchanged
    };
    for (const Case& c : cases)
        EXPECT_EQ(clipToSize(c.in, 100, 50), c.out) << c.in.x << "," << c.in.y;
}

TEST(UiGeometry, IntersectionsAndEmptyOverlaps) {
    EXPECT_EQ(intersect({0, 0, 100, 100}, {50, 50, 100, 100}), (Rect{50, 50, 50, 50}));
    EXPECT_FALSE(intersect({0, 0, 10, 10}, {10, 0, 10, 10})); // touching edges do not overlap
    EXPECT_FALSE(intersect({0, 0, 0, 10}, {0, 0, 10, 10}));
}

TEST(UiGeometry, PointersAreSigned16BitAndTranslateBelowZero) {
    struct Case {
        int x, y, ox, oy, rx, ry;
    };
    const Case cases[] = {{100, 50, 20, 10, 80, 40}, {5, 5, 20, 10, -15, -5}, {-30, -2, 0, 0, -30, -2},
                          {-10, 300, 50, -20, -60, 320}};
    for (const Case& c : cases) {
        const LPARAM p = relativePointer(packPointer(c.x, c.y), c.ox, c.oy);
        EXPECT_EQ(pointerX(p), c.rx);
        EXPECT_EQ(pointerY(p), c.ry);
    }
}

TEST(UiGeometry, NineGridKeepsCornersAndStretchesEdges) {
    // A 30 x 60 image with margins 9, 50, 9, 9 over an 858 x 496 target.
    const auto parts = nineGrid(30, 60, {9, 50, 9, 9}, {0, 0, 858, 496});
    EXPECT_EQ(parts[0].source, (Rect{0, 0, 9, 50}));
    EXPECT_EQ(parts[0].target, (Rect{0, 0, 9, 50}));         // top-left at natural size
    EXPECT_EQ(parts[2].target, (Rect{849, 0, 9, 50}));       // top-right
    EXPECT_EQ(parts[6].target, (Rect{0, 487, 9, 9}));        // bottom-left
    EXPECT_EQ(parts[8].source, (Rect{21, 51, 9, 9}));
    EXPECT_EQ(parts[8].target, (Rect{849, 487, 9, 9}));      // bottom-right
    EXPECT_EQ(parts[1].source, (Rect{9, 0, 12, 50}));
    EXPECT_EQ(parts[1].target, (Rect{9, 0, 840, 50}));       // top edge across
    EXPECT_EQ(parts[3].target, (Rect{0, 50, 9, 437}));       // left edge down
    EXPECT_EQ(parts[4].target, (Rect{9, 50, 840, 437}));     // centre both ways
    // A minimised window (160 x 28) is smaller than the margins: nothing negative.
    for (const GridPart& p : nineGrid(30, 60, {9, 50, 9, 9}, {0, 0, 160, 28})) {
        EXPECT_GE(p.target.width, 0);
        EXPECT_GE(p.target.height, 0);
    }
}

TEST(UiGeometry, BorderStyles) {
    using S = BorderStroke;
    const std::vector<S> two = borderStrokes(2, 100, 50);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0], (S{S::Rectangle, false, 0, 0, 99, 49}));
    EXPECT_EQ(two[1], (S{S::Rectangle, true, 1, 1, 97, 47}));
    EXPECT_EQ(borderStrokes(1, 100, 50).size(), 1u);
    const std::vector<S> raised = borderStrokes(3, 100, 50);
    ASSERT_EQ(raised.size(), 4u);
    EXPECT_EQ(raised[2], (S{S::Line, false, 0, 49, 100, 49}));
    EXPECT_TRUE(borderStrokes(0, 100, 50).empty());
    EXPECT_TRUE(borderStrokes(7, 100, 50).empty());
}

TEST(UiGeometry, TitleMovesRightOfTheIcon) {
    const TitleLayout plain = titleLayout(4, false, 300);
    EXPECT_FALSE(plain.icon);
    EXPECT_EQ(plain.text, (Rect{6, 8, 300, 16}));
    const TitleLayout withIcon = titleLayout(4, true, 300);
    ASSERT_TRUE(withIcon.icon);
    EXPECT_EQ(*withIcon.icon, (Rect{8, 8, 16, 16}));
    EXPECT_EQ(withIcon.text.x, 32);
}

TEST(UiGeometry, SystemButtonRowRunsRightToLeft) {
    const std::array<SIZE, 7> skin0{{{39, 19}, {28, 19}, {28, 19}, {28, 19}, {28, 19}, {28, 19}, {28, 19}}};
    const auto row = systemButtonRow(858, 4, 4, 0, 7, skin0);
    EXPECT_EQ(row[0], (Rect{815, 4, 39, 19})); // close is the rightmost
    EXPECT_EQ(row[1], (Rect{787, 4, 28, 19}));
    EXPECT_EQ(row[2], (Rect{759, 4, 28, 19}));
    EXPECT_FALSE(row[3]);
    const auto skin1 = systemButtonRow(390, 4, 4, 1, 1, skin0);
    EXPECT_EQ(skin1[0], (Rect{346, 5, 39, 19})); // one lower, one further left
}

TEST(UiGeometry, CrossFadeSteps) {
    struct Case {
        int k;
        FadeStep step;
    };
    const Case cases[] = {{0, {255, 127}}, {1, {238, 135}}, {7, {136, 186}}, {15, {0, 255}}};
    for (const Case& c : cases)
        EXPECT_EQ(crossFadeStep(c.k, 15), c.step) << c.k;
}

TEST(UiGeometry, FrameZonesInTableOrder) {
    // 200 x 100 window, frame inset 4: the inner frame is 192 x 92.
    struct Case {
        int x, y, zone;
    };
    const Case cases[] = {{7, 7, 1},     {4, 4, 1},    {50, 4, 2},   {196, 5, 3},  {195, 50, 4}, {196, 96, 5},
                          {100, 95, 6},  {4, 96, 7},   {5, 50, 8},   {100, 50, 0}, {2, 50, 0},   {197, 50, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(frameZone(c.x, c.y, 200, 100, 4), c.zone) << c.x << "," << c.y;
    EXPECT_EQ(zoneSizeCommand(1), 0xF004u);
    EXPECT_EQ(zoneSizeCommand(8), 0xF001u);
}

TEST(UiGeometry, RoundRectCornerClampsPercent) {
    EXPECT_EQ(roundRectCorner(200, 100, 0).width, 2); // 0 works as 1
    EXPECT_EQ(roundRectCorner(200, 100, 0).height, 1);
    EXPECT_EQ(roundRectCorner(200, 100, 250).width, 200); // 250 as 100
    EXPECT_EQ(roundRectCorner(200, 100, 25).height, 25);
}

TEST(UiGeometry, ButtonFadeAlphasAtTheEndsAndMiddle) {
    struct Case {
        int k;
        FadeStep step;
    };
    const Case cases[] = {{1, {242, 133}}, {10, {127, 191}}, {19, {12, 248}}};
    for (const Case& c : cases)
        EXPECT_EQ(buttonFadeStep(c.k), c.step) << c.k;
}

TEST(UiGeometry, SystemButtonFramesOnBothSheets) {
    struct Case {
        int skin, kind;
        bool restore;
        std::vector<Rect> frames;
    };
    const std::vector<Case> cases = {
        {0, 1, false, {{0, 1, 39, 19}, {39, 1, 39, 19}, {78, 1, 39, 19}}},
        {0, 2, false, {{117, 1, 28, 19}, {145, 1, 28, 19}, {173, 1, 28, 19}}},
        {0, 2, true, {{201, 1, 28, 19}, {229, 1, 28, 19}, {257, 1, 28, 19}}},
        {0, 3, true, {{285, 1, 28, 19}, {313, 1, 28, 19}, {341, 1, 28, 19}}}, // only kind 2 has a restore glyph
        {0, 7, false, {{621, 1, 28, 19}, {649, 1, 28, 19}, {677, 1, 28, 19}}},
        {1, 1, false, {{754, 0, 42, 20}, {797, 0, 42, 20}, {840, 0, 42, 20}, {883, 0, 42, 20}}},
        {1, 2, true, {{638, 0, 28, 20}, {667, 0, 28, 20}, {696, 0, 28, 20}, {725, 0, 28, 20}}},
        {1, 6, false, {{0, 0, 28, 20}, {29, 0, 28, 20}, {58, 0, 28, 20}, {87, 0, 28, 20}}},
        {1, 7, false, {}},
        {0, 0, false, {}},
        {0, 8, false, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(systemButtonFrames(c.skin, c.kind, c.restore), c.frames) << c.skin << "/" << c.kind;
    EXPECT_EQ(systemButtonSize(0, 1).cx, 39);
    EXPECT_EQ(systemButtonSize(1, 1).cx, 42);
    EXPECT_EQ(systemButtonSize(1, 3).cy, 20);
}

TEST(UiGeometry, MaximisedRectFillsTheWorkAreaWhereverTheTaskbarIs) {
    // A 1280 x 800 screen, frame inset 4.
    struct Case {
        const char* taskbar;
        RECT work;
        Rect expected;
    };
    const Case cases[] = {
        {"bottom", {0, 0, 1280, 760}, {-4, -4, 1288, 768}}, {"top", {0, 40, 1280, 800}, {-4, 36, 1288, 768}},
        {"left", {60, 0, 1280, 800}, {56, -4, 1228, 808}},  {"right", {0, 0, 1220, 800}, {-4, -4, 1228, 808}},
        {"hidden", {0, 0, 1280, 800}, {-4, -4, 1288, 808}}, {"second monitor", {1280, 0, 2560, 1024}, {1276, -4, 1288, 1032}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(maximisedRect(c.work, 4), c.expected) << c.taskbar;
}

TEST(UiGeometry, TrackValuesDivideFirstTruncateAndStayInRange) {
    struct Case {
        int x, width, maximum, value;
    };
    const Case cases[] = {
        {153, 153, 100000, 99999},   // the right edge: the division first, then truncation
        {74, 148, 100000, 49999},    {0, 153, 100000, 0},         {1, 100, 100, 1},
        {-3, 153, 100000, 0},        // a release just left of the bar
        {-32768, 153, 100000, 0},    {400, 153, 100000, 99999},   // right of it: as at the edge
        {1000, 1000, 7200000, 7200000}, // a two-hour movie in milliseconds
        {3, 3, 2147483647, 2147483647}, // no overflow at the largest maximum
        {50, 100, 0, 0},             // no maximum
        {50, 0, 100, 0},             // no track
        {50, 100, -5, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(trackValueAt(c.x, c.width, c.maximum), c.value) << c.x << " on " << c.width << " of " << c.maximum;
}

TEST(UiGeometry, TrackBandsFollowTheValue) {
    struct Case {
        int value, width, maximum;
        float band;
    };
    const Case cases[] = {{50, 200, 100, 100.0f}, {100, 200, 100, 200.0f}, {150, 200, 100, 300.0f},
                          {-10, 200, 100, 0.0f},  {50, 200, 0, 0.0f},      {3600000, 500, 7200000, 250.0f}};
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(trackBandWidth(c.value, c.width, c.maximum), c.band) << c.value;
}

} // namespace
