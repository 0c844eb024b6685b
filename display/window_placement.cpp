#include "display/window_placement.h"

#include <algorithm>

namespace kestrin {

QPoint PlaceWindow(QPoint stored, QSize frame, const QList<QRect>& screens, const QRect& primary) {
    const QRect grip(stored, QSize(frame.width(), kTitleGripRows));
    const int gripWidth = std::min(kTitleGripWidth, frame.width());
    for (const QRect& screen : screens) {
        const QRect shown = grip & screen;
        if (shown.width() >= gripWidth && shown.height() >= kTitleGripRows) return stored;
    }
    if (primary.isEmpty()) return stored;
    // The top left corner wins where the frame is bigger than the screen: the title bar stays.
    const int x = std::max(primary.left(), std::min(stored.x(), primary.right() + 1 - frame.width()));
    const int y = std::max(primary.top(), std::min(stored.y(), primary.bottom() + 1 - frame.height()));
    return {x, y};
}

}  // namespace kestrin
