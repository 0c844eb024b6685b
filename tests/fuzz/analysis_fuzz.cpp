// Arbitrary capture blocks through the sample analysis, against a frame-by-frame reading of what
// the peaks are. Input shorter than a block is padded with silence; the block is given exactly
// its 4400 bytes, so a read past its end is caught.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "measure/analysis.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using kestrin::TPeaks;

int32_t Sample(const std::vector<uint8_t>& block, size_t at) {
    return static_cast<int16_t>(static_cast<uint16_t>(block[at] | (block[at + 1] << 8)));
}

// Each examined frame's M and S on their own, the magnitudes' maxima kept.
TPeaks Reference(const std::vector<uint8_t>& block, bool msix) {
    TPeaks peaks;
    for (int f = 0; f < kestrin::kFramesExamined; ++f) {
        const size_t at = static_cast<size_t>(f) * kestrin::kBytesPerFrame;
        const int32_t a = Sample(block, at);
        const int32_t b = Sample(block, at + 2);
        const int32_t m = msix ? (a + b) / 2 : ((a + b) / 141) * 100;
        const int32_t s = msix ? (a - b) / 2 : ((a - b) * 100) / 141;
        peaks.A = std::max(peaks.A, std::abs(a));
        peaks.B = std::max(peaks.B, std::abs(b));
        peaks.M = std::max(peaks.M, std::abs(m));
        peaks.S = std::max(peaks.S, std::abs(s));
    }
    return peaks;
}

bool Same(const TPeaks& x, const TPeaks& y) {
    return x.A == y.A && x.B == y.B && x.M == y.M && x.S == y.S;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> block(kestrin::kBufferBytes, 0);
    std::memcpy(block.data(), data, std::min(size, block.size()));
    for (const bool msix : {true, false}) {
        const TPeaks peaks = kestrin::AnalyseBuffer(block.data(), msix);
        FUZZ_CHECK(Same(peaks, Reference(block, msix)));
        FUZZ_CHECK(peaks.A >= 0 && peaks.A <= 32768 && peaks.B >= 0 && peaks.B <= 32768);
        FUZZ_CHECK(peaks.M >= 0 && peaks.M <= 46478 && peaks.S >= 0 && peaks.S <= 46478);
    }
    return 0;
}
