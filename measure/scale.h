#pragma once

#include <array>
#include <cstdint>

namespace kestrin {

constexpr int kLevelTableSize = 3278;
constexpr int kMaxLevelIndex = kLevelTableSize - 1;  // 3277: a full-scale peak at divisor 10

// Maps a scaled peak (sample units divided by the scale divisor) to a bar height in pixels,
// 0 to 255. All zeros until built.
using TLevelTable = std::array<int32_t, kLevelTableSize>;

// Sample units per table step: 10 * 10^((calibration + 12) / 20), never below 1.0.
double ComputeScaleDivisor(double calibration);

// Bar height for a peak: peak / divisor rounded half to even, times ten after rounding when
// timesTen is set, held at index 3277, looked up in the table.
int32_t PeakToHeight(const TLevelTable& table, int32_t peak, double scaleDivisor, bool timesTen);

// Fills table[first..last] by accumulating (lastHeight - firstHeight) / (last - first) from
// firstHeight, each entry rounded half to even. Writes nothing when last < first or when either
// index lies outside the table; with last == first it writes firstHeight there.
void FillLevelTable(TLevelTable& table, int first, int last, int firstHeight, int lastHeight);

// The seven segments ending on scale marks 1 to 7.
void BuildLevelTable(TLevelTable& table);

}  // namespace kestrin
