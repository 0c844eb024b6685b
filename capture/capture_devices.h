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
    bool left = false;  // reset and abandoned: closed once outstanding is empty
};

std::map<HWAVEIN, OpenDevice>& OpenDevices();
// The device is given up: it is closed as soon as every buffer queued to it has been released.
void Abandon(HWAVEIN device);
// The watch for a stalled device looks no more until the next opening.
void StopWatch();

}  // namespace kestrin
