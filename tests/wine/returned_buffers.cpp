#include "tests/wine/returned_buffers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kestrin::wine_test {
namespace {

constexpr uint32_t kSilence = 0;  // frame number of a silent frame, in no stream
constexpr size_t kBreaksLogged = 5;

void LogBreak(StreamCheck& check, size_t buffer, size_t frame, uint32_t number) {
    if (check.breaks.size() >= kBreaksLogged) return;
    char text[128];
    std::snprintf(text, sizeof text, "buffer %zu frame %zu: 0x%06x after 0x%06x", buffer, frame,
                  static_cast<unsigned>(number), static_cast<unsigned>(check.lastFrame));
    check.breaks.emplace_back(text);
}

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

StreamCheck FollowStream(const std::vector<Returned>& all, size_t begin, size_t end, uint32_t first,
                         uint32_t previous) {
    StreamCheck check;
    check.lastFrame = previous;
    size_t silence = 0;  // silent frames since the last frame of the stream
    for (size_t i = begin; i < end; ++i) {
        for (size_t j = 0; j < all[i].frames.size(); ++j) {
            const uint32_t frame = all[i].frames[j];
            if (frame == kSilence) {
                if (check.lastFrame != kSilence) ++silence;
                continue;
            }
            ++check.frames;
            const bool started = check.lastFrame != kSilence;
            if (!InStream(frame, first) || (started && frame <= check.lastFrame)) {
                ++check.changed;
                check.changed += silence;
                LogBreak(check, i, j, frame);
            } else if (started && frame != check.lastFrame + 1) {
                check.lostFrames += frame - check.lastFrame - 1 + silence;
                LogBreak(check, i, j, frame);
            } else {
                check.silentFrames += silence;
            }
            silence = 0;
            check.lastFrame = frame;
        }
    }
    // Silence at the end may hide sound lost: nothing after it tells.
    check.lostFrames += silence;
    return check;
}

double LongestIntervalMs(const std::vector<Returned>& all, size_t begin, size_t end) {
    double longest = 0;
    for (size_t i = begin + 1; i < end; ++i) {
        longest = std::max(longest, all[i].arrivalMs - all[i - 1].arrivalMs);
    }
    return longest;
}

}  // namespace kestrin::wine_test
