#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrin {

constexpr int kLevelTableSize = 3278;
constexpr int kMaxLevelIndex = kLevelTableSize - 1;  // 3277: a full-scale peak at divisor 10

// Maps a scaled peak (sample units divided by the scale divisor) to a bar height in pixels,
// 0 to 255. All zeros until built.
using TLevelTable = std::array<int32_t, kLevelTableSize>;

// Parses the calibration text (dB relative to full scale that reads mark 4): blanks, optional
// sign, digits with at most one decimal separator, optional exponent, blanks. Anything else, an
// empty text or a value beyond the range of a double gives nothing. Blanks are spaces only. A
// calibration above about 6133 dB, whose scale divisor would exceed the range of a double, is
// refused too, so the divisor is always finite. A value closer to zero than the smallest double
// reads as 0. Independent of the process locale.
std::optional<double> ParseCalibration(std::string_view text, char decimalSeparator = '.');

// The headroom caption for a calibration: -8 - calibration in general format, then " dB".
std::string HeadroomText(double calibration, char decimalSeparator = '.');

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
