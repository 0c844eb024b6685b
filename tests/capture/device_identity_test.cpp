// What a device is, as against where it stands in the list: the identity of the device in use is
// the one it had in the list it was opened from, it follows the device when the list is fetched
// again in another order, and it stays with the device in use until another one has opened.

#include <gtest/gtest.h>

#include "capture/capture.h"
#include "tests/capture/capture_test_support.h"

namespace kestrin::test {
namespace {

using DeviceIdentityTest = SimulatedCaptureTest;

TEST_F(DeviceIdentityTest, TheDeviceInUseKeepsItsIdentityWhenTheListIsReordered) {
    EXPECT_EQ(CaptureIdentity(), "") << "none before an opening";
    DeviceIndex = 1;
    OpenCapture();
    ASSERT_EQ(notifier.endCount, 0);
    EXPECT_EQ(CaptureIdentity(), "Microphone");

    // A new default input comes first in the list fetched next.
    sim.SetDevices({"Monitor of Speakers", "Line In", "Microphone"});
    EXPECT_EQ(ListInputDevices().size(), 3u);
    EXPECT_EQ(DeviceIdentity(2), CaptureIdentity());
    EXPECT_NE(DeviceIdentity(1), CaptureIdentity()) << "the id it was opened with is another's now";
}

TEST_F(DeviceIdentityTest, DevicesOfTheSameNameAreTold) {
    sim.SetDevices({"USB Audio", "Line In", "USB Audio"});
    EXPECT_NE(DeviceIdentity(0), DeviceIdentity(2));
    EXPECT_EQ(DeviceIdentity(WAVE_MAPPER), DeviceIdentity(0));
    EXPECT_EQ(DeviceIdentity(3), "") << "no device of that id";
}

TEST_F(DeviceIdentityTest, AFailedRestartLeavesTheIdentityOfTheDeviceStillInUse) {
    OpenCapture();
    ASSERT_EQ(notifier.endCount, 0);
    DeviceIndex = 2;
    sim.FailNext(Call::Open, MMSYSERR_ALLOCATED);
    RestartCapture();
    EXPECT_EQ(CaptureIdentity(), "Line In");

    DeviceIndex = 2;
    RestartCapture();
    EXPECT_EQ(CaptureIdentity(), "Monitor of Speakers");
    StopCapture();
    EXPECT_EQ(CaptureIdentity(), "");
}

}  // namespace
}  // namespace kestrin::test
