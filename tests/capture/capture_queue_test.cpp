// Listing, opening, the queue of buffers and restarts on simulated devices, driven the way the
// buffer pipeline drives them.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstring>

#include "capture/capture.h"
#include "capture/capture_devices.h"
#include "tests/capture/capture_test_support.h"

namespace kestrin::test {
namespace {

// Frame i of the test signal: distinct in every frame and in both channels.
SimulatedWaveIn::Frame Ramp(uint64_t i) {
    return {static_cast<int16_t>(i % 30000 + 1),
            static_cast<int16_t>(-static_cast<int>(i % 20000))};
}

class CaptureQueueTest : public SimulatedCaptureTest {
  protected:
    CaptureQueueTest() { sim.SetSignal(Ramp); }

    void OpenRecording(int32_t device = 0) {
        DeviceIndex = device;
        OpenCapture();
        ASSERT_EQ(notifier.endCount, 0);
    }
    // The headers added to a device, in the order they were added.
    std::vector<const WAVEHDR*> AddedTo(HWAVEIN device) const {
        std::vector<const WAVEHDR*> headers;
        for (const auto& call : sim.calls()) {
            if (call.call == Call::AddBuffer && call.device == device && call.result == 0) {
                headers.push_back(call.header);
            }
        }
        return headers;
    }
    // Fills and hands back one buffer after another, each handled before the next is filled.
    void RunBuffers(int count) {
        for (int i = 0; i < count; ++i) {
            sim.DeliverBuffers(1);
            HandleReturnedBuffers();
        }
    }
    std::vector<const ReturnedBuffer*> ReturnedFrom(HWAVEIN device) const {
        std::vector<const ReturnedBuffer*> buffers;
        for (const auto& b : receiver.returned) {
            if (b.device == device) buffers.push_back(&b);
        }
        return buffers;
    }
};

TEST_F(CaptureQueueTest, ListsEveryDeviceInIdOrder) {
    sim.SetDevices({"Line In", "USB Audio", "Line In"});
    EXPECT_EQ(ListInputDevices(), (std::vector<std::string>{"Line In", "USB Audio", "Line In"}));
    sim.SetDevices({});
    EXPECT_TRUE(ListInputDevices().empty());
}

TEST_F(CaptureQueueTest, DeviceWhoseCapabilitiesFailKeepsItsPlace) {
    sim.FailNext(Call::GetDevCaps, MMSYSERR_NODRIVER, 1, 1);
    EXPECT_EQ(ListInputDevices(), (std::vector<std::string>{"Line In", "", "Monitor of Speakers"}));
}

// A name that fills the whole field without a terminating NUL is read to its 32nd character.
class FullWidthNames : public SimulatedWaveIn {
  public:
    using SimulatedWaveIn::SimulatedWaveIn;
    MMRESULT GetDevCaps(uint32_t id, WAVEINCAPS* caps) override {
        const MMRESULT result = SimulatedWaveIn::GetDevCaps(id, caps);
        std::memcpy(caps->szPname, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", kMaxPnameLen);
        return result;
    }
};

TEST_F(CaptureQueueTest, NameIsReadUpToThirtyTwoCharacters) {
    FullWidthNames wide({"x"});
    SetWaveIn(&wide);
    EXPECT_EQ(ListInputDevices(), (std::vector<std::string>{"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"}));
    SetWaveIn(&sim);
}

TEST_F(CaptureQueueTest, LongNamesAreCutAsTheFieldHoldsThem) {
    sim.SetDevices({"Monitor of Built-in Audio Analog Stereo"});
    EXPECT_EQ(ListInputDevices(), (std::vector<std::string>{"Monitor of Built-in Audio Analo"}));
}

TEST_F(CaptureQueueTest, OpensWithTheCaptureFormatAndThreeFreshBuffers) {
    OpenRecording(2);
    EXPECT_EQ(CallsFrom(0),
              (std::vector<Call>{Call::QueryFormat, Call::Open, Call::PrepareHeader,
                                 Call::AddBuffer, Call::PrepareHeader, Call::AddBuffer,
                                 Call::PrepareHeader, Call::AddBuffer, Call::Start}));
    for (const auto& call : sim.calls()) {
        if (call.call == Call::QueryFormat || call.call == Call::Open) {
            EXPECT_EQ(call.deviceId, 2);
            EXPECT_EQ(call.format.wFormatTag, 1);
            EXPECT_EQ(call.format.nChannels, 2);
            EXPECT_EQ(call.format.nSamplesPerSec, 44100u);
            EXPECT_EQ(call.format.nAvgBytesPerSec, 176400u);
            EXPECT_EQ(call.format.nBlockAlign, 4);
            EXPECT_EQ(call.format.wBitsPerSample, 16);
            EXPECT_EQ(call.format.cbSize, 0);
        }
        if (call.call == Call::PrepareHeader) {
            EXPECT_NE(call.headerAtCall.lpData, nullptr);
            EXPECT_EQ(call.headerAtCall.dwBufferLength, 4400u);
            EXPECT_EQ(call.headerAtCall.dwBytesRecorded, 0u);
            EXPECT_EQ(call.headerAtCall.dwUser, 0u);
            EXPECT_EQ(call.headerAtCall.dwFlags, 0u);
            EXPECT_EQ(call.headerAtCall.dwLoops, 0u);
            EXPECT_EQ(call.device, CaptureHandle);
        }
    }
    EXPECT_EQ(sim.DeviceIdOf(CaptureHandle), 2);
    EXPECT_TRUE(sim.IsStarted(CaptureHandle));
    EXPECT_EQ(AddedTo(CaptureHandle).size(), 3u);
}

// A device that records each input at the rate it runs at: every opening, a restart too, asks
// for the design's format as before and queues buffers of the design's 24.94 ms at the rate the
// device then records at, rounded to the nearest frame.
TEST_F(CaptureQueueTest, BuffersLastTheDesignsPeriodAtTheRateTheDeviceRecordsAt) {
    struct Case {
        uint32_t rate;   // frames per second the device records at; 0: the format's
        uint32_t bytes;  // of each buffer
    };
    const Case cases[] = {{48000, 4788}, {22050, 2200}, {96000, 9580}, {0, 4400}, {44100, 4400}};
    bool opened = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        sim.SetRecordingRate(c.rate);
        sim.ClearCalls();
        if (!opened) {
            OpenRecording();
            opened = true;
        } else {
            RestartCapture();
        }
        EXPECT_EQ(CaptureRate(), c.rate != 0 ? c.rate : 44100u);
        int prepared = 0;
        for (const auto& call : sim.calls()) {
            if (call.call == Call::Open) {
                EXPECT_EQ(call.format.nSamplesPerSec, 44100u);
            }
            if (call.call == Call::PrepareHeader && call.device == CaptureHandle) {
                EXPECT_EQ(call.headerAtCall.dwBufferLength, c.bytes);
                ++prepared;
            }
        }
        EXPECT_EQ(prepared, 3);
        ASSERT_EQ(sim.DeliverBuffers(1, CaptureHandle), 1) << "one buffer is one design period";
    }
}

// At the program's end the event loop is over: a device left by a restart and the one in use
// are both closed at once, their buffers freed (the leak check of the sanitizer build sees any
// that are not), and nothing waits for messages that will never be dispatched.
TEST_F(CaptureQueueTest, ClosingAtTheEndClosesEveryDeviceAndFreesItsBuffers) {
    OpenRecording();
    const HWAVEIN left = CaptureHandle;
    RestartCapture();
    const HWAVEIN used = CaptureHandle;
    ASSERT_NE(used, left);
    CloseCapture();
    QCoreApplication::removePostedEvents(&receiver);
    std::vector<HWAVEIN> closed;
    for (const auto& call : sim.calls()) {
        if (call.call == Call::Close && call.result == MMSYSERR_NOERROR) {
            closed.push_back(call.device);
        }
    }
    std::vector<HWAVEIN> both{left, used};
    std::sort(closed.begin(), closed.end());
    std::sort(both.begin(), both.end());
    EXPECT_EQ(closed, both);
    EXPECT_TRUE(OpenDevices().empty());
    EXPECT_EQ(CaptureHandle, nullptr);
}

TEST_F(CaptureQueueTest, DeviceMapperIsPassedOnUnchanged) {
    OpenRecording(WAVE_MAPPER);
    EXPECT_EQ(sim.calls()[0].deviceId, WAVE_MAPPER);
    EXPECT_EQ(sim.calls()[1].deviceId, WAVE_MAPPER);
    EXPECT_EQ(sim.DeviceIdOf(CaptureHandle), 0);
}

TEST_F(CaptureQueueTest, BuffersComeBackInQueueOrderWithTheRecordedSamples) {
    OpenRecording();
    RunBuffers(10);
    const std::vector<const WAVEHDR*> added = AddedTo(CaptureHandle);
    ASSERT_EQ(receiver.returned.size(), 10u);
    for (size_t b = 0; b < receiver.returned.size(); ++b) {
        const ReturnedBuffer& buffer = receiver.returned[b];
        EXPECT_EQ(buffer.header, added[b]) << "buffer " << b;
        EXPECT_EQ(buffer.device, CaptureHandle);
        EXPECT_EQ(buffer.bytesRecorded, 4400u);
        EXPECT_TRUE(buffer.flags & WHDR_DONE);
        for (size_t f = 0; f < 1100; ++f) {
            const auto expected = Ramp(b * 1100 + f);
            ASSERT_EQ(buffer.samples[2 * f], expected.first) << "buffer " << b << " frame " << f;
            ASSERT_EQ(buffer.samples[2 * f + 1], expected.second);
        }
    }
    // Each buffer was replaced by exactly one fresh one.
    EXPECT_EQ(sim.QueuedCount(CaptureHandle), 3);
    EXPECT_EQ(added.size(), 13u);
}

TEST_F(CaptureQueueTest, EachBufferIsReleasedByTheDeviceThatReturnedIt) {
    OpenRecording();
    RunBuffers(2);
    for (const auto& call : sim.calls()) {
        if (call.call == Call::UnprepareHeader) {
            EXPECT_EQ(call.device, CaptureHandle);
            EXPECT_EQ(call.result, 0u);
        }
    }
    EXPECT_EQ(sim.OutstandingCount(CaptureHandle), 3);
}

TEST_F(CaptureQueueTest, RestartHandsBackThePartlyFilledBufferFirstAndTheRestEmpty) {
    OpenRecording(0);
    const HWAVEIN first = CaptureHandle;
    const std::vector<const WAVEHDR*> queued = AddedTo(first);
    sim.DeliverFrames(500);
    DeviceIndex = 1;
    const size_t before = sim.calls().size();
    RestartCapture();
    ASSERT_EQ(notifier.endCount, 0);
    const std::vector<Call> restart = CallsFrom(before);
    ASSERT_GE(restart.size(), 2u);
    EXPECT_EQ(restart[0], Call::Reset);
    EXPECT_EQ(restart[1], Call::QueryFormat);
    EXPECT_EQ(sim.calls()[before].device, first);
    EXPECT_NE(CaptureHandle, first);
    EXPECT_EQ(sim.DeviceIdOf(CaptureHandle), 1);
    EXPECT_TRUE(receiver.returned.empty()) << "handed back only after the restart has returned";

    HandleReturnedBuffers();
    const auto back = ReturnedFrom(first);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0]->header, queued[0]);
    EXPECT_EQ(back[1]->header, queued[1]);
    EXPECT_EQ(back[2]->header, queued[2]);
    EXPECT_EQ(back[0]->bytesRecorded, 2000u);
    EXPECT_EQ(back[1]->bytesRecorded, 0u);
    EXPECT_EQ(back[2]->bytesRecorded, 0u);
    for (const auto* buffer : back) EXPECT_TRUE(buffer->flags & WHDR_DONE);
    EXPECT_EQ(back[0]->samples[998], Ramp(499).first);
    EXPECT_EQ(back[0]->samples[999], Ramp(499).second);
    // What the device did not fill reads as silence, not as stale memory.
    EXPECT_EQ(back[0]->samples[1000], 0);
    EXPECT_EQ(back[0]->samples[2199], 0);
    for (const auto& call : sim.calls()) {
        if (call.call == Call::UnprepareHeader && call.header == queued[0]) {
            EXPECT_EQ(call.device, first);
        }
    }
}

