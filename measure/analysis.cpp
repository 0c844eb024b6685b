#include "measure/analysis.h"

#include <algorithm>

namespace kestrin {

TPeaks AnalyseBuffer(const uint8_t* block, int frames, bool msix) {
    // Each frame's M is a non-decreasing function of |a + b| alone, and its S of |a - b| alone:
    // dividing toward zero and then taking the magnitude equals dividing the magnitude. So the
    // largest M and S of the block follow from the extremes of a + b and a - b, and the frame
    // loop keeps only maxima and minima (of the samples themselves in 16 bits), which the
    // compiler turns into vector instructions.
    int16_t maxA = 0;
    int16_t minA = 0;
    int16_t maxB = 0;
    int16_t minB = 0;
    int32_t maxSum = 0;
    int32_t minSum = 0;
    int32_t maxDifference = 0;
    int32_t minDifference = 0;
    const int examined = frames - kFramesNotExamined;
    for (int f = 0; f < examined; ++f) {
        const uint8_t* frame = block + f * kBytesPerFrame;
        const int16_t a = ReadSample(frame);
        const int16_t b = ReadSample(frame + 2);
        maxA = std::max(maxA, a);
        minA = std::min(minA, a);
        maxB = std::max(maxB, b);
        minB = std::min(minB, b);
        const int32_t sum = a + b;
        const int32_t difference = a - b;
        maxSum = std::max(maxSum, sum);
        minSum = std::min(minSum, sum);
        maxDifference = std::max(maxDifference, difference);
        minDifference = std::min(minDifference, difference);
    }
    const int32_t peakA = std::max<int32_t>(maxA, -int32_t{minA});  // -(-32768) counts in full
    const int32_t peakB = std::max<int32_t>(maxB, -int32_t{minB});
    const int32_t peakSum = std::max(maxSum, -minSum);
    const int32_t peakDifference = std::max(maxDifference, -minDifference);

    return {peakA, peakB, MidOf(peakSum, msix), SideOf(peakDifference, msix)};
}

}  // namespace kestrin
