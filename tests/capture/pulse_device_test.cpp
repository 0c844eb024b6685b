// The PulseAudio devices on their own: queue order, reset, failure, no server.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

#include "capture/pulse_wave_in.h"
#include "capture/wim_data_event.h"
#include "tests/capture/pulse_test_signals.h"
#include "tests/support/event_wait.h"
#include "tests/support/private_sound_server.h"
#include "tests/support/sample_player.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {
namespace {

using std::chrono::milliseconds;

class PulseDeviceTest : public ::testing::TestWithParam<SoundServerKind> {
  protected:
    class Collector : public QObject {
      public:
        bool event(QEvent* e) override {
            if (e->type() != WimDataEvent::kType) return QObject::event(e);
            returned.push_back(static_cast<WimDataEvent*>(e)->header);
            return true;
        }
        std::vector<WAVEHDR*> returned;
    };

    PulseDeviceTest() : server(StartPrivateServer(GetParam(), PrivateSoundServer::Sinks(1))) {
        server->UseInThisProcess();
        pulse = std::make_unique<PulseWaveIn>();
        for (int i = 0; i < 3; ++i) {
            headers[i].lpData = blocks[i].data();
            headers[i].dwBufferLength = 4400;
        }
    }
    ~PulseDeviceTest() override {
        if (device) {
            pulse->Reset(device);
            pulse->Close(device);
        }
    }
    MMRESULT Queue(WAVEHDR& h) {
        const MMRESULT prepared = pulse->PrepareHeader(device, &h, kWaveHdrSize);
        return prepared ? prepared : pulse->AddBuffer(device, &h, kWaveHdrSize);
    }

    // The buffers and the receiver outlive the device, which may write and post until it is gone.
    WAVEHDR headers[3];
    std::vector<char> blocks[3] = {std::vector<char>(4401), std::vector<char>(4401),
                                   std::vector<char>(4401)};
    Collector collector;
    std::unique_ptr<PrivateSoundServer> server;
    std::unique_ptr<PulseWaveIn> pulse;
    HWAVEIN device = nullptr;
};

TEST_P(PulseDeviceTest, ResetHandsBackEveryQueuedBufferInQueueOrder) {
    SamplePlayer player(*server, server->sinks()[0].name, Constant(77, -77, 44100 * 8));
    const WAVEFORMATEX format{1, 2, 44100, 176400, 4, 16, 0};
    ASSERT_EQ(pulse->Open(&device, 0, format, &collector), 0u);
    for (auto& h : headers) ASSERT_EQ(Queue(h), 0u);
    EXPECT_EQ(pulse->Close(device), WAVERR_STILLPLAYING);
    EXPECT_EQ(pulse->UnprepareHeader(device, &headers[0], kWaveHdrSize), WAVERR_STILLPLAYING);
    ASSERT_EQ(pulse->Start(device), 0u);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !collector.returned.empty(); }, kFirstDataTimeout));
    ASSERT_EQ(pulse->Reset(device), 0u);
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return collector.returned.size() == 3; }, milliseconds(1000)));
    EXPECT_EQ(collector.returned, (std::vector<WAVEHDR*>{&headers[0], &headers[1], &headers[2]}));
    // Full ones, then at most one partly filled, then empty ones; the reset took at least one.
    EXPECT_EQ(headers[0].dwBytesRecorded, 4400u);
    EXPECT_LT(headers[2].dwBytesRecorded, 4400u);
    for (int i = 1; i < 3; ++i) {
        if (headers[i - 1].dwBytesRecorded < 4400) {
            EXPECT_EQ(headers[i].dwBytesRecorded, 0u);
        }
    }
    for (auto& h : headers) {
        EXPECT_EQ(h.dwFlags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
        EXPECT_EQ(pulse->UnprepareHeader(device, &h, kWaveHdrSize), 0u);
    }
    EXPECT_EQ(pulse->Close(device), 0u);
    EXPECT_EQ(pulse->PrepareHeader(device, &headers[0], kWaveHdrSize), MMSYSERR_INVALHANDLE);
    device = nullptr;
}

TEST_P(PulseDeviceTest, FailedDeviceRefusesNewBuffers) {
    const WAVEFORMATEX format{1, 2, 44100, 176400, 4, 16, 0};
    ASSERT_EQ(pulse->Open(&device, 0, format, &collector), 0u);
    ASSERT_EQ(Queue(headers[0]), 0u);
    ASSERT_EQ(pulse->Start(device), 0u);
    server->Kill();
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return collector.returned.size() == 1; }, milliseconds(3000)));
    EXPECT_EQ(pulse->UnprepareHeader(device, &headers[0], kWaveHdrSize), 0u);
    EXPECT_NE(pulse->PrepareHeader(device, &headers[1], kWaveHdrSize), 0u);
    headers[1].dwFlags |= WHDR_PREPARED;
    EXPECT_NE(pulse->AddBuffer(device, &headers[1], kWaveHdrSize), 0u);
    EXPECT_NE(pulse->Start(device), 0u);
}

// A window that goes away while its device records gets nothing more; under AddressSanitizer a
// notification posted to it would fail here.
TEST_P(PulseDeviceTest, NothingIsPostedToAReceiverThatIsGone) {
    auto receiver = std::make_unique<Collector>();
    const WAVEFORMATEX format{1, 2, 44100, 176400, 4, 16, 0};
    ASSERT_EQ(pulse->Open(&device, 0, format, receiver.get()), 0u);
    for (auto& h : headers) ASSERT_EQ(Queue(h), 0u);
    ASSERT_EQ(pulse->Start(device), 0u);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !receiver->returned.empty(); }, kFirstDataTimeout));
    receiver.reset();
    ProcessEventsFor(milliseconds(200));
    EXPECT_EQ(pulse->Reset(device), 0u);
    ProcessEventsFor(milliseconds(50));
    EXPECT_EQ(pulse->Close(device), WAVERR_STILLPLAYING) << "the buffers were not handed back";
    device = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Servers, PulseDeviceTest, ::testing::ValuesIn(SoundServerKinds()),
                         [](const auto& info) { return ToString(info.param); });

// Without a server every call answers within its bound, and the device can't be used.
TEST(PulseWithoutServerTest, NoDevicesAndNoFormatWithinTheBound) {
    TempDir folder;
    const char* saved = std::getenv("PULSE_SERVER");
    const std::string previous = saved ? saved : "";
    setenv("PULSE_SERVER", ("unix:" + (folder.path() / "none").string()).c_str(), 1);
    {
        PulseWaveIn pulse;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(pulse.GetNumDevs(), 0u);
        WAVEINCAPS caps{};
        EXPECT_NE(pulse.GetDevCaps(0, &caps), 0u);
        const WAVEFORMATEX format{1, 2, 44100, 176400, 4, 16, 0};
        const MMRESULT query = pulse.QueryFormat(0, format);
        EXPECT_NE(query, 0u);
        EXPECT_NE(query, WAVERR_BADFORMAT);
        EXPECT_NE(pulse.QueryFormat(WAVE_MAPPER, format), 0u);
        QObject receiver;
        HWAVEIN device = nullptr;
        EXPECT_NE(pulse.Open(&device, 0, format, &receiver), 0u);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    }
    if (saved) {
        setenv("PULSE_SERVER", previous.c_str(), 1);
    } else {
        unsetenv("PULSE_SERVER");
    }
}

}  // namespace
}  // namespace kestrin::test
