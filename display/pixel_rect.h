#pragma once

namespace kestrin {

// A rectangle of client pixels: left and top inclusive, width and height in pixels. Empty when
// either size is 0 or less.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const { return left + width - 1; }   // last column, inclusive
    int bottom() const { return top + height - 1; }  // last row, inclusive
    bool empty() const { return width <= 0 || height <= 0; }
    bool operator==(const PixelRect&) const = default;
};

}  // namespace kestrin
