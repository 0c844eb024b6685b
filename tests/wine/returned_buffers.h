#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "capture/wave_in.h"
#include "tests/wine/sample_pattern.h"

namespace kestrin::wine_test {

// One MM_WIM_DATA as the handler saw it.
struct Returned {
    HWAVEIN device = nullptr;
    bool oldestQueued = false;     // the oldest buffer queued to that device
    uint32_t bytes = 0;            // dwBytesRecorded
    bool done = false;             // WHDR_DONE set
    double arrivalMs = 0;          // since the program's start
    int outstandingAfter = 0;      // buffers the device in use holds once the fresh one is queued
    std::vector<uint32_t> frames;  // frame numbers of the recorded frames
};

// The frame numbers of the first `bytes` bytes of a block of 16-bit stereo frames.
std::vector<uint32_t> FrameNumbers(const char* block, uint32_t bytes);

// Whether any frame of the buffer belongs to the stream that starts at `first`.
bool FromStream(const Returned& buffer, uint32_t first);

// How the frames of a run of returned buffers follow the stream played, from its first frame on
// (silence before it is skipped). Each frame should be the one after the frame before it.
struct StreamCheck {
    size_t frames = 0;        // frames looked at
    size_t changed = 0;       // frames no player played there: another stream's, a repeated or
                              // earlier frame of this one; never right
    size_t lostFrames = 0;    // frames of the stream skipped over: sound lost
    size_t silentFrames = 0;  // silence after which the stream goes on where it was: the player
                              // fell behind, nothing of the stream is missing or changed
    uint32_t lastFrame = 0;   // frame number of the last frame, 0 when none
    std::vector<std::string> breaks;  // where the first few frames out of place are, for the log
};

// Over buffers [begin, end) of `all`; `previous` is the frame that came before them, 0 for none.
StreamCheck FollowStream(const std::vector<Returned>& all, size_t begin, size_t end, uint32_t first,
                         uint32_t previous = 0);

// The longest time between the arrivals of two buffers of [begin, end).
double LongestIntervalMs(const std::vector<Returned>& all, size_t begin, size_t end);

}  // namespace kestrin::wine_test
