#include "display/window_placement.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace kestrin {
namespace {

// Coordinates widened so that a stored position near the limits of int plus a frame's size, or
// minus a screen's edge, can't overflow.
using Wide = int64_t;

// The span [start, start + length) a frame occupies along one side, and an area's span there.
struct Span {
    Wide start = 0;
    Wide length = 0;
    Wide end() const { return start + length; }
};

// How many pixels the two spans share; 0 when they do not meet.
Wide Overlap(Span a, Span b) {
    return std::max<Wide>(0, std::min(a.end(), b.end()) - std::max(a.start, b.start));
}

// The start nearest `stored` at which a frame of `length` lies whole within `area`; the area's
// start when the frame is longer than the area.
Wide Fit(Wide stored, Wide length, Span area) {
    if (length >= area.length) return area.start;
    return std::clamp(stored, area.start, area.end() - length);
}

bool ShowsGrip(const PixelRect& screen, FramePosition stored, int frameWidth) {
    const Wide gripWidth = std::min(kTitleGripWidth, frameWidth);
    const Wide columns = Overlap({stored.left, frameWidth}, {screen.left, screen.width});
    const Wide rows = Overlap({stored.top, kTitleGripRows}, {screen.top, screen.height});
    return columns > 0 && columns >= gripWidth && rows >= kTitleGripRows;
}

struct Candidate {
    FramePosition place;
    double distanceSquared = 0;  // of the move from the stored position, in square pixels
};

Candidate FitInto(const PixelRect& area, FramePosition stored, int frameWidth, int frameHeight) {
    const Wide left = Fit(stored.left, frameWidth, {area.left, area.width});
    const Wide top = Fit(stored.top, frameHeight, {area.top, area.height});
    // A move can span the whole range of int twice over: its square is taken in floating point.
    const auto dx = static_cast<double>(left - stored.left);
    const auto dy = static_cast<double>(top - stored.top);
    // Both lie within the area, whose own corners are ints.
    return {{static_cast<int>(left), static_cast<int>(top)}, dx * dx + dy * dy};
}

}  // namespace

FramePosition PlaceWindow(FramePosition stored, int frameWidth, int frameHeight,
                          const std::vector<ScreenArea>& screens, const PixelRect& primary) {
    std::optional<Candidate> best;
    for (const ScreenArea& screen : screens) {
        if (!ShowsGrip(screen.geometry, stored, frameWidth)) continue;
        const PixelRect& area = screen.workArea.empty() ? screen.geometry : screen.workArea;
        const Candidate fitted = FitInto(area, stored, frameWidth, frameHeight);
        if (!best || fitted.distanceSquared < best->distanceSquared) best = fitted;
    }
    if (best) return best->place;
    if (primary.empty()) return stored;
    return FitInto(primary, stored, frameWidth, frameHeight).place;
}

int ShownContentRows(int contentRows, int frameRows, const PixelRect& workArea) {
    if (workArea.empty()) return contentRows;
    const Wide room = Wide{workArea.height} - frameRows;
    return static_cast<int>(std::clamp<Wide>(room, 1, std::max(contentRows, 1)));
}

}  // namespace kestrin
