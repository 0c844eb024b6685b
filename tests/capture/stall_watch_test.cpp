// The watch for a device that stops returning buffers while the capture runs: it must tell the
// operator once and end the program, and must stay quiet while buffers come, while a restart
// opens the next device, and once another failure has been told.

#include <gtest/gtest.h>

#include <chrono>

#include "capture/capture.h"
#include "tests/capture/capture_test_support.h"
#include "tests/support/event_wait.h"

namespace kestrin::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using Message = RecordingNotifier::Message;
using Messages = std::vector<Message>;

const char* const kStalledText =
    "The input device has stopped delivering sound. The program will end.";

class StallWatchTest : public SimulatedCaptureTest {
  protected:
    // Short, so that the tests need not wait the meter's 3 s.
    static constexpr milliseconds kTimeout{300};

    StallWatchTest() {
        SetStallTimeout(kTimeout);
        notifier.whileShown = [this] { shownAt.push_back(Clock::now()); };
    }
    void OpenRecording() {
        OpenCapture();
        ASSERT_EQ(notifier.endCount, 0);
        ASSERT_TRUE(StallWatchRunning());
    }
    bool Ended() const { return notifier.endCount > 0; }

    std::vector<Clock::time_point> shownAt;  // when each message was shown
};

TEST_F(StallWatchTest, ASilentDeviceIsToldOnceAndTheProgramEnds) {
    OpenRecording();
    ASSERT_TRUE(ProcessEventsUntil([&] { return Ended(); }, milliseconds(3000)));
    EXPECT_EQ(notifier.messages, (Messages{{kStalledText, kKestrinCaption}}));
    EXPECT_EQ(notifier.events,
              (std::vector<std::string>{std::string("message: ") + kStalledText, "end"}));
    EXPECT_FALSE(StallWatchRunning());
    // Told once, however long the box stands.
    ProcessEventsFor(kTimeout * 3);
    EXPECT_EQ(notifier.messages.size(), 1u);
}

TEST_F(StallWatchTest, ADeviceDeliveringAtItsRateIsNeverTold) {
    OpenRecording();
    sim.StartRealTime();
    ProcessEventsFor(kTimeout * 6);
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_TRUE(StallWatchRunning());
    EXPECT_GT(receiver.returned.size(), 40u);
}

// The limit counts from the last buffer that came back, not from the opening.
TEST_F(StallWatchTest, ToldOnlyOnceTheLimitHasPassedSinceTheLastBuffer) {
    OpenRecording();
    sim.StartRealTime();
    ProcessEventsFor(kTimeout * 2);
    sim.StopRealTime();
    ASSERT_FALSE(receiver.returned.empty());
    ASSERT_TRUE(notifier.messages.empty()) << "told while buffers came";
    ASSERT_TRUE(ProcessEventsUntil([&] { return Ended(); }, milliseconds(3000)));
    ASSERT_EQ(shownAt.size(), 1u);
    const double lastMs = receiver.returned.back().arrivalMs;
    const double toldMs =
        std::chrono::duration<double, std::milli>(shownAt[0].time_since_epoch()).count();
    EXPECT_GE(toldMs - lastMs, static_cast<double>(kTimeout.count()));
    EXPECT_EQ(notifier.messages, (Messages{{kStalledText, kKestrinCaption}}));
}

// Buffers of a device left by a restart say nothing about the new one, which is watched afresh.
TEST_F(StallWatchTest, ARestartedCaptureIsWatchedOnTheNewDevice) {
    OpenRecording();
    DeviceIndex = 1;
    RestartCapture();
    ASSERT_EQ(notifier.endCount, 0);
    ASSERT_TRUE(StallWatchRunning());
    ASSERT_TRUE(ProcessEventsUntil([&] { return Ended(); }, milliseconds(3000)));
    EXPECT_EQ(notifier.messages, (Messages{{kStalledText, kKestrinCaption}}));
}

// A restart whose opening fails shows its own boxes; the watch of the device left must not add
// one while they stand, however long the operator takes.
TEST_F(StallWatchTest, NothingIsToldWhileAFailedRestartShowsItsBoxes) {
    OpenRecording();
    notifier.whileShown = [] { ProcessEventsFor(kTimeout * 3); };
    DeviceIndex = 1;
    sim.FailNext(Call::Open, MMSYSERR_ALLOCATED);
    RestartCapture();
    ASSERT_GE(notifier.messages.size(), 1u);
    for (const Message& message : notifier.messages) EXPECT_NE(message.text, kStalledText);
    EXPECT_FALSE(StallWatchRunning());
}

TEST_F(StallWatchTest, AFailureAlreadyToldStopsTheWatch) {
    OpenRecording();
    notifier.whileShown = [] { ProcessEventsFor(kTimeout * 3); };
    sim.FailNext(Call::PrepareHeader, MMSYSERR_NOMEM);
    sim.DeliverBuffers(1);
    HandleReturnedBuffers();
    EXPECT_EQ(notifier.messages, (Messages{{"In Prepare error 2", kRequeueCaption}}));
}

}  // namespace
}  // namespace kestrin::test
