#include "measure/scale.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kestrin {

namespace {

constexpr double kReferenceDivisor = 10.0;  // sample units per table step at calibration -12 dB
constexpr double kMinScaleDivisor = 1.0;

}  // namespace

double ComputeScaleDivisor(double calibration) {
    const double divisor = kReferenceDivisor * std::pow(10.0, (calibration + 12.0) / 20.0);
    // Below -32 dB the divisor would drop under one sample unit per step; it stays at 1.0 there.
    // The negated test also maps a NaN to the floor.
    if (!(divisor >= kMinScaleDivisor)) return kMinScaleDivisor;
    return divisor;
}

int32_t PeakToHeight(const TLevelTable& table, int32_t peak, double scaleDivisor, bool timesTen) {
    // nearbyint rounds half to even in the default rounding mode, which the program never changes.
    double index = std::nearbyint(static_cast<double>(peak) / scaleDivisor);
    if (timesTen) {
        index *= 10.0;  // after the rounding: S+20 moves in steps of ten
    }
    if (!(index > 0.0)) return table[0];
    if (index >= kMaxLevelIndex) return table[kMaxLevelIndex];
    return table[static_cast<size_t>(index)];
}

void FillLevelTable(TLevelTable& table, int first, int last, int firstHeight, int lastHeight) {
    if (last < first || first < 0 || last > kMaxLevelIndex) return;
    if (last == first) {
        table[static_cast<size_t>(first)] = firstHeight;  // one entry; no step to divide out
        return;
    }
    // Heights are accumulated by repeated addition; the rounding error of the sum decides a few
    // entries near ties, so a + (i - first) * step would give a different table.
    const double step = (static_cast<double>(lastHeight) - static_cast<double>(firstHeight)) /
                        static_cast<double>(last - first);
    const double low = std::min(firstHeight, lastHeight);
    const double high = std::max(firstHeight, lastHeight);
    double x = firstHeight;
    for (int i = first; i <= last; ++i) {
        table[static_cast<size_t>(i)] =
            static_cast<int32_t>(std::nearbyint(std::clamp(x, low, high)));
        x += step;
    }
}

void BuildLevelTable(TLevelTable& table) {
    // Each segment ends on the height of a scale mark (255 * k / 7 rounded) at the index whose
    // level is the mark's dB figure relative to mark 4 at index 819.
    FillLevelTable(table, 0, 205, 0, 36);
    FillLevelTable(table, 205, 333, 36, 73);
    FillLevelTable(table, 333, 512, 73, 109);
    FillLevelTable(table, 512, 819, 109, 146);
    FillLevelTable(table, 819, 1293, 146, 182);
    FillLevelTable(table, 1293, 2061, 182, 219);
    FillLevelTable(table, 2061, 3277, 219, 255);
}

}  // namespace kestrin
