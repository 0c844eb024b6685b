// Every failure of the capture device: the message, its caption, the ResetDevice box where the
// opening failed, and the end of the program, after which nothing more is done.

#include <gtest/gtest.h>

#include <regex>

#include "capture/capture.h"
#include "config/settings.h"
#include "tests/capture/capture_test_support.h"

namespace kestrin::test {
namespace {

using Message = RecordingNotifier::Message;
using Messages = std::vector<Message>;

const char* const kFormatMessage =
    "Wave Format Error. Your soundcard may not be suitable for this program or there may be a "
    "hardware problem.";
const char* const kOpenMessage =
    "Soundcard not available, or input channel may be in use by another program.";

class CaptureFailureTest : public SimulatedCaptureTest {
  protected:
    bool StoredDeviceCleared() const {
        const std::string text = SettingsText();
        return std::regex_search(text, std::regex("Device Name=\r?\n")) &&
               text.find("Old Card") == std::string::npos;
    }
    bool Called(Call call) const {
        for (Call c : sim.callSequence()) {
            if (c == call) return true;
        }
        return false;
    }
    // Opens the capture on device 0 and checks that it is recording.
    void OpenRecording() {
        OpenCapture();
        ASSERT_EQ(notifier.endCount, 0);
        ASSERT_EQ(sim.QueuedCount(CaptureHandle), 3);
    }
};

TEST_F(CaptureFailureTest, FormatRefusedShowsFormatThenResetMessageAndEnds) {
    sim.FailNext(Call::QueryFormat, WAVERR_BADFORMAT);
    OpenCapture();
    EXPECT_EQ(notifier.messages, (Messages{{kFormatMessage, kKestrinCaption},
                                           {kResetDeviceMessage, kKestrinCaption}}));
    EXPECT_EQ(notifier.events.back(), "end");
    EXPECT_EQ(notifier.endCount, 1);
    EXPECT_TRUE(StoredDeviceCleared());
    EXPECT_FALSE(Called(Call::Open));
}

TEST_F(CaptureFailureTest, NoSuchDeviceShowsOnlyResetMessageAndEnds) {
    DeviceIndex = 3;  // three devices: 0 to 2
    OpenCapture();
    EXPECT_EQ(notifier.messages, (Messages{{kResetDeviceMessage, kKestrinCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
    EXPECT_TRUE(StoredDeviceCleared());
    EXPECT_FALSE(Called(Call::Open));
}

TEST_F(CaptureFailureTest, AnyOtherQueryResultShowsOnlyResetMessage) {
    sim.FailNext(Call::QueryFormat, MMSYSERR_NODRIVER);
    OpenCapture();
    EXPECT_EQ(notifier.messages, (Messages{{kResetDeviceMessage, kKestrinCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
}

TEST_F(CaptureFailureTest, NoDeviceAtAllEndsAfterResetMessage) {
    sim.SetDevices({});
    EXPECT_TRUE(ListInputDevices().empty());
    OpenCapture();
    EXPECT_EQ(notifier.messages, (Messages{{kResetDeviceMessage, kKestrinCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
}

TEST_F(CaptureFailureTest, OpenRefusedShowsOpenThenResetMessageAndEnds) {
    sim.FailNext(Call::Open, MMSYSERR_ALLOCATED);
    OpenCapture();
    EXPECT_EQ(notifier.messages,
              (Messages{{kOpenMessage, kKestrinCaption}, {kResetDeviceMessage, kKestrinCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
    EXPECT_TRUE(StoredDeviceCleared());
    EXPECT_FALSE(Called(Call::PrepareHeader));
}

TEST_F(CaptureFailureTest, PrepareRefusedAtOpeningEndsWithoutStarting) {
    sim.FailNext(Call::PrepareHeader, MMSYSERR_NOMEM);
    OpenCapture();
    EXPECT_EQ(notifier.messages, (Messages{{"InPrepare error", kKestrinCaption}}));
    EXPECT_EQ(notifier.events, (std::vector<std::string>{"message: InPrepare error", "end"}));
    EXPECT_EQ(CallsFrom(0),
              (std::vector<Call>{Call::QueryFormat, Call::Open, Call::PrepareHeader}));
    EXPECT_TRUE(SettingsText().find("Old Card") != std::string::npos);
}

TEST_F(CaptureFailureTest, ThirdAddRefusedAtOpeningEndsWithoutStarting) {
    sim.FailNext(Call::AddBuffer, MMSYSERR_INVALHANDLE, 1, 2);
    OpenCapture();
    EXPECT_EQ(notifier.messages, (Messages{{"Add buffer error", kKestrinCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
    EXPECT_EQ(sim.QueuedCount(CaptureHandle), 2);
    EXPECT_FALSE(Called(Call::Start));
}

TEST_F(CaptureFailureTest, AddRefusedAtOpening) {
    sim.FailNext(Call::AddBuffer, MMSYSERR_INVALHANDLE);
    OpenCapture();
    EXPECT_EQ(notifier.messages, (Messages{{"Add buffer error", kKestrinCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
    EXPECT_EQ(sim.QueuedCount(CaptureHandle), 0);
    EXPECT_FALSE(Called(Call::Start));
}

TEST_F(CaptureFailureTest, StartRefusedEnds) {
    sim.FailNext(Call::Start, MMSYSERR_NODRIVER);
    OpenCapture();
    EXPECT_EQ(notifier.messages, (Messages{{"Start error", kKestrinCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
    EXPECT_TRUE(SettingsText().find("Old Card") != std::string::npos);
}

TEST_F(CaptureFailureTest, ReleaseRefusedEndsBeforeTheBufferIsRead) {
    OpenRecording();
    sim.FailNext(Call::UnprepareHeader, MMSYSERR_INVALHANDLE);
    const size_t before = sim.calls().size();
    sim.DeliverBuffers(1);
    HandleReturnedBuffers();
    EXPECT_EQ(notifier.messages, (Messages{{"In-UnPrepare error", kKestrinCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
    EXPECT_TRUE(receiver.returned.empty());
    EXPECT_EQ(CallsFrom(before), (std::vector<Call>{Call::UnprepareHeader}));
}

TEST_F(CaptureFailureTest, PrepareRefusedOnRequeueEndsWithItsOwnCaption) {
    OpenRecording();
    sim.FailNext(Call::PrepareHeader, MMSYSERR_NOMEM);
    sim.DeliverBuffers(1);
    HandleReturnedBuffers();
    EXPECT_EQ(notifier.messages, (Messages{{"In Prepare error 2", kRequeueCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
    EXPECT_EQ(receiver.returned.size(), 1u);
    EXPECT_EQ(sim.QueuedCount(CaptureHandle), 2);
}

TEST_F(CaptureFailureTest, AddRefusedOnRequeueEndsWithItsOwnCaption) {
    OpenRecording();
    sim.FailNext(Call::AddBuffer, MMSYSERR_NODRIVER);
    sim.DeliverBuffers(1);
    HandleReturnedBuffers();
    EXPECT_EQ(notifier.messages, (Messages{{"Add buffer error 2", kRequeueCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
    EXPECT_EQ(sim.QueuedCount(CaptureHandle), 2);
}

TEST_F(CaptureFailureTest, FailedOpeningDuringRestartEndsAsAtStartUp) {
    OpenRecording();
    DeviceIndex = 1;
    sim.FailNext(Call::Open, MMSYSERR_ALLOCATED);
    RestartCapture();
    EXPECT_EQ(notifier.messages,
              (Messages{{kOpenMessage, kKestrinCaption}, {kResetDeviceMessage, kKestrinCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
}

// While the restart's boxes stand, their nested loops hand the buffers of the device left to the
// pipeline, whose requeue goes to CaptureHandle: still the device left, which takes them, so that
// no requeue box covers the designed ones and the stored name is cleared.
TEST_F(CaptureFailureTest, FailedOpeningDuringRestartShowsOnlyItsOwnBoxesWhileBuffersComeBack) {
    OpenRecording();
    const HWAVEIN left = CaptureHandle;
    sim.DeliverFrames(500);  // the first buffer partly filled
    notifier.whileShown = [] { HandleReturnedBuffers(); };
    DeviceIndex = 1;
    sim.FailNext(Call::Open, MMSYSERR_ALLOCATED);
    RestartCapture();
    EXPECT_EQ(notifier.messages,
              (Messages{{kOpenMessage, kKestrinCaption}, {kResetDeviceMessage, kKestrinCaption}}));
    EXPECT_EQ(notifier.events.back(), "end");
    EXPECT_EQ(notifier.endCount, 1);
    EXPECT_TRUE(StoredDeviceCleared());
    EXPECT_EQ(receiver.returned.size(), 3u) << "the buffers handed back were handled";
    EXPECT_EQ(CaptureHandle, left);
    EXPECT_EQ(sim.OutstandingCount(left), 3) << "and replaced on the device still in use";
}

TEST_F(CaptureFailureTest, FailedQueryDuringRestartShowsOnlyTheResetBox) {
    OpenRecording();
    notifier.whileShown = [] { HandleReturnedBuffers(); };
    DeviceIndex = 7;  // gone since the list was read
    RestartCapture();
    EXPECT_EQ(notifier.messages, (Messages{{kResetDeviceMessage, kKestrinCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
    EXPECT_TRUE(StoredDeviceCleared());
    EXPECT_EQ(receiver.returned.size(), 3u);
}

// The program must end even when the settings file refuses to forget the device: carrying on
// without a capture would leave a meter that shows nothing.
TEST_F(CaptureFailureTest, UnwritableSettingsFileStillEndsTheProgram) {
    const std::string unwritable = (folder.path() / "missing" / "kestrin.ini").string();
    SetSettingsFilePath(unwritable);
    sim.FailNext(Call::Open, MMSYSERR_ALLOCATED);
    OpenCapture();
    ASSERT_EQ(notifier.messages.size(), 3u);
    EXPECT_EQ(notifier.messages[0].text, kOpenMessage);
    EXPECT_EQ(notifier.messages[1].text, kResetDeviceMessage);
    EXPECT_EQ(notifier.messages[2], (Message{"Unable to write to " + unwritable, "Kestrin", true}));
    EXPECT_EQ(notifier.events.back(), "end");
    EXPECT_EQ(notifier.endCount, 1);
}

}  // namespace
}  // namespace kestrin::test
