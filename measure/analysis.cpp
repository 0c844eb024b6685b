#include "measure/analysis.h"

#include <algorithm>
#include <cstdlib>

namespace kestrin {

namespace {

// One 16-bit little-endian sample; the conversion to int16_t keeps the two's complement value.
inline int32_t ReadSample(const uint8_t* bytes) {
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

// The loop is instantiated once per M-S mode so the mode test stays out of the 1097 frames.
// Every division truncates toward zero, as C++ integer division does.
template <bool kMsix>
TPeaks Analyse(const uint8_t* block) {
    int32_t peakA = 0;
    int32_t peakB = 0;
    int32_t peakM = 0;
    int32_t peakS = 0;
    for (int f = 0; f < kFramesExamined; ++f) {
        const uint8_t* frame = block + f * kBytesPerFrame;
        const int32_t a = ReadSample(frame);
        const int32_t b = ReadSample(frame + 2);
        int32_t m;
        int32_t s;
        if constexpr (kMsix) {
            m = std::abs((a + b) / 2);
            s = std::abs((a - b) / 2);
        } else {
            // 100/141 approximates 1/sqrt(2); mid divides before it multiplies, side after, so
            // mid moves in steps of 100 while side keeps its finer steps.
            m = std::abs(((a + b) / 141) * 100);
            s = std::abs(((a - b) * 100) / 141);
        }
        peakA = std::max(peakA, std::abs(a));
        peakB = std::max(peakB, std::abs(b));
        peakM = std::max(peakM, m);
        peakS = std::max(peakS, s);
    }
    return TPeaks{peakA, peakB, peakM, peakS};
}

}  // namespace

TPeaks AnalyseBuffer(const uint8_t* block, bool msix) {
    return msix ? Analyse<true>(block) : Analyse<false>(block);
}

}  // namespace kestrin
