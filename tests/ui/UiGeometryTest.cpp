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

} // namespace
