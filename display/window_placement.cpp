#include "display/window_placement.h"

#include <algorithm>

namespace kestrin {
namespace {

// The overlap of two rectangles; empty when they do not meet.
PixelRect Intersected(const PixelRect& a, const PixelRect& b) {
    const int left = std::max(a.left, b.left);
    const int top = std::max(a.top, b.top);
    const int right = std::min(a.right(), b.right());
    const int bottom = std::min(a.bottom(), b.bottom());
    return {left, top, right - left + 1, bottom - top + 1};
}

}  // namespace

FramePosition PlaceWindow(FramePosition stored, int frameWidth, int frameHeight,
                          const std::vector<PixelRect>& screens, const PixelRect& primary) {
    const PixelRect grip{stored.left, stored.top, frameWidth, kTitleGripRows};
    const int gripWidth = std::min(kTitleGripWidth, frameWidth);
    for (const PixelRect& screen : screens) {
        const PixelRect shown = Intersected(grip, screen);
        if (!shown.empty() && shown.width >= gripWidth && shown.height >= kTitleGripRows) {
            return stored;
        }
    }
    if (primary.empty()) return stored;
    // The top left corner wins where the frame is bigger than the screen: the title bar stays.
    const int left =
        std::max(primary.left, std::min(stored.left, primary.right() + 1 - frameWidth));
    const int top = std::max(primary.top, std::min(stored.top, primary.bottom() + 1 - frameHeight));
    return {left, top};
}

}  // namespace kestrin
