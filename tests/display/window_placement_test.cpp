#include "display/window_placement.h"

#include <gtest/gtest.h>

#include <climits>

namespace kestrin {
namespace {

// Two screens side by side: 1920 x 1080 with a 40-pixel panel at its bottom (the primary), and
// 1280 x 1024 to its right with no panel. The meter's frame is 128 x 368.
const ScreenArea kFirst{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}};
const ScreenArea kSecond{{1920, 0, 1280, 1024}, {1920, 0, 1280, 1024}};
const std::vector<ScreenArea> kBoth = {kFirst, kSecond};
constexpr int kFrameWidth = 128;
constexpr int kFrameHeight = 368;

struct PlaceCase {
    const char* name;
    FramePosition stored;
    std::vector<ScreenArea> screens;
    FramePosition expected;
};

class WindowPlacement : public testing::TestWithParam<PlaceCase> {};

TEST_P(WindowPlacement, StandsWholeOnAScreen) {
    const PlaceCase& c = GetParam();
    EXPECT_EQ(PlaceWindow(c.stored, kFrameWidth, kFrameHeight, c.screens, kFirst.workArea),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowPlacement,
    testing::Values(
        PlaceCase{"WholeAlreadyStays", {200, 200}, kBoth, {200, 200}},
        PlaceCase{"OverThePanelRisesAboveIt", {300, 1000}, kBoth, {300, 1040 - 368}},
        PlaceCase{"BelowTheSecondScreenRises", {2500, 900}, kBoth, {2500, 1024 - 368}},
        // 32 pixels of title bar left of the right edge, 8 rows above the bottom edge.
        PlaceCase{"ACornerOfTheSecondComesIn", {3168, 1016}, kBoth, {3200 - 128, 1024 - 368}},
        // 20 columns of title bar on the first screen, too few; 108 on the second.
        PlaceCase{"AcrossTheEdgeGoesToTheScreenThatShowsIt", {1900, 100}, kBoth, {1920, 100}},
        // Both show enough: 70 columns on the first, 58 on the second; the shorter move wins.
        PlaceCase{"AcrossTheEdgeMovesTheLeast", {1850, 100}, kBoth, {1920 - 128, 100}},
        // 31 pixels of title bar on the second screen: too little to take hold of.
        PlaceCase{"TooLittleShownGoesToThePrimary", {3200 - 31, 100}, kBoth, {1920 - 128, 100}},
        PlaceCase{"SevenRowsShownGoToThePrimary", {2000, 1024 - 7}, kBoth, {1792, 672}},
        PlaceCase{"AboveEveryScreen", {-500, -400}, kBoth, {0, 0}},
        PlaceCase{"InTheGapBelowTheSecond", {2000, 1050}, kBoth, {1792, 672}},
        PlaceCase{"AMonitorSinceUnplugged", {2500, 300}, {kFirst}, {1792, 300}},
        // A work area shorter than the frame: its top stays on the screen.
        PlaceCase{"TallerThanTheScreen", {500, 100}, {{{0, 0, 1024, 300}, {}}}, {500, 0}},
        // Stored values at the limits of int; a screen reaching to them covers up to INT_MAX - 1.
        PlaceCase{"LargestTop", {200, INT_MAX}, kBoth, {200, 672}},
        PlaceCase{"LargeLeft", {2147483520, 200}, kBoth, {1792, 200}},
        PlaceCase{"LargestBoth", {INT_MAX, INT_MAX}, kBoth, {1792, 672}},
        PlaceCase{"SmallestBoth", {INT_MIN, INT_MIN}, kBoth, {0, 0}},
        PlaceCase{"LargestOnTheScreen",
                  {INT_MAX - 100, INT_MAX - 100},
                  {{{0, 0, INT_MAX, INT_MAX}, {}}},
                  {INT_MAX - 128, INT_MAX - 368}}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return info.param.name; });

TEST(WindowPlacementPrimary, AFrameBiggerThanThePrimaryStandsAtItsTopLeftCorner) {
    const PixelRect small{100, 50, 100, 300};
    EXPECT_EQ(PlaceWindow({5000, 5000}, kFrameWidth, kFrameHeight, kBoth, small),
              (FramePosition{100, 50}));
}

TEST(WindowPlacementPrimary, NoScreenKnownKeepsTheStoredPosition) {
    for (const FramePosition stored :
         {FramePosition{5000, 5000}, FramePosition{INT_MAX, INT_MAX}}) {
        EXPECT_EQ(PlaceWindow(stored, kFrameWidth, kFrameHeight, {}, PixelRect{}), stored);
    }
}

// The settings dialog's 633 rows of content under a frame of 31 rows.
TEST(ShownContentRows, WhatTheWorkAreaLeaves) {
    struct Case {
        PixelRect area;
        int rows;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1040}, 633},  // room to spare
        {{0, 0, 1024, 664}, 633},   // just room
        {{0, 0, 1024, 663}, 632},   // one row short
        {{0, 0, 960, 540}, 509},    // 1920 x 1080 at scale 2
        {{0, 0, 640, 20}, 1},       // less room than the frame itself
        {{}, 633},                  // no screen known
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShownContentRows(633, 31, c.area), c.rows) << c.area.height;
    }
}

}  // namespace
}  // namespace kestrin
