#include "app/measure/file_analysis.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <vector>

#include "app/measure/sound_file.h"
#include "measure/loudness.h"
#include "measure/quasi_peak.h"
#include "measure/true_peak.h"

namespace kestrin::tool {

namespace {

// Frames read from the file at a time: large enough that libsndfile's per-call cost and, with
// the true-peak meter on a thread of its own, the hand-over vanish, small enough to stay in the
// cache. The loudness meter steps in 10 ms whatever the block.
constexpr int64_t kReadFrames = 16384;
// Silence fed to the true-peak meter after the last frame: its interpolator answers a few
// samples late, and a converter would go on rebuilding the waveform into the silence after it.
constexpr size_t kTailFrames = 64;

// A float file may hold samples that are not numbers, infinite or absurdly large (damage): they
// are measured as silence by every meter, the sample peak included, and counted for the report.
int64_t SilenceDamagedSamples(float* samples, size_t count) {
    int64_t replaced = 0;
    for (size_t i = 0; i < count; ++i) {
        if (!(std::fabs(samples[i]) <= kLargestSample)) {
            samples[i] = 0.0f;
            ++replaced;
        }
    }
    return replaced;
}

void KeepSamplePeaks(const float* interleaved, int64_t frames, int channels, float* peaks) {
    for (int64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            peaks[c] = std::max(peaks[c], std::fabs(interleaved[f * channels + c]));
        }
    }
}

}  // namespace

std::optional<FileMeasures> Measure(SoundFile& file, IecType ppm, Progress* progress,
                                    std::string& why, bool truePeakBeside) {
    const int channels = file.channels();
    const double rate = file.rate();
    TruePeakMeter truePeak(rate, channels);
    QuasiPeakMeter quasiPeak(ppm, rate, channels);
    LoudnessMeter loudness(rate, channels);
    // Two blocks: the next one is read while the true-peak meter may still be on the last.
    std::vector<float> blocks[2];
    for (auto& block : blocks) block.resize(static_cast<size_t>(kReadFrames * channels));
    std::future<void> truePeakDone;  // the true-peak meter's work on the last block, if beside
    float samplePeak[kMaxMeterChannels] = {};

    if (progress) progress->announced += file.frames();
    FileMeasures m;
    int64_t got = 0;
    for (int turn = 0; (got = file.Read(blocks[turn].data(), kReadFrames)) > 0; turn ^= 1) {
        const float* block = blocks[turn].data();
        const auto frames = static_cast<size_t>(got);
        m.damaged +=
            SilenceDamagedSamples(blocks[turn].data(), frames * static_cast<size_t>(channels));
        if (truePeakDone.valid()) truePeakDone.get();
        if (truePeakBeside) {
            truePeakDone = std::async(std::launch::async, [&truePeak, block, frames] {
                truePeak.Process(block, frames);
            });
        } else {
            truePeak.Process(block, frames);
        }
        KeepSamplePeaks(block, got, channels, samplePeak);
        quasiPeak.Process(block, frames);
        loudness.Process(block, frames);
        m.frames += got;
        if (progress) progress->read += got;
    }
    if (truePeakDone.valid()) truePeakDone.get();
    const std::vector<float> tail(kTailFrames * static_cast<size_t>(channels), 0.0f);
    truePeak.Process(tail.data(), kTailFrames);
    // What was announced and not read no longer counts towards the progress.
    if (progress) progress->announced -= file.frames() - m.frames;
    why = file.Shortfall();
    if (!why.empty()) return std::nullopt;

    m.rate = file.rate();
    m.channels = channels;
    m.integrated = loudness.Integrated();
    m.range = loudness.Range();
    m.maxMomentary = loudness.MaxMomentary();
    m.maxShortTerm = loudness.MaxShortTerm();
    m.ppm = ppm;
    m.maxQuasiPeak = -HUGE_VAL;
    for (int c = 0; c < channels; ++c) {
        m.truePeak.push_back(LinearToDb(truePeak.MaxLinear(c)));
        m.samplePeak.push_back(LinearToDb(samplePeak[c]));
        m.maxQuasiPeak = std::max(m.maxQuasiPeak, LinearToDb(quasiPeak.Max(c)));
    }
    return m;
}

FileOutcome AnalyseFile(const std::string& path, IecType ppm, Progress* progress,
                        bool truePeakBeside) {
    FileOutcome outcome{path, std::nullopt, {}};
    auto file = SoundFile::Open(path, outcome.error);
    if (file) outcome.measures = Measure(*file, ppm, progress, outcome.error, truePeakBeside);
    return outcome;
}

}  // namespace kestrin::tool
