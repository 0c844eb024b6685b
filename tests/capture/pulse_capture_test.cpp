// The capture against a real sound server of the test's own, PulseAudio and PipeWire alike, with
// null sinks whose monitors give back what is played into them, sample for sample.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>

#include "capture/capture.h"
#include "capture/pulse_wave_in.h"
#include "tests/capture/capture_test_support.h"
#include "tests/capture/pulse_test_signals.h"
#include "tests/support/event_wait.h"
#include "tests/support/private_pipewire_server.h"
#include "tests/support/private_sound_server.h"
#include "tests/support/sample_player.h"

namespace kestrin::test {
namespace {

using std::chrono::milliseconds;

bool Holds(const ReturnedBuffer& buffer, int16_t a, int16_t b) {
    for (size_t f = 0; f < 1100; ++f) {
        if (buffer.samples[2 * f] == a && buffer.samples[2 * f + 1] == b) return true;
    }
    return false;
}

// Passes every call on to the PulseAudio devices and counts, per device, the buffers added and
// not yet released, and whether it was closed.
class CountingWaveIn : public WaveIn {
  public:
    explicit CountingWaveIn(WaveIn& inner) : m_inner(inner) {}
    uint32_t GetNumDevs() override { return m_inner.GetNumDevs(); }
    MMRESULT GetDevCaps(uint32_t id, WAVEINCAPS* caps) override {
        return m_inner.GetDevCaps(id, caps);
    }
    std::string DeviceName(uint32_t id) override { return m_inner.DeviceName(id); }
    std::string DeviceIdentity(int32_t id) override { return m_inner.DeviceIdentity(id); }
    MMRESULT QueryFormat(int32_t id, const WAVEFORMATEX& format) override {
        return m_inner.QueryFormat(id, format);
    }
    MMRESULT Open(HWAVEIN* device, int32_t id, const WAVEFORMATEX& format,
                  WaveInReceiver receiver) override {
        const MMRESULT result = m_inner.Open(device, id, format, receiver);
        if (result == 0) opened.push_back(*device);
        return result;
    }
    uint32_t RecordingRate(HWAVEIN device) override { return m_inner.RecordingRate(device); }
    MMRESULT PrepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) override {
        return m_inner.PrepareHeader(device, header, size);
    }
    MMRESULT AddBuffer(HWAVEIN device, WAVEHDR* header, uint32_t size) override {
        const MMRESULT result = m_inner.AddBuffer(device, header, size);
        if (result == 0) ++outstanding[device];
        return result;
    }
    MMRESULT Start(HWAVEIN device) override { return m_inner.Start(device); }
    MMRESULT UnprepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) override {
        const bool wasAdded = header->dwFlags & WHDR_DONE;
        const MMRESULT result = m_inner.UnprepareHeader(device, header, size);
        if (result == 0 && wasAdded) --outstanding[device];
        return result;
    }
    MMRESULT Reset(HWAVEIN device) override { return m_inner.Reset(device); }
    MMRESULT Close(HWAVEIN device) override {
        const MMRESULT result = m_inner.Close(device);
        if (result == 0) closed.push_back(device);
        return result;
    }
    bool IsClosed(HWAVEIN device) const {
        return std::find(closed.begin(), closed.end(), device) != closed.end();
    }

    std::vector<HWAVEIN> opened;
    std::vector<HWAVEIN> closed;
    std::map<HWAVEIN, int> outstanding;

  private:
    WaveIn& m_inner;
};

class PulseCaptureTest : public CaptureFixture,
                         public ::testing::WithParamInterface<SoundServerKind> {
  protected:
    PulseCaptureTest() : server(StartPrivateServer(GetParam(), PrivateSoundServer::Sinks(2))) {
        server->UseInThisProcess();
        pulse = std::make_unique<PulseWaveIn>();
        counting = std::make_unique<CountingWaveIn>(*pulse);
        Use(*counting);
    }

    int32_t IdOf(const std::string& name) {
        const std::vector<std::string> names = ListInputDevices();
        auto it = std::find(names.begin(), names.end(), name);
        return it == names.end() ? -1 : static_cast<int32_t>(it - names.begin());
    }
    std::string MonitorName(size_t sink) const {
        return PrivateSoundServer::MonitorDescription(server->sinks()[sink]);
    }
    bool WaitForBuffers(size_t count, milliseconds timeout = kFirstDataTimeout) {
        return ProcessEventsUntil([&] { return receiver.returned.size() >= count; }, timeout);
    }

    std::unique_ptr<PrivateSoundServer> server;
    std::unique_ptr<PulseWaveIn> pulse;
    std::unique_ptr<CountingWaveIn> counting;
};

