#pragma once

#include <vector>

#include "display/pixel_rect.h"

namespace kestrin {

// The part of the title bar that a screen must show for the operator to take hold of the window
// and drag it: this many pixels wide, across the top rows of the frame.
constexpr int kTitleGripWidth = 32;
constexpr int kTitleGripRows = 8;

// A window frame's top left corner, in screen pixels.
struct FramePosition {
    int left = 0;
    int top = 0;
    bool operator==(const FramePosition&) const = default;
};

// Where a window whose frame is frameWidth x frameHeight pixels goes for a stored frame position:
// there, when one of the screens (their geometries) shows a piece of its title bar at least
// kTitleGripWidth pixels wide and kTitleGripRows rows high; otherwise inside `primary` (the
// primary screen's available area) at the position nearest the stored one that shows the whole
// frame, or at its top left corner when the frame is bigger than that area. An empty `primary`
// (no screen known) leaves the stored position.
FramePosition PlaceWindow(FramePosition stored, int frameWidth, int frameHeight,
                          const std::vector<PixelRect>& screens, const PixelRect& primary);

}  // namespace kestrin
