#include "display/bar_geometry.h"

namespace kestrin {
namespace {

// Adds the rectangle of heights first..last (a stretch without rows adds nothing).
void AddFill(BarFills& fills, int x, int baseline, int first, int last, int32_t colour) {
    if (last < first) {
        return;
    }
    const QRect rect(x, BarRow(baseline, last), kBarWidth, last - first + 1);
    fills.fills[static_cast<size_t>(fills.count++)] = {rect, colour};
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

QRect BarColumn(int x, int baseline) {
    return QRect(x, BarRow(baseline, kBarHeights), kBarWidth, kBarHeights);
}

QLine HeldPeakLine(int x, int baseline, int heldPeak) {
    const int y = LineRow(baseline, heldPeak);
    return QLine(x, y, x + kBarWidth - 1, y);
}

std::array<QLine, MajorTickHeights.size() + MinorTickHeights.size()> TickLines(int x,
                                                                               int baseline) {
    std::array<QLine, MajorTickHeights.size() + MinorTickHeights.size()> lines;
    size_t i = 0;
    for (const uint8_t t : MajorTickHeights) {
        const int y = LineRow(baseline, t);
        lines[i++] = QLine(x, y, x + 5, y);
    }
    for (const uint8_t t : MinorTickHeights) {
        const int y = LineRow(baseline, t);
        lines[i++] = QLine(x + 2, y, x + 5, y);
    }
    return lines;
}

QRect PanelRect(int baseline) {
    return QRect(QPoint(4, baseline - 265), QPoint(117, baseline + 12));
}

}  // namespace kestrin
