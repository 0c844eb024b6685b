// Per-buffer cost of the platform-free level measurement. Target: the whole work of one buffer
// (texts, divisor, analysis, four heights, ballistics, held peaks and over update) under 2 us, a
// small share of the 24.94 ms buffer period.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "measure/analysis.h"
#include "measure/ballistics.h"
#include "measure/level_text.h"
#include "measure/scale.h"

namespace kestrin {
namespace {

// A block of programme-like noise, so the peaks keep changing from frame to frame.
std::vector<uint8_t> NoiseBlock(uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 6000.0);
    std::vector<uint8_t> block(kBufferBytes);
    for (int i = 0; i < kFramesPerBuffer * 2; ++i) {
        const double sample = std::clamp(std::round(noise(random)), -32768.0, 32767.0);
        const auto bits = static_cast<uint16_t>(static_cast<int16_t>(sample));
        block[static_cast<size_t>(2 * i)] = static_cast<uint8_t>(bits & 0xFF);
        block[static_cast<size_t>(2 * i + 1)] = static_cast<uint8_t>(bits >> 8);
    }
    return block;
}

void BM_AnalyseBuffer(benchmark::State& state) {
    const bool msix = state.range(0) != 0;
    const std::vector<uint8_t> block = NoiseBlock(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(AnalyseBuffer(block.data(), msix));
    }
    state.SetLabel(msix ? "M = (A+B) - 6dB" : "M = (A+B) - 3dB");
}
BENCHMARK(BM_AnalyseBuffer)->Arg(1)->Arg(0);

void BM_FourHeights(benchmark::State& state) {
    TLevelTable table{};
    BuildLevelTable(table);
    const double divisor = ComputeScaleDivisor(-12.0);
    TPeaks peaks{8190, 4125, 25000, 400};
    for (auto _ : state) {
        benchmark::DoNotOptimize(peaks);
        benchmark::DoNotOptimize(PeakToHeight(table, peaks.A, divisor, false));
        benchmark::DoNotOptimize(PeakToHeight(table, peaks.B, divisor, false));
        benchmark::DoNotOptimize(PeakToHeight(table, peaks.M, divisor, false));
        benchmark::DoNotOptimize(PeakToHeight(table, peaks.S, divisor, true));
    }
}
BENCHMARK(BM_FourHeights);

// Everything the meter does with one buffer that needs no platform: the two texts, the headroom
// caption, the divisor, the analysis, the over update, four heights, the ballistics and held
// peaks of four bars. Cycles through a few blocks so the bars rise and fall.
void BM_WholeBuffer(benchmark::State& state) {
    const bool msix = state.range(0) != 0;
    std::vector<std::vector<uint8_t>> blocks;
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        blocks.push_back(NoiseBlock(seed));
    }
    TLevelTable table{};
    BuildLevelTable(table);
    std::array<TBarState, 4> bars{};
    int32_t overCount = 0;
    size_t next = 0;
    for (auto _ : state) {
        const std::optional<double> parsed = ParseCalibration("-12");
        const double calibration = parsed.value_or(0.0);
        benchmark::DoNotOptimize(HeadroomText(calibration));
        const double divisor = ComputeScaleDivisor(calibration);
        const TPeaks peaks = AnalyseBuffer(blocks[next].data(), msix);
        next = (next + 1) % blocks.size();
        benchmark::DoNotOptimize(UpdateOver(overCount, peaks.A, peaks.B, false));
        const std::array<int32_t, 4> heights{
            PeakToHeight(table, peaks.A, divisor, false),
            PeakToHeight(table, peaks.B, divisor, false),
            PeakToHeight(table, peaks.M, divisor, false),
            PeakToHeight(table, peaks.S, divisor, false),
        };
        const int32_t decay = ParseDecay("2").value_or(kFallbackDecay);
        for (size_t i = 0; i < bars.size(); ++i) {
            ApplyBallistics(bars[i], heights[i], decay);
        }
        for (size_t i : {0u, 1u, 3u, 2u}) {  // A, B, S, M: the order the lines are drawn in
            benchmark::DoNotOptimize(UpdatePeakHold(bars[i], i == 3, false));
        }
    }
    benchmark::DoNotOptimize(bars);
}
BENCHMARK(BM_WholeBuffer)->Arg(1)->Arg(0);

void BM_BuildLevelTable(benchmark::State& state) {
    TLevelTable table{};
    for (auto _ : state) {
        BuildLevelTable(table);
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_BuildLevelTable);

}  // namespace
}  // namespace kestrin

BENCHMARK_MAIN();
