#include "display/column_change.h"

#include <algorithm>

#include "display/bar_geometry.h"

namespace kestrin {

RowSpan RowSpan::united(const RowSpan& other) const {
    if (other.empty()) {
        return *this;
    }
    if (empty()) {
        return other;
    }
    return {std::min(first, other.first), std::max(last, other.last)};
}

RowSpan ChangedBarRows(const ColumnPicture& before, const ColumnPicture& after, int baseline) {
    RowSpan changed;
    const bool sameColours = before.known && after.known &&
                             before.amberThreshold == after.amberThreshold &&
                             before.colour == after.colour && before.dimColour == after.dimColour;
    if (!sameColours) {
        changed = {BarRow(baseline, kBarHeights), BarRow(baseline, 1)};
    } else if (before.level != after.level) {
        // Only the rows between the two levels change state, lit or unlit.
        const int low = std::min(before.level, after.level);
        const int high = std::max(before.level, after.level);
        changed = {BarRow(baseline, high), BarRow(baseline, low + 1)};
    }
    // A line on the same row both times covers the row's whole width: nothing changes there.
    if (before.lineRow != after.lineRow || !sameColours) {
        if (before.lineRow) {
            changed = changed.united(*before.lineRow);
        }
        if (after.lineRow) {
            changed = changed.united(*after.lineRow);
        }
    }
    return changed;
}

}  // namespace kestrin
