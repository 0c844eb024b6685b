#include "tests/support/capture_stop.h"

#include <vector>

#include "capture/capture.h"
#include "capture/capture_devices.h"

namespace kestrin::test {

void StopCapture() {
    StopWatch();
    CaptureHandle = nullptr;
    std::vector<HWAVEIN> devices;
    for (auto& [device, state] : OpenDevices()) {
        // Also a device already left: a restart that failed may have queued buffers to it again.
        waveIn().Reset(device);
        devices.push_back(device);
    }
    for (HWAVEIN device : devices) Abandon(device);
}

bool CaptureStopped() { return OpenDevices().empty(); }

}  // namespace kestrin::test
