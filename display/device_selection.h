#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/notice.h"

namespace kestrin {

// The position of the last entry of the device list that equals the name exactly (letter case
// counting, nothing trimmed), or -1 when none does.
int32_t FindDeviceIndex(const std::string& name, const std::vector<std::string>& devices);

// The start-up message for a stored input device that is not among the devices.
std::string DeviceNotFoundText(const std::string& deviceName);

}  // namespace kestrin
