#pragma once

#include <cstddef>
#include <cstdint>
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

// How the frames of a run of returned buffers follow each other. Silence before the stream's
// first frame is skipped. A frame that does not follow the one before is counted as sound lost
// between buffers when it starts a buffer, as corruption inside one otherwise.
struct Continuity {
    int insideBuffers = 0;
    int betweenBuffers = 0;
    int foreign = 0;         // frames of another stream, or silence after the stream began
    uint32_t lastFrame = 0;  // frame number of the last frame, 0 when none
    size_t frames = 0;       // frames counted
};

// Over buffers [begin, end) of `all`; `previous` is the frame that came before them, 0 for none.
Continuity FollowStream(const std::vector<Returned>& all, size_t begin, size_t end, uint32_t first,
                        uint32_t previous = 0);

}  // namespace kestrin::wine_test
