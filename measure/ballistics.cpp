#include "measure/ballistics.h"

#include <algorithm>
#include <cstdint>

namespace kestrin {

void ApplyBallistics(TBarState& bar, int32_t newHeight, int32_t decay) {
    // A falling bar drops by decay and is not raised back to the new height in the same buffer.
    // The 64-bit difference keeps a decay near the 32-bit limits from overflowing.
    int64_t level = newHeight;
    if (bar.Level > newHeight) {
        level = int64_t{bar.Level} - decay;
    }
    if (level < kMinLevel) level = kMinLevel;
    if (level > kMaxLevel) level = kMaxLevel;
    bar.Level = static_cast<int32_t>(level);
}

void FollowReading(TBarState& bar, int32_t readingHeight) {
    bar.Level = std::clamp(readingHeight, kMinLevel, kMaxLevel);
}

void TakeHeldPeak(TBarState& bar, bool renewOnEqual) {
    const bool newPeak = renewOnEqual ? bar.Level >= bar.HeldPeak : bar.Level > bar.HeldPeak;
    if (newPeak) {
        bar.HeldPeak = bar.Level;
        bar.HoldCount = kPeakHoldBuffers;
    }
}

void CountDownHold(TBarState& bar, bool peakHold) {
    // With Peak Hold on the count stands at 75 until a reset sets it to 1; that last count runs
    // out as usual, so the held peak is cleared one buffer after the reset.
    if (bar.HoldCount <= 0) {
        return;  // nothing is held; the count never goes below 0
    }
    if (!peakHold || bar.HoldCount == 1) --bar.HoldCount;
    if (bar.HoldCount == 0) bar.HeldPeak = 0;
}

std::optional<int32_t> UpdatePeakHold(TBarState& bar, bool renewOnEqual, bool peakHold) {
    TakeHeldPeak(bar, renewOnEqual);
    if (bar.HoldCount <= 0) return std::nullopt;
    const int32_t lineHeight = bar.HeldPeak;
    CountDownHold(bar, peakHold);
    return lineHeight;
}

void ResetHolds(std::span<TBarState> bars) {
    for (TBarState& bar : bars) bar.HoldCount = 1;
}

void ClearHeldPeaks(std::span<TBarState> bars) {
    for (TBarState& bar : bars) bar.HeldPeak = 0;
}

OverChange UpdateOver(int32_t& overCount, bool over, bool peakHold) {
    if (over) {
        overCount = kOverHoldBuffers;
        return OverChange::Lit;
    }
    if (peakHold) {
        return OverChange::Unchanged;  // a lit indicator stays lit until a click
    }
    if (overCount > 0) --overCount;
    return overCount < 1 ? OverChange::Dark : OverChange::Unchanged;
}

}  // namespace kestrin
