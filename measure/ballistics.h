#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace kestrin {

constexpr int32_t kOverThreshold = 27520;  // raw sample magnitude a peak must exceed to be over
constexpr int32_t kOverHoldBuffers = 10;   // buffers the over indicator stays lit
constexpr int32_t kPeakHoldBuffers = 75;   // buffers a held peak stands
constexpr int32_t kFallbackDecay = 2;      // pixels per buffer when the decay text is refused
constexpr int32_t kMinLevel = 1;
constexpr int32_t kMaxLevel = 255;

// One bar's displayed state, all in pixels above the baseline or in buffers.
struct TBarState {
    int32_t Level = 0;      // displayed bar height; 1..255 once a buffer has been shown
    int32_t HeldPeak = 0;   // held peak height; 0 means none
    int32_t HoldCount = 0;  // buffers for which the held peak still stands
};

// Rises at once to the new height, otherwise falls by decay; then held within 1..255. Any decay
// is taken, 0 and negative ones included; the fall is worked out wide enough not to overflow.
void ApplyBallistics(TBarState& bar, int32_t newHeight, int32_t decay);

// The bar of a quasi-peak meter: it stands at the integrator's height, which already rises and
// returns as the standard has it, held within 1..255.
void FollowReading(TBarState& bar, int32_t readingHeight);

// Takes the level as the new held peak (with a fresh hold) when it is above the held peak, or
// also when equal if renewOnEqual is set (the S bar).
void TakeHeldPeak(TBarState& bar, bool renewOnEqual);

// The count-down after a held-peak line has been drawn (only while HoldCount > 0): with Peak
// Hold on the count stands still except at 1; at 0 the held peak is cleared.
void CountDownHold(TBarState& bar, bool peakHold);

// One bar's held-peak step after its ballistics: takes a new held peak, then, while the hold
// lasts, gives the height at which to draw the held-peak line and counts the hold down. Gives
// nothing when no line is to be drawn.
std::optional<int32_t> UpdatePeakHold(TBarState& bar, bool renewOnEqual, bool peakHold);

// The click reset: every bar shows its held peak once more at the next buffer, then restarts
// from its current level (HoldCount := 1; HeldPeak is kept).
void ResetHolds(std::span<TBarState> bars);

// The held-peak clear at every repaint: every bar takes its current level as a new held peak at
// the next buffer (HeldPeak := 0; HoldCount is kept).
void ClearHeldPeaks(std::span<TBarState> bars);

// What the over update asks of the indicator.
enum class OverChange { Unchanged, Lit, Dark };

// Whether a buffer is over by its raw A and B sample peaks: either above the threshold.
inline bool SamplePeakOver(int32_t peakA, int32_t peakB) {
    return peakA > kOverThreshold || peakB > kOverThreshold;
}

// The over update for a buffer that is over or not (by sample peaks, or by true peaks); overCount
// is in buffers. Lit for an over; with Peak Hold off the count runs down and Dark is asked for
// every buffer it stands below 1; with Peak Hold on a quiet buffer changes nothing.
OverChange UpdateOver(int32_t& overCount, bool over, bool peakHold);
// The same from the raw A and B peaks.
inline OverChange UpdateOver(int32_t& overCount, int32_t peakA, int32_t peakB, bool peakHold) {
    return UpdateOver(overCount, SamplePeakOver(peakA, peakB), peakHold);
}

}  // namespace kestrin
