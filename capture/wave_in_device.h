#pragma once

#include "capture/wave_in.h"

namespace kestrin {

// What an HWAVEIN points to: each sound system derives its open device from it.
struct WaveInDevice {
    virtual ~WaveInDevice() = default;
};

}  // namespace kestrin
