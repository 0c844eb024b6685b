#include "display/device_selection.h"

namespace kestrin {

int32_t FindDeviceIndex(const std::string& name, const std::vector<std::string>& devices) {
    int32_t result = -1;
    // The walk goes on past a match: of several devices with the same name the last one wins.
    for (size_t i = 0; i < devices.size(); ++i) {
        if (devices[i] == name) {
            result = static_cast<int32_t>(i);
        }
    }
    return result;
}

std::string DeviceNotFoundText(const std::string& deviceName) {
    return std::string("Input device") + "  " + '"' + deviceName + '"' + "  " + "not found." +
           "\n\r\n\r" + "The default device will be used.";
}

}  // namespace kestrin
