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

// One attached screen, in screen pixels: all of it, and the part that panels and task bars leave
// free for windows (the whole screen where the desktop says nothing of it).
struct ScreenArea {
    PixelRect geometry;
    PixelRect workArea;
};

// Where a window whose frame is frameWidth x frameHeight pixels goes for a stored frame position.
// A screen whose geometry shows a piece of the title bar at least kTitleGripWidth pixels wide and
// kTitleGripRows rows high takes the window: it goes where it stands whole in that screen's work
// area, moved the least distance from the stored position (of two such screens, the one that
// moves it less). A stored position that no screen shows so (a monitor since unplugged, a changed
// layout) goes into `primary` (the primary screen's work area) the same way. Along a side where
// the frame is bigger than the area, the frame's top or left edge stands at the area's. An empty
// `primary` (no screen known) leaves such a position as stored. Any stored values, up to the
// limits of int, are taken without overflow.
FramePosition PlaceWindow(FramePosition stored, int frameWidth, int frameHeight,
                          const std::vector<ScreenArea>& screens, const PixelRect& primary);

// The rows of a window's content that a work area shows whole, the window's frame adding
// frameRows of its own: all contentRows where they fit, otherwise what the area leaves (the rest
// is scrolled to), never below one row. An empty area (no screen known) shows them all.
int ShownContentRows(int contentRows, int frameRows, const PixelRect& workArea);

}  // namespace kestrin
