// Cost of the standard meters. Target: the whole set for one 1100-frame stereo buffer at 44.1 kHz
// (true peak, one IEC integrator, loudness) at most 15 us; and the core at least four times the
// throughput of libebur128 (a peer, linked here only) for integrated loudness, loudness range,
// true peak and sample peak over the same ten minutes of stereo audio.
#include <benchmark/benchmark.h>
#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <random>
#include <vector>

#include "measure/loudness.h"
#include "measure/quasi_peak.h"
#include "measure/true_peak.h"

namespace kestrin {
namespace {

constexpr double kRate = 44100.0;
constexpr size_t kFrames = 1100;

// Programme-like stereo: pink-ish noise under a slowly wandering level, so peaks come and go and
// the loudness gates have work to do.
std::vector<int16_t> Programme(size_t frames, uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<int16_t> out(frames * 2);
    double low[2] = {};
    double level = 0.1;
    for (size_t f = 0; f < frames; ++f) {
        if (f % 4410 == 0) {
            level = std::clamp(level * std::exp(0.3 * noise(random)), 0.01, 0.4);
        }
        for (size_t c = 0; c < 2; ++c) {
            low[c] = 0.9 * low[c] + 0.1 * noise(random);
            const double sample = level * (2.0 * low[c] + 0.5 * noise(random));
            out[2 * f + c] = static_cast<int16_t>(std::clamp(sample * 32768.0, -32768.0, 32767.0));
        }
    }
    return out;
}

void BM_StandardMetersBuffer(benchmark::State& state) {
    const std::vector<int16_t> audio = Programme(kFrames * 64, 1);
    TruePeakMeter truePeak(kRate, 2);
    QuasiPeakMeter quasiPeak(IecType::TypeIIb, kRate, 2);
    LoudnessMeter loudness(kRate, 2);
    size_t block = 0;
    for (auto _ : state) {
        const int16_t* samples = audio.data() + block * kFrames * 2;
        block = (block + 1) % 64;
        truePeak.Process(samples, kFrames);
        quasiPeak.Process(samples, kFrames);
        loudness.Process(samples, kFrames);
        benchmark::DoNotOptimize(truePeak.BlockMaxLinear());
        benchmark::DoNotOptimize(quasiPeak.Reading(0));
        benchmark::DoNotOptimize(loudness.Momentary());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kFrames));
}
BENCHMARK(BM_StandardMetersBuffer);

// Each meter alone on the same buffers, to see where the time goes.
template <typename Meter>
void BM_OneMeter(benchmark::State& state, Meter meter) {
    const std::vector<int16_t> audio = Programme(kFrames * 64, 1);
    size_t block = 0;
    for (auto _ : state) {
        meter.Process(audio.data() + block * kFrames * 2, kFrames);
        block = (block + 1) % 64;
        benchmark::DoNotOptimize(meter);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kFrames));
}
BENCHMARK_CAPTURE(BM_OneMeter, TruePeak, TruePeakMeter(kRate, 2));
BENCHMARK_CAPTURE(BM_OneMeter, QuasiPeak, QuasiPeakMeter(IecType::TypeIIb, kRate, 2));
BENCHMARK_CAPTURE(BM_OneMeter, Loudness, LoudnessMeter(kRate, 2));

// Ten minutes: one generated minute played ten times, fed to both in the meter's buffers.
const std::vector<int16_t>& Minute() {
    static const std::vector<int16_t> minute = Programme(static_cast<size_t>(kRate) * 60, 7);
    return minute;
}
constexpr int kMinutes = 10;

void BM_CoreTenMinutes(benchmark::State& state) {
    const std::vector<int16_t>& minute = Minute();
    const size_t frames = minute.size() / 2;
    for (auto _ : state) {
        TruePeakMeter truePeak(kRate, 2);
        LoudnessMeter loudness(kRate, 2);
        int samplePeak = 0;
        for (int m = 0; m < kMinutes; ++m) {
            for (size_t f = 0; f < frames; f += kFrames) {
                const size_t n = std::min(kFrames, frames - f);
                const int16_t* samples = minute.data() + 2 * f;
                truePeak.Process(samples, n);
                loudness.Process(samples, n);
                for (size_t i = 0; i < 2 * n; ++i) {
                    samplePeak = std::max(samplePeak, std::abs(int{samples[i]}));
                }
            }
        }
        benchmark::DoNotOptimize(loudness.Integrated());
        benchmark::DoNotOptimize(loudness.Range());
        benchmark::DoNotOptimize(truePeak.MaxLinear());
        benchmark::DoNotOptimize(samplePeak);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(frames) * kMinutes);
}
BENCHMARK(BM_CoreTenMinutes)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Libebur128TenMinutes(benchmark::State& state) {
    const std::vector<int16_t>& minute = Minute();
    const size_t frames = minute.size() / 2;
    for (auto _ : state) {
        ebur128_state* meter =
            ebur128_init(2, static_cast<unsigned long>(kRate),
                         EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK |
                             EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_HISTOGRAM);
        for (int m = 0; m < kMinutes; ++m) {
            for (size_t f = 0; f < frames; f += kFrames) {
                const size_t n = std::min(kFrames, frames - f);
                ebur128_add_frames_short(meter, minute.data() + 2 * f, n);
            }
        }
        double integrated = 0.0;
        double range = 0.0;
        double truePeak = 0.0;
        double samplePeak = 0.0;
        ebur128_loudness_global(meter, &integrated);
        ebur128_loudness_range(meter, &range);
        ebur128_true_peak(meter, 0, &truePeak);
        ebur128_sample_peak(meter, 0, &samplePeak);
        benchmark::DoNotOptimize(integrated + range + truePeak + samplePeak);
        ebur128_destroy(&meter);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(frames) * kMinutes);
}
BENCHMARK(BM_Libebur128TenMinutes)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace kestrin

BENCHMARK_MAIN();
