#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

// The signals the standard meter modes are held to, and how far a bar height stands from mark 4,
// for the tests of those modes at every level: the pipeline, the real sound servers, Wine.
namespace kestrin::test {

// A sine's sample at a time (seconds from its start): crest in sample units, frequency in Hz,
// starting phase in radians.
inline int16_t SineSample(double crest, double hz, double t, double phase = 0) {
    return static_cast<int16_t>(
        std::lround(crest * std::sin(2 * std::numbers::pi * hz * t + phase)));
}

// Interleaved samples at a rate: `silent` seconds of silence, then `loud` seconds of the sine on
// A and B alike.
inline std::vector<int16_t> Sine(double crest, double hz, int rate, double loud, double silent = 0,
                                 double phase = 0) {
    const auto quiet = static_cast<size_t>(std::lround(silent * rate));
    const auto frames = quiet + static_cast<size_t>(std::lround(loud * rate));
    std::vector<int16_t> samples(frames * 2);
    for (size_t frame = quiet; frame < frames; ++frame) {
        const int16_t v = SineSample(crest, hz, static_cast<double>(frame - quiet) / rate, phase);
        samples[2 * frame] = v;
        samples[2 * frame + 1] = v;
    }
    return samples;
}

// A crest (sample units) at a level in dB relative to full scale (32768).
inline double CrestAt(double dbfs) { return 32768.0 * std::pow(10.0, dbfs / 20.0); }

// dB relative to mark 4 of a bar height, read back along the level scale's worked segments (first
// and last index, first and last height; index 819 is mark 4): what the scale says a line at that
// height stands for.
inline double HeightToDb(int height) {
    constexpr double kSegments[][4] = {
        {0, 205, 0, 36},       {205, 333, 36, 73},     {333, 512, 73, 109},   {512, 819, 109, 146},
        {819, 1293, 146, 182}, {1293, 2061, 182, 219}, {2061, 3277, 219, 255}};
    double index = 3277;
    for (const auto& s : kSegments) {
        if (height <= s[3]) {
            index = s[0] + (height - s[2]) * (s[1] - s[0]) / (s[3] - s[2]);
            break;
        }
    }
    return 20.0 * std::log10(index / 819.0);
}

// Mark 6 (index 2061) in dB relative to mark 4, +8.02; a 5 kHz tone whose crest is 20610 reads
// there at calibration -12.
inline const double kMark6Db = 20.0 * std::log10(2061.0 / 819.0);
constexpr double kMark6Crest = 20610;

}  // namespace kestrin::test
