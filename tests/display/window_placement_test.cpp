#include "display/window_placement.h"

#include <gtest/gtest.h>

namespace kestrin {
namespace {

// Two screens side by side: 1920 x 1080, and 1280 x 1024 to its right; the primary's available
// area leaves a 40-pixel panel at the bottom. The meter's frame is 128 x 368.
const std::vector<PixelRect> kScreens = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
const PixelRect kPrimary{0, 0, 1920, 1040};
constexpr int kFrameWidth = 128;
constexpr int kFrameHeight = 368;

FramePosition Place(int left, int top, const std::vector<PixelRect>& screens = kScreens) {
    return PlaceWindow({left, top}, kFrameWidth, kFrameHeight, screens, kPrimary);
}

TEST(WindowPlacement, AStoredPositionWhoseTitleBarAScreenShowsIsKept) {
    EXPECT_EQ(Place(200, 200), (FramePosition{200, 200}));
    // On the second screen, and partly off the bottom of the first: the title bar is what counts.
    EXPECT_EQ(Place(2500, 900), (FramePosition{2500, 900}));
    EXPECT_EQ(Place(300, 1000), (FramePosition{300, 1000}));
    // 32 pixels of title bar left of the right edge, 8 rows above the bottom edge.
    EXPECT_EQ(Place(3200 - 32, 1024 - 8), (FramePosition{3168, 1016}));
}

TEST(WindowPlacement, ATitleBarNoScreenShowsEnoughOfGoesOntoThePrimaryScreenWhole) {
    // 31 pixels of the title bar on the second screen: too little to take hold of.
    EXPECT_EQ(Place(3200 - 31, 100), (FramePosition{1920 - 128, 100}));
    // 7 rows of it above the bottom of the second screen.
    EXPECT_EQ(Place(2000, 1024 - 7), (FramePosition{1920 - 128, 1040 - 368}));
    // Above every screen, and in the gap below the second screen.
    EXPECT_EQ(Place(-500, -400), (FramePosition{0, 0}));
    EXPECT_EQ(Place(2000, 1050), (FramePosition{1920 - 128, 1040 - 368}));
    // A monitor since unplugged.
    EXPECT_EQ(Place(2500, 300, {kScreens[0]}), (FramePosition{1920 - 128, 300}));
}

TEST(WindowPlacement, AFrameBiggerThanThePrimaryScreenStandsAtItsTopLeftCorner) {
    const PixelRect small{100, 50, 100, 300};
    EXPECT_EQ(PlaceWindow({5000, 5000}, kFrameWidth, kFrameHeight, kScreens, small),
              (FramePosition{100, 50}));
}

TEST(WindowPlacement, NoScreenKnownKeepsTheStoredPosition) {
    EXPECT_EQ(PlaceWindow({5000, 5000}, kFrameWidth, kFrameHeight, {}, PixelRect{}),
              (FramePosition{5000, 5000}));
}

}  // namespace
}  // namespace kestrin
