// The header queue's rules as a device that queues headers itself keeps them, seen through the
// simulated device that the meter's tests and demonstrations run on.

#include "tests/support/simulated_wave_in.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <memory>
#include <vector>

#include "capture/wim_data_event.h"
#include "tests/support/event_wait.h"

namespace kestrin::test {
namespace {

using Call = SimulatedWaveIn::Call;

// Collects notifications without handling them further.
class Collector : public QObject {
  public:
    bool event(QEvent* e) override {
        if (e->type() != WimDataEvent::kType) return QObject::event(e);
        auto* data = static_cast<WimDataEvent*>(e);
        headers.push_back(data->header);
        devices.push_back(data->device);
        times.push_back(clock.nsecsElapsed() / 1e6);
        return true;
    }
    std::vector<WAVEHDR*> headers;
    std::vector<HWAVEIN> devices;
    std::vector<double> times;  // ms since the collector was made
    QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
};

class SimulatedWaveInTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WAVEFORMATEX format{1, 2, 44100, 176400, 4, 16, 0};
        ASSERT_EQ(sim.Open(&device, 0, format, &collector), 0u);
        for (auto& h : headers) {
            h.lpData = blocks[&h - headers].data();
            h.dwBufferLength = 4400;
        }
    }
    void TearDown() override {
        sim.StopRealTime();
        sim.Reset(device);
        QCoreApplication::sendPostedEvents();
    }
    MMRESULT Queue(WAVEHDR& h) {
        const MMRESULT prepared = sim.PrepareHeader(device, &h, kWaveHdrSize);
        return prepared ? prepared : sim.AddBuffer(device, &h, kWaveHdrSize);
    }

    SimulatedWaveIn sim{{"One", "Two"}};
    Collector collector;
    HWAVEIN device = nullptr;
    WAVEHDR headers[3];
    std::vector<char> blocks[3] = {std::vector<char>(4401), std::vector<char>(4401),
                                   std::vector<char>(4401)};
};

TEST_F(SimulatedWaveInTest, RefusesWhatARealDeviceRefuses) {
    ASSERT_EQ(Queue(headers[0]), 0u);
    EXPECT_EQ(sim.UnprepareHeader(device, &headers[0], kWaveHdrSize), WAVERR_STILLPLAYING);
    EXPECT_EQ(sim.Close(device), WAVERR_STILLPLAYING);
    EXPECT_EQ(sim.AddBuffer(device, &headers[1], kWaveHdrSize), WAVERR_UNPREPARED);
    EXPECT_EQ(sim.PrepareHeader(nullptr, &headers[1], kWaveHdrSize), MMSYSERR_INVALHANDLE);
    WAVEFORMATEX format{1, 2, 44100, 176400, 4, 16, 0};
    HWAVEIN other = nullptr;
    EXPECT_EQ(sim.Open(&other, 2, format, &collector), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(sim.QueryFormat(2, format), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(sim.QueryFormat(WAVE_MAPPER, format), 0u);
}

TEST_F(SimulatedWaveInTest, BufferReturnedByOneDeviceCannotBeReleasedByAnother) {
    WAVEFORMATEX format{1, 2, 44100, 176400, 4, 16, 0};
    HWAVEIN other = nullptr;
    ASSERT_EQ(sim.Open(&other, 1, format, &collector), 0u);
    ASSERT_EQ(Queue(headers[0]), 0u);
    ASSERT_EQ(sim.Start(device), 0u);
    sim.DeliverBuffers(1);
    EXPECT_EQ(sim.UnprepareHeader(other, &headers[0], kWaveHdrSize), MMSYSERR_INVALPARAM);
    EXPECT_EQ(sim.UnprepareHeader(device, &headers[0], kWaveHdrSize), 0u);
    EXPECT_EQ(sim.Close(other), 0u);
    EXPECT_FALSE(sim.IsOpen(other));
}

TEST_F(SimulatedWaveInTest, NothingIsRecordedBeforeStartAndFramesWithoutBufferAreLost) {
    sim.SetSignal([](uint64_t i) { return SimulatedWaveIn::Frame{static_cast<int16_t>(i), 7}; });
    ASSERT_EQ(Queue(headers[0]), 0u);
    EXPECT_EQ(sim.DeliverBuffers(1), 0);
    ASSERT_EQ(sim.Start(device), 0u);
    EXPECT_EQ(sim.DeliverFrames(1100 + 300), 1);  // 300 frames find no buffer
    ASSERT_EQ(Queue(headers[1]), 0u);
    EXPECT_EQ(sim.DeliverBuffers(1), 1);
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(collector.headers.size(), 2u);
    const auto* second = reinterpret_cast<const int16_t*>(headers[1].lpData);
    EXPECT_EQ(second[0], 1400);
    EXPECT_EQ(second[1], 7);
    EXPECT_EQ(sim.FramesRecorded(device), 2500u);
}

TEST_F(SimulatedWaveInTest, RealTimeDeliversOneBufferEvery24Point94Milliseconds) {
    ASSERT_EQ(sim.Start(device), 0u);
    for (auto& h : headers) ASSERT_EQ(Queue(h), 0u);
    // Requeue each buffer as it comes back, as the meter does.
    size_t handled = 0;
    sim.StartRealTime();
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            for (; handled < collector.headers.size(); ++handled) {
                WAVEHDR* h = collector.headers[handled];
                sim.UnprepareHeader(device, h, kWaveHdrSize);
                Queue(*h);
            }
            return collector.headers.size() >= 41;
        },
        std::chrono::milliseconds(5000)));
    sim.StopRealTime();
    const double interval = (collector.times[40] - collector.times[0]) / 40;
    EXPECT_NEAR(interval, 24.94, 1.5);
}

TEST(SimulatedReceiverTest, NothingIsPostedToAReceiverThatIsGone) {
    SimulatedWaveIn sim;
    auto receiver = std::make_unique<Collector>();
    HWAVEIN device = nullptr;
    WAVEFORMATEX format{1, 2, 44100, 176400, 4, 16, 0};
    ASSERT_EQ(sim.Open(&device, 0, format, receiver.get()), 0u);
    std::vector<char> block(4401);
    WAVEHDR header;
    header.lpData = block.data();
    header.dwBufferLength = 4400;
    ASSERT_EQ(sim.PrepareHeader(device, &header, kWaveHdrSize), 0u);
    ASSERT_EQ(sim.AddBuffer(device, &header, kWaveHdrSize), 0u);
    ASSERT_EQ(sim.Start(device), 0u);
    receiver.reset();
    EXPECT_EQ(sim.DeliverBuffers(1), 0);
    sim.Reset(device);
    EXPECT_EQ(sim.QueuedCount(device), 1);
    QCoreApplication::sendPostedEvents();
}

}  // namespace
}  // namespace kestrin::test
