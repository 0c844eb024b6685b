#pragma once

#include <array>
#include <cstdint>

#include "display/pixel_rect.h"

namespace kestrin {

// Client area of the meter window, in pixels. The frame is the window manager's: a window 128
// wide with its frame has a client 122 wide (M and S shown), one 72 wide a client 66 wide.
constexpr int kClientHeight = 341;
constexpr int kWideClientWidth = 122;
constexpr int kNarrowClientWidth = 66;
constexpr int kDesignedClientWidth = 140;  // as laid out, before the width for the M/S choice
constexpr int kBaselineAboveBottom = 38;   // the bars' bottom row lies this far above the bottom

// Bar columns: 10 pixels wide, heights 1 to 256 above the baseline.
constexpr int kBarWidth = 10;
constexpr int kBarHeights = 256;
constexpr int kBarAX = 32;
constexpr int kBarBX = 46;
constexpr int kBarMX = 72;
constexpr int kBarSX = 98;

// Zone boundaries in pixels above the baseline: the bar colour reaches up to the amber
// threshold, amber up to mark 6, red above it.
constexpr int kAmberThresholdOn = 146;   // mark 4
constexpr int kAmberThresholdOff = 219;  // mark 6: no amber zone
constexpr int kRedFirstHeight = 220;

// Colours, 0x00BBGGRR.
constexpr int32_t kAmberLit = 0x02D8FD;
constexpr int32_t kAmberUnlit = 0x002929;
constexpr int32_t kRedLit = 0x0000FF;
constexpr int32_t kRedUnlit = 0x000029;
constexpr int32_t kDimMask = 0x292929;  // a bar colour AND this is its unlit colour
constexpr int32_t kHeldPeakColour = 0x3EFFFF;
constexpr int32_t kTickColour = 0xFFFFFF;
constexpr int32_t kPanelColour = 0x000000;
constexpr int32_t kWindowColour = 0x808080;         // grey
constexpr int32_t kSPlus20WindowColour = 0x000080;  // maroon while S is shown 20 dB up
constexpr int32_t kOverLit = 0x0000FF;              // the over indicator: pure red
constexpr int32_t kOverDark = 41;                   // very dark red
constexpr int32_t kOverDesigned = 70;               // dark red, until the first buffer
constexpr int32_t kLabelTextColour = 0xFFFFFF;      // the window's own labels: white

// Tick columns stand left of bars A, M and S; ticks end flush against the bar's side.
constexpr std::array<int, 3> kTickColumnX = {26, 66, 92};
constexpr std::array<uint8_t, 8> MajorTickHeights = {1, 36, 73, 109, 146, 182, 219, 255};
constexpr std::array<uint8_t, 6> MinorTickHeights = {55, 91, 128, 164, 200, 237};

// The y of the bars' bottom row for a client height.
constexpr int BaselineFor(int clientHeight) { return clientHeight - kBaselineAboveBottom; }

// A bar row at height h (height 1 is the baseline row itself).
constexpr int BarRow(int baseline, int height) { return baseline - height + 1; }

// A line at value v: a tick or held-peak line at v lies just above the lit part of a bar at
// level v.
constexpr int LineRow(int baseline, int value) { return baseline - value; }

// The amber threshold for the "Yellow Segment" setting.
constexpr int AmberThreshold(bool amber) { return amber ? kAmberThresholdOn : kAmberThresholdOff; }

// A one-pixel line on row y from x0 to x1, x1 excluded.
struct PixelLine {
    int x0 = 0;
    int y = 0;
    int x1 = 0;
    bool operator==(const PixelLine&) const = default;
};

// One filled rectangle of a bar and its colour (0x00BBGGRR).
struct BarFill {
    PixelRect rect;
    int32_t colour = 0;
    bool operator==(const BarFill&) const = default;
};

// The rectangles that repaint a bar's whole column at a level, bottom to top; rectangles
// without rows are left out. Every row of the column is covered exactly once: lit when its
// height is at most the level, in its zone's colour.
struct BarFills {
    std::array<BarFill, 4> fills;
    int count = 0;
};
BarFills BarRectangles(int level, int x, int baseline, int amberThreshold, int32_t colour,
                       int32_t dimColour);

// The held-peak line of a bar at x: ten pixels on the row of the held peak.
PixelLine HeldPeakLine(int x, int baseline, int heldPeak);

// The 14 tick lines of one tick column: the majors span x to x + 5, the minors x + 2 to x + 5.
using TickColumn = std::array<PixelLine, MajorTickHeights.size() + MinorTickHeights.size()>;
TickColumn TickLines(int x, int baseline);

// The black scale panel behind labels, ticks and bars: x 4 to 117, 265 rows above the baseline
// to 12 below it, both ends included.
PixelRect PanelRect(int baseline);

}  // namespace kestrin
