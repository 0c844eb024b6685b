#include "display/device_selection.h"

#include <gtest/gtest.h>

namespace kestrin {
namespace {

TEST(FindDeviceIndex, TheLastEqualEntryWins) {
    const std::vector<std::string> devices = {"Built-in", "USB Mic", "Line In", "USB Mic"};
    EXPECT_EQ(FindDeviceIndex("USB Mic", devices), 3);
    EXPECT_EQ(FindDeviceIndex("Built-in", devices), 0);
}

TEST(FindDeviceIndex, ComparesExactly) {
    const std::vector<std::string> devices = {"Built-in", "USB Mic"};
    EXPECT_EQ(FindDeviceIndex("usb mic", devices), -1);
    EXPECT_EQ(FindDeviceIndex("USB Mic ", devices), -1);
    EXPECT_EQ(FindDeviceIndex("USB", devices), -1);
    EXPECT_EQ(FindDeviceIndex("USB Mic", {}), -1);
}

TEST(DeviceNotFoundText, IsBuiltFromItsPieces) {
    EXPECT_EQ(DeviceNotFoundText("USB Mic"),
              "Input device  \"USB Mic\"  not found.\n\r\n\rThe default device will be used.");
    EXPECT_EQ(DeviceNotFoundText(""),
              "Input device  \"\"  not found.\n\r\n\rThe default device will be used.");
}

}  // namespace
}  // namespace kestrin
