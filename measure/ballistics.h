#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

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

// Parses a decay text as a 32-bit signed integer: leading blanks, optional sign, decimal digits
// or hexadecimal after "$", "x", "X", "0x" or "0X"; nothing may follow the digits.
std::optional<int32_t> ParseDecay(std::string_view text);

// Rises at once to the new height, otherwise falls by decay; then held within 1..255.
void ApplyBallistics(TBarState& bar, int32_t newHeight, int32_t decay);

// Takes the level as the new held peak (with a fresh hold) when it is above the held peak, or
// also when equal if renewOnEqual is set (the S bar).
void TakeHeldPeak(TBarState& bar, bool renewOnEqual);

// The count-down after a held-peak line has been drawn (only while HoldCount > 0): with Peak
// Hold on the count stands still except at 1; at 0 the held peak is cleared.
void CountDownHold(TBarState& bar, bool peakHold);

// What the over update asks of the indicator.
enum class OverChange { Unchanged, Lit, Dark };

// The over update from the raw A and B peaks; overCount is in buffers.
OverChange UpdateOver(int32_t& overCount, int32_t peakA, int32_t peakB, bool peakHold);

}  // namespace kestrin
