#pragma once

#include <chrono>

namespace kestrin::test {

// A limit for the watch of a stalled device that no test reaches, for tests that hand out buffers
// only when they ask: their devices may go quiet for longer than a real one ever may.
constexpr std::chrono::milliseconds kQuietTestTimeout = std::chrono::hours(1);

// Ends the capture in order, as the meter itself never does: the watch for a stalled device
// stops, no device is in use any more (so no fresh buffer is queued), every open device is reset,
// and each is closed once its last buffer has come back and been released, so the event loop must
// keep running until CaptureStopped(). OpenCapture starts afresh.
void StopCapture();
// No device open: nothing queued, nothing outstanding.
bool CaptureStopped();

}  // namespace kestrin::test