TEST_P(PulseCaptureTest, ListsTheMonitorsByDescriptionDefaultFirst) {
    const std::vector<std::string> names = ListInputDevices();
    EXPECT_EQ(names,
              (std::vector<std::string>{"Monitor of Kestrin Sink 0", "Monitor of Kestrin Sink 1"}));
    ASSERT_TRUE(server->SetDefaultSource("kestrin_sink_1.monitor"));
    EXPECT_EQ(ListInputDevices(),
              (std::vector<std::string>{"Monitor of Kestrin Sink 1", "Monitor of Kestrin Sink 0"}));
}

// Descriptions are listed whole (what szPname holds is the Windows program's limit); a
// description that an earlier source in the server's order has too is told apart by " (2)",
// " (3)", so that a stored name finds the source that was chosen, whichever is the default.
TEST_P(PulseCaptureTest, DescriptionsAreListedWholeAndTwinsToldApart) {
    for (const NullSink& sink :
         {NullSink{"long_one", "A Very Long Description Of A Test Sink"},
          NullSink{"twin_a", "Twin"}, NullSink{"twin_b", "Twin"}, NullSink{"twin_c", "Twin"}}) {
        ASSERT_GE(server->LoadNullSink(sink), 0);
    }
    EXPECT_EQ(ListInputDevices(),
              (std::vector<std::string>{"Monitor of Kestrin Sink 0", "Monitor of Kestrin Sink 1",
                                        "Monitor of A Very Long Description Of A Test Sink",
                                        "Monitor of Twin", "Monitor of Twin (2)",
                                        "Monitor of Twin (3)"}));
    ASSERT_TRUE(server->SetDefaultSource("twin_b.monitor"));
    const std::vector<std::string> names = ListInputDevices();
    EXPECT_EQ(names[0], "Monitor of Twin (2)");
    EXPECT_EQ(names[4], "Monitor of Twin");
    EXPECT_EQ(names[5], "Monitor of Twin (3)");
}

TEST_P(PulseCaptureTest, FormatQueryAcceptsEveryExistingSourceAndRefusesOthers) {
    ASSERT_EQ(ListInputDevices().size(), 2u);
    const WAVEFORMATEX format{1, 2, 44100, 176400, 4, 16, 0};
    EXPECT_EQ(pulse->QueryFormat(0, format), 0u);
    EXPECT_EQ(pulse->QueryFormat(1, format), 0u);
    EXPECT_EQ(pulse->QueryFormat(WAVE_MAPPER, format), 0u);
    EXPECT_EQ(pulse->QueryFormat(2, format), MMSYSERR_BADDEVICEID);
    const WAVEFORMATEX floats{3, 2, 44100, 352800, 8, 32, 0};
    EXPECT_EQ(pulse->QueryFormat(0, floats), WAVERR_BADFORMAT);
}

