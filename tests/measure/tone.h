#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

namespace kestrin {

// A piece of a test tone: every channel's sine amplitude in dBFS (below -200: silent) and its
// length in seconds.
struct ToneSegment {
    std::vector<double> Dbfs;
    double Seconds;
};

// Interleaved sine of one frequency through the segments, the phase running on across them;
// fadeSeconds of raised-cosine fade at both ends.
inline std::vector<float> Tone(double rate, const std::vector<ToneSegment>& segments,
                               double hz = 1000.0, double phase = 0.0, double fadeSeconds = 0.0) {
    const size_t channels = segments.front().Dbfs.size();
    size_t total = 0;
    for (const ToneSegment& segment : segments) {
        total += static_cast<size_t>(std::lround(segment.Seconds * rate));
    }
    const auto fade = static_cast<size_t>(std::lround(fadeSeconds * rate));
    std::vector<float> out(total * channels);
    size_t n = 0;
    for (const ToneSegment& segment : segments) {
        const auto frames = static_cast<size_t>(std::lround(segment.Seconds * rate));
        for (size_t f = 0; f < frames; ++f, ++n) {
            const double edge = static_cast<double>(std::min(n, total - 1 - n));
            const double envelope = edge < static_cast<double>(fade)
                                        ? 0.5 - 0.5 * std::cos(std::numbers::pi * edge / fade)
                                        : 1.0;
            const double wave = envelope * std::sin(2.0 * std::numbers::pi * hz * n / rate + phase);
            for (size_t c = 0; c < channels; ++c) {
                const double db = segment.Dbfs[c];
                out[n * channels + c] =
                    db < -200.0 ? 0.0f : static_cast<float>(std::pow(10.0, db / 20.0) * wave);
            }
        }
    }
    return out;
}

}  // namespace kestrin
