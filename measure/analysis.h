#pragma once

#include <cstdint>

namespace kestrin {

// Capture block layout: 16-bit signed little-endian PCM, two interleaved channels.
constexpr int kBytesPerFrame = 4;
constexpr int kFramesPerBuffer = 1100;
constexpr int kBufferBytes = kFramesPerBuffer * kBytesPerFrame;  // 4400, as declared to the device
// The last three frames of a block are never read: of the design's 1100, frames 0 to 1096.
constexpr int kFramesNotExamined = 3;
constexpr int kFramesExamined = kFramesPerBuffer - kFramesNotExamined;

// Peak magnitudes of one buffer, in raw sample units (A and B up to 32768; M and S up to 46478
// when the -3 dB mode is used).
struct TPeaks {
    int32_t A = 0;  // first channel (left)
    int32_t B = 0;  // second channel (right)
    int32_t M = 0;  // mid, from A + B
    int32_t S = 0;  // side, from A - B
};

// One 16-bit little-endian sample of a capture block; the conversion keeps the two's complement
// value.
inline int16_t ReadSample(const uint8_t* bytes) {
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

// Mid from A + B and side from A - B: halved with msix set; otherwise scaled by 100/141, which
// approximates 1/sqrt(2). Mid divides before it multiplies, side after, so mid moves in steps of
// 100 while side keeps its finer steps.
constexpr int32_t MidOf(int32_t sum, bool msix) { return msix ? sum / 2 : (sum / 141) * 100; }
constexpr int32_t SideOf(int32_t difference, bool msix) {
    return msix ? difference / 2 : (difference * 100) / 141;
}

// Reduces one capture block of `frames` frames (more than kFramesNotExamined) to its four peaks,
// from all of its frames but the last three. With msix set, M and S are the halved sum and
// difference; otherwise they are scaled by 100/141 in integer steps.
TPeaks AnalyseBuffer(const uint8_t* block, int frames, bool msix);
// A block of the design's 1100 frames.
inline TPeaks AnalyseBuffer(const uint8_t* block, bool msix) {
    return AnalyseBuffer(block, kFramesPerBuffer, msix);
}

}  // namespace kestrin
