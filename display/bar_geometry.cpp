#include "display/bar_geometry.h"

#include <cstddef>

namespace kestrin {
namespace {

// Adds the rectangle of heights first..last (a stretch without rows adds nothing).
void AddFill(BarFills& fills, int x, int baseline, int first, int last, int32_t colour) {
    if (last < first) {
        return;
    }
    const PixelRect rect{x, BarRow(baseline, last), kBarWidth, last - first + 1};
    fills.fills[static_cast<std::size_t>(fills.count++)] = {rect, colour};
}

}  // namespace

BarFills BarRectangles(int level, int x, int baseline, int amberThreshold, int32_t colour,
                       int32_t dimColour) {
    BarFills fills;
    const int t = amberThreshold;
    const int redBelow = kRedFirstHeight - 1;
    if (level < t) {
        AddFill(fills, x, baseline, 1, level, colour);
        AddFill(fills, x, baseline, level + 1, t, dimColour);
        AddFill(fills, x, baseline, t + 1, redBelow, kAmberUnlit);
        AddFill(fills, x, baseline, kRedFirstHeight, kBarHeights, kRedUnlit);
    } else if (level < redBelow) {
        AddFill(fills, x, baseline, 1, t, colour);
        AddFill(fills, x, baseline, t + 1, level, kAmberLit);
        AddFill(fills, x, baseline, level + 1, redBelow, kAmberUnlit);
        AddFill(fills, x, baseline, kRedFirstHeight, kBarHeights, kRedUnlit);
    } else {
        AddFill(fills, x, baseline, 1, t, colour);
        AddFill(fills, x, baseline, t + 1, redBelow, kAmberLit);
        AddFill(fills, x, baseline, kRedFirstHeight, level, kRedLit);
        AddFill(fills, x, baseline, level + 1, kBarHeights, kRedUnlit);
    }
    return fills;
}

PixelLine HeldPeakLine(int x, int baseline, int heldPeak) {
    return {x, LineRow(baseline, heldPeak), x + kBarWidth};
}

TickColumn TickLines(int x, int baseline) {
    TickColumn lines;
    std::size_t i = 0;
    for (const uint8_t t : MajorTickHeights) {
        lines[i++] = {x, LineRow(baseline, t), x + 6};
    }
    for (const uint8_t t : MinorTickHeights) {
        lines[i++] = {x + 2, LineRow(baseline, t), x + 6};
    }
    return lines;
}

PixelRect PanelRect(int baseline) {
    constexpr int kLeft = 4;
    constexpr int kRight = 117;  // inclusive
    const int top = baseline - 265;
    return {kLeft, top, kRight - kLeft + 1, baseline + 12 - top + 1};
}

}  // namespace kestrin
