#pragma once

#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

// Signals played into the private server's sinks.
namespace kestrin::test {

// The first data from an idle null sink's monitor can take about 2 s.
inline constexpr std::chrono::milliseconds kFirstDataTimeout{6000};

// Frame i of the played pattern; never silent, repeating every 30000 frames.
inline std::pair<int16_t, int16_t> Pattern(uint64_t i) {
    return {static_cast<int16_t>(i % 30000 + 1),
            static_cast<int16_t>(-static_cast<int>(i * 3 % 30000) - 1)};
}

inline std::vector<int16_t> PatternSamples(uint64_t frames) {
    std::vector<int16_t> samples;
    samples.reserve(frames * 2);
    for (uint64_t i = 0; i < frames; ++i) {
        samples.push_back(Pattern(i).first);
        samples.push_back(Pattern(i).second);
    }
    return samples;
}

inline std::vector<int16_t> Constant(int16_t a, int16_t b, uint64_t frames) {
    std::vector<int16_t> samples;
    for (uint64_t i = 0; i < frames; ++i) {
        samples.push_back(a);
        samples.push_back(b);
    }
    return samples;
}

}  // namespace kestrin::test