// The played samples come back bit for bit, in whole buffers of 1100 frames at the buffer rate.
TEST_P(PulseCaptureTest, PlayedSamplesComeBackBitForBit) {
    // A long player latency: a starved player would put silence into the sink, not the capture.
    SamplePlayer player(*server, server->sinks()[0].name, PatternSamples(44100 * 8), 1, 200);
    DeviceIndex = IdOf(MonitorName(0));
    ASSERT_EQ(DeviceIndex, 0);
    const double openedMs = std::chrono::duration<double, std::milli>(
                                std::chrono::steady_clock::now().time_since_epoch())
                                .count();
    OpenCapture();
    ASSERT_EQ(notifier.endCount, 0);

    // Wait for the pattern, then for 60 more buffers (1.5 s).
    auto firstWithSound = [&]() -> size_t {
        for (size_t b = 0; b < receiver.returned.size(); ++b) {
            const auto& samples = receiver.returned[b].samples;
            if (std::any_of(samples.begin(), samples.end(), [](int16_t s) { return s != 0; })) {
                return b;
            }
        }
        return SIZE_MAX;
    };
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            const size_t first = firstWithSound();
            return first != SIZE_MAX && receiver.returned.size() >= first + 61;
        },
        milliseconds(kFirstDataTimeout.count() + 3000)));

    // Every buffer holds consecutive frames of the pattern, bit for bit. Sound is lost only
    // between buffers: when a starved test thread leaves the device without a queued buffer.
    const auto& returned = receiver.returned;
    size_t first = 0;
    while (first < returned.size() && returned[first].samples[2198] == 0) ++first;
    ASSERT_LT(first, returned.size());
    int gaps = 0;
    uint64_t previousStart = 0;
    for (size_t b = first; b < returned.size(); ++b) {
        const std::vector<int16_t>& samples = returned[b].samples;
        EXPECT_EQ(returned[b].bytesRecorded, 4400u);
        EXPECT_TRUE(returned[b].flags & WHDR_DONE);
        size_t from = 0;
        if (b == first) {
            while (samples[2 * from] == 0) ++from;  // the silence before the first sound
        }
        const uint64_t start =
            (static_cast<uint64_t>(samples[2 * from] - 1) + 30000 - from) % 30000;
        for (size_t f = from; f < 1100; ++f) {
            const auto expected = Pattern(start + f);
            ASSERT_EQ(samples[2 * f], expected.first)
                << "buffer " << b << " frame " << f << "; player underruns " << player.Underruns();
            ASSERT_EQ(samples[2 * f + 1], expected.second) << "buffer " << b << " frame " << f;
        }
        if (b > first && (start + 30000 - previousStart % 30000) % 30000 != 1100) ++gaps;
        previousStart = start;
    }
    RecordProperty("gaps_between_buffers", gaps);
    RecordProperty("first_buffer_ms", static_cast<int>(returned.front().arrivalMs - openedMs));
    EXPECT_LE(gaps, 3) << "sound lost between too many of 60 buffers";

    // The buffer period, over the last 60 buffers.
    const double interval =
        (returned.back().arrivalMs - returned[returned.size() - 61].arrivalMs) / 60;
    RecordProperty("buffer_interval_us", static_cast<int>(interval * 1000));
    EXPECT_NEAR(interval, 24.94, 3.0);
}

TEST_P(PulseCaptureTest, DeviceMapperRecordsTheDefaultSource) {
    SamplePlayer player(*server, server->sinks()[0].name, Constant(1234, -4321, 44100 * 8));
    DeviceIndex = WAVE_MAPPER;
    OpenCapture();
    ASSERT_EQ(notifier.endCount, 0);
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return !receiver.returned.empty() && Holds(receiver.returned.back(), 1234, -4321); },
        kFirstDataTimeout));
}

// After a restart the buffers of the source left come back and are replaced on the new source,
// which then holds six; the source left is closed once the last of them is released.
TEST_P(PulseCaptureTest, RestartMovesToTheSecondSinkWithSixBuffers) {
    SamplePlayer first(*server, server->sinks()[0].name, Constant(1111, -1111, 44100 * 10));
    SamplePlayer second(*server, server->sinks()[1].name, Constant(2222, -2222, 44100 * 10));
    DeviceIndex = IdOf(MonitorName(0));
    OpenCapture();
    ASSERT_EQ(notifier.endCount, 0);
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return !receiver.returned.empty() && Holds(receiver.returned.back(), 1111, -1111); },
        kFirstDataTimeout));
    const HWAVEIN left = CaptureHandle;
    const size_t before = receiver.returned.size();

    DeviceIndex = IdOf(MonitorName(1));
    ASSERT_EQ(DeviceIndex, 1);
    RestartCapture();
    ASSERT_EQ(notifier.endCount, 0);
    const HWAVEIN now = CaptureHandle;
    ASSERT_NE(now, left);
    ASSERT_TRUE(ProcessEventsUntil([&] { return counting->IsClosed(left); }, milliseconds(3000)));
    size_t fromLeft = 0;
    for (size_t b = before; b < receiver.returned.size(); ++b) {
        if (receiver.returned[b].device == left) ++fromLeft;
    }
    EXPECT_EQ(fromLeft, 3u);
    EXPECT_EQ(counting->outstanding[now], 6);

    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            return receiver.returned.back().device == now &&
                   Holds(receiver.returned.back(), 2222, -2222);
        },
        kFirstDataTimeout));
    ProcessEventsFor(milliseconds(300));
    EXPECT_EQ(counting->outstanding[now], 6);
    for (size_t b = before; b < receiver.returned.size(); ++b) {
        if (receiver.returned[b].device == now) {
            EXPECT_FALSE(Holds(receiver.returned[b], 1111, -1111)) << "buffer " << b;
        }
    }
    EXPECT_EQ(notifier.endCount, 0);
}

