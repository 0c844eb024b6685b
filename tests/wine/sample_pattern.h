#pragma once

#include <cstdint>
#include <string>

namespace kestrin::wine_test {

// What the player plays into a null sink: frame k of a stream holds the number k itself, its low
// 16 bits in channel A and the next 16 in channel B. Every captured frame so tells where in the
// stream it stands, channel A runs through every 16-bit value, and any changed bit, lost frame or
// repeated frame breaks the count. Streams start at different numbers, so frames tell which
// sink they came from; silence (frame number 0) is in neither.
struct StreamFrame {
    int16_t a;
    int16_t b;
};

constexpr uint32_t kFramesPerSecond = 44100;
constexpr uint32_t kStreamAFirst = 0x010000;  // frame number of the first frame played into sink A
constexpr uint32_t kStreamBFirst = 0x400000;  // ... into sink B
constexpr uint32_t kStreamFrames = 0x300000;  // at most 71.3 s per stream, so they never overlap

constexpr StreamFrame PatternFrame(uint32_t number) {
    return {static_cast<int16_t>(static_cast<uint16_t>(number & 0xFFFF)),
            static_cast<int16_t>(static_cast<uint16_t>(number >> 16))};
}

constexpr uint32_t FrameNumber(int16_t a, int16_t b) {
    return (static_cast<uint32_t>(static_cast<uint16_t>(b)) << 16) | static_cast<uint16_t>(a);
}

constexpr bool InStream(uint32_t number, uint32_t first) {
    return number >= first && number - first < kStreamFrames;
}

// Writes `frames` frames of the stream that starts at `first` as raw 16-bit little-endian stereo.
bool WritePatternFile(const std::string& path, uint32_t first, uint32_t frames);

static_assert(FrameNumber(PatternFrame(0x01FFFF).a, PatternFrame(0x01FFFF).b) == 0x01FFFF);
static_assert(PatternFrame(0x018000).a == -32768);

}  // namespace kestrin::wine_test
