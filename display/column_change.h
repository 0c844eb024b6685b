#pragma once

#include <cstdint>
#include <optional>

namespace kestrin {

// Rows y first..last of the client area, both included; empty when last < first.
struct RowSpan {
    int first = 0;
    int last = -1;
    bool empty() const { return last < first; }
    RowSpan united(const RowSpan& other) const;
    RowSpan united(int row) const { return united(RowSpan{row, row}); }
    bool operator==(const RowSpan&) const = default;
};

// What one bar column of the meter's surface shows, as far as the buffers drew it: the bar at a
// level in its colours, with the held-peak line drawn over it. Unknown after a paint of the
// window, before the first bar, and while lines pile up in a column whose bar is not drawn.
struct ColumnPicture {
    bool known = false;
    int level = 0;
    int amberThreshold = 0;
    int32_t colour = 0;          // 0x00BBGGRR
    int32_t dimColour = 0;       // 0x00BBGGRR
    std::optional<int> lineRow;  // row of the held-peak line over the bar
    bool operator==(const ColumnPicture&) const = default;
};

// The rows whose pixels differ between two pictures of a column whose bar was repainted whole
// (bar baseline as given); a superset is allowed, an identical picture gives an empty span.
RowSpan ChangedBarRows(const ColumnPicture& before, const ColumnPicture& after, int baseline);

}  // namespace kestrin
