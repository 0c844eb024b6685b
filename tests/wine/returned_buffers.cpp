#include "tests/wine/returned_buffers.h"

#include <cstring>

namespace kestrin::wine_test {
namespace {

constexpr uint32_t kSilence = 0;  // frame number of a silent frame, in no stream

}  // namespace

std::vector<uint32_t> FrameNumbers(const char* block, uint32_t bytes) {
    std::vector<uint32_t> numbers;
    numbers.reserve(bytes / 4);
    for (uint32_t at = 0; at + 4 <= bytes; at += 4) {
        int16_t samples[2];
        std::memcpy(samples, block + at, sizeof samples);
        numbers.push_back(FrameNumber(samples[0], samples[1]));
    }
    return numbers;
}

bool FromStream(const Returned& buffer, uint32_t first) {
    for (uint32_t frame : buffer.frames) {
        if (InStream(frame, first)) return true;
    }
    return false;
}

Continuity FollowStream(const std::vector<Returned>& all, size_t begin, size_t end, uint32_t first,
                        uint32_t previous) {
    Continuity c;
    c.lastFrame = previous;
    for (size_t i = begin; i < end; ++i) {
        bool atBorder = true;
        for (uint32_t frame : all[i].frames) {
            if (c.lastFrame == kSilence && frame == kSilence) continue;
            if (!InStream(frame, first)) {
                ++c.foreign;
            } else if (c.lastFrame != kSilence && frame != c.lastFrame + 1) {
                ++(atBorder ? c.betweenBuffers : c.insideBuffers);
            }
            c.lastFrame = frame;
            atBorder = false;
            ++c.frames;
        }
    }
    return c;
}

}  // namespace kestrin::wine_test
