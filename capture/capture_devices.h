#pragma once

#include <map>
#include <vector>

#include "capture/wave_in.h"

namespace kestrin {

// The capture's record of the devices it has opened, shared by its own steps and by whoever ends
// a capture in order (the meter itself never does).

// A device the capture opened and has not closed yet.
struct OpenDevice {
    // Added to the device, not yet released: a few at a time, so a list whose room, once grown,
    // is kept, and a buffer's round trip allocates nothing here.
    std::vector<WAVEHDR*> outstanding;
    bool left = false;         // reset and abandoned: closed once outstanding is empty
    uint32_t rate = 0;         // frames per second it was opened at
    uint32_t bufferBytes = 0;  // declared in each of its buffers: one design period at its rate
    // A failure of it has been shown, and the program ends when that box is dismissed: what else
    // fails on it meanwhile (its other buffers, coming back in the box's own loop) shows nothing.
    bool failureShown = false;
};

std::map<HWAVEIN, OpenDevice>& OpenDevices();
// The device is given up: it is closed as soon as every buffer queued to it has been released.
void Abandon(HWAVEIN device);
// The watch for a stalled device looks no more until the next opening.
void StopWatch();

}  // namespace kestrin