TEST_F(CaptureQueueTest, OneRestartLeavesSixBuffersOnTheNewDeviceAndClosesTheOld) {
    OpenRecording(0);
    const HWAVEIN first = CaptureHandle;
    sim.DeliverFrames(700);
    DeviceIndex = 1;
    RestartCapture();
    HandleReturnedBuffers();
    EXPECT_EQ(ReturnedFrom(first).size(), 3u);
    EXPECT_EQ(sim.QueuedCount(CaptureHandle), 6);
    EXPECT_EQ(AddedTo(CaptureHandle).size(), 6u);
    EXPECT_FALSE(sim.IsOpen(first));
    EXPECT_EQ(sim.OutstandingCount(first), 0);

    // The new device keeps all six turning over.
    RunBuffers(12);
    EXPECT_EQ(ReturnedFrom(CaptureHandle).size(), 12u);
    EXPECT_EQ(sim.QueuedCount(CaptureHandle), 6);
    EXPECT_EQ(notifier.endCount, 0);
}

TEST_F(CaptureQueueTest, TwoRestartsLeaveNineBuffers) {
    OpenRecording(0);
    const HWAVEIN first = CaptureHandle;
    DeviceIndex = 1;
    RestartCapture();
    HandleReturnedBuffers();
    const HWAVEIN second = CaptureHandle;
    sim.DeliverFrames(1500);  // one full buffer and a part of the next
    DeviceIndex = 2;
    RestartCapture();
    HandleReturnedBuffers();
    const auto fromSecond = ReturnedFrom(second);
    ASSERT_EQ(fromSecond.size(), 6u);
    EXPECT_EQ(fromSecond[0]->bytesRecorded, 4400u);
    EXPECT_EQ(fromSecond[1]->bytesRecorded, 1600u);
    for (size_t i = 2; i < 6; ++i) EXPECT_EQ(fromSecond[i]->bytesRecorded, 0u);
    EXPECT_EQ(sim.QueuedCount(CaptureHandle), 9);
    EXPECT_FALSE(sim.IsOpen(first));
    EXPECT_FALSE(sim.IsOpen(second));
    EXPECT_EQ(sim.DeviceIdOf(CaptureHandle), 2);
    EXPECT_EQ(notifier.endCount, 0);
}

// While the buffers of the device being left are still on their way back, it stays open: they
// are released by it.
TEST_F(CaptureQueueTest, LeftDeviceStaysOpenUntilItsLastBufferIsReleased) {
    OpenRecording(0);
    const HWAVEIN first = CaptureHandle;
    DeviceIndex = 1;
    RestartCapture();
    EXPECT_TRUE(sim.IsOpen(first));
    EXPECT_EQ(sim.OutstandingCount(first), 3);
    HandleReturnedBuffers();
    EXPECT_FALSE(sim.IsOpen(first));
}

}  // namespace
}  // namespace kestrin::test