// A server that goes away must not leave a frozen meter: the buffers come back and the requeue
// fails, which ends the program with its message.
TEST_P(PulseCaptureTest, ServerGoneEndsTheProgramThroughTheRequeue) {
    OpenCapture();
    ASSERT_EQ(notifier.endCount, 0);
    ASSERT_TRUE(WaitForBuffers(2));
    const HWAVEIN device = CaptureHandle;
    server->Kill();
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return counting->outstanding[device] == 0 && notifier.endCount > 0; },
        milliseconds(5000)));
    // One message for the failure, not one for each of the buffers handed back.
    EXPECT_EQ(notifier.messages,
              (std::vector<RecordingNotifier::Message>{{"In Prepare error 2", kRequeueCaption}}));
}

TEST_P(PulseCaptureTest, SourceGoneEndsTheProgramThroughTheRequeue) {
    const int module = server->LoadNullSink({"vanishing", "Vanishing Sink"});
    ASSERT_GE(module, 0);
    DeviceIndex = IdOf("Monitor of Vanishing Sink");
    ASSERT_EQ(DeviceIndex, 2);
    OpenCapture();
    ASSERT_EQ(notifier.endCount, 0);
    ASSERT_TRUE(WaitForBuffers(1));
    const HWAVEIN device = CaptureHandle;
    ASSERT_TRUE(server->UnloadModule(module));
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return counting->outstanding[device] == 0 && notifier.endCount > 0; },
        milliseconds(5000)));
    EXPECT_EQ(notifier.messages.front(),
              (RecordingNotifier::Message{"In Prepare error 2", kRequeueCaption}));
}

TEST_P(PulseCaptureTest, SourceGoneBeforeOpeningShowsOnlyTheResetMessage) {
    const int module = server->LoadNullSink({"vanishing", "Vanishing Sink"});
    ASSERT_GE(module, 0);
    DeviceIndex = IdOf("Monitor of Vanishing Sink");
    ASSERT_TRUE(server->UnloadModule(module));
    OpenCapture();
    EXPECT_EQ(notifier.messages,
              (std::vector<RecordingNotifier::Message>{{kResetDeviceMessage, kKestrinCaption}}));
    EXPECT_EQ(notifier.endCount, 1);
}

// A server that stops serving the stream without a word: PulseAudio hung (stopped by a signal),
// or PipeWire's session manager gone, which leaves the stream connected, ready and unlinked. No
// buffer comes and the stream reports nothing; only the watch on the buffers can tell, after the
// meter's 3 s.
TEST_P(PulseCaptureTest, AServerThatStopsDeliveringEndsWithTheStallMessage) {
    SamplePlayer player(*server, server->sinks()[0].name, Constant(555, -555, 44100 * 20));
    OpenCapture();
    ASSERT_EQ(notifier.endCount, 0);
    ASSERT_TRUE(StallWatchRunning());
    ASSERT_TRUE(WaitForBuffers(4));
    struct Resume {
        pid_t pid = -1;
        ~Resume() {
            if (pid > 0) kill(pid, SIGCONT);
        }
    } resume;
    if (GetParam() == SoundServerKind::PulseAudio) {
        ASSERT_EQ(kill(server->pid(), SIGSTOP), 0);
        resume.pid = server->pid();
    } else {
        static_cast<PrivatePipeWireServer&>(*server).KillSessionManager();
    }
    std::chrono::steady_clock::time_point toldAt;
    notifier.whileShown = [&] { toldAt = std::chrono::steady_clock::now(); };
    ASSERT_TRUE(ProcessEventsUntil([&] { return notifier.endCount > 0; }, milliseconds(8000)));
    EXPECT_EQ(notifier.messages,
              (std::vector<RecordingNotifier::Message>{
                  {"The input device has stopped delivering sound. The program will end.",
                   kKestrinCaption}}));
    const double toldMs =
        std::chrono::duration<double, std::milli>(toldAt.time_since_epoch()).count();
    const double quietMs = toldMs - receiver.returned.back().arrivalMs;
    RecordProperty("told_ms_after_last_buffer", static_cast<int>(quietMs));
    EXPECT_GE(quietMs, 3000.0);
    EXPECT_FALSE(StallWatchRunning());
}

INSTANTIATE_TEST_SUITE_P(Servers, PulseCaptureTest, ::testing::ValuesIn(SoundServerKinds()),
                         [](const auto& info) { return ToString(info.param); });

}  // namespace
}  // namespace kestrin::test
