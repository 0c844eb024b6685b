#include "tests/capture/capture_test_support.h"

#include <QCoreApplication>
#include <chrono>
#include <fstream>
#include <sstream>

#include "capture/capture.h"
#include "capture/wim_data_event.h"
#include "config/settings.h"
#include "tests/support/event_wait.h"

namespace kestrin::test {

const char* const kResetDeviceMessage =
    "The configured Input Device is not available and will be reset to the default.";
const char* const kKestrinCaption = " Kestrin Error";
const char* const kRequeueCaption = " Peak Programme Meter Error";

bool PipelineReceiver::event(QEvent* e) {
    if (e->type() != WimDataEvent::kType) return QObject::event(e);
    auto* data = static_cast<WimDataEvent*>(e);
    const WAVEHDR* header = data->header;
    // The header as the notification brought it, before the release changes its flags.
    const double now = std::chrono::duration<double, std::milli>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    ReturnedBuffer buffer{data->device, header, header->dwBytesRecorded, header->dwFlags, {}, now};
    const int ends = m_notifier.endCount;
    ReleaseBuffer(data->header, data->device);
    if (m_notifier.endCount != ends) {
        unreleased.emplace_back(data->header, data->device);
        return true;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(header->lpData);
    const size_t samples = header->dwBufferLength / 2;
    buffer.samples.reserve(samples);
    for (size_t i = 0; i < samples; ++i) {
        buffer.samples.push_back(static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    }
    // The block is one byte longer than the device may fill; under AddressSanitizer a shorter
    // block fails here.
    volatile char spare = header->lpData[header->dwBufferLength];
    (void)spare;
    returned.push_back(std::move(buffer));
    FreeBuffer(data->header);
    if (requeue) QueueBuffer(QueueMessages::Requeue);
    return true;
}

void PipelineReceiver::ReleaseUnreleased() {
    for (auto [header, device] : unreleased) {
        ReleaseBuffer(header, device);
        FreeBuffer(header);
    }
    unreleased.clear();
}

CaptureFixture::CaptureFixture() {
    settingsPath = (folder.path() / "kestrin.ini").string();
    std::ofstream(settingsPath) << "[Input]\nDevice Name=Old Card\n";
    SetSettingsFilePath(settingsPath);
    SetCaptureReceiver(&receiver);
    DeviceIndex = 0;
    CaptureHandle = nullptr;
}

void CaptureFixture::Use(WaveIn& waveIn) { SetWaveIn(&waveIn); }

void CaptureFixture::TearDown() {
    const int ends = notifier.endCount;
    receiver.ReleaseUnreleased();
    StopCapture();
    EXPECT_TRUE(ProcessEventsUntil(CaptureStopped, std::chrono::milliseconds(5000)))
        << "a device was not closed: some of its buffers never came back";
    EXPECT_EQ(notifier.endCount, ends) << "stopping the capture failed";
    SetWaveIn(nullptr);
    SetCaptureReceiver(nullptr);
    SetSettingsFilePath("");
    SetStallTimeout(kStallTimeout);
    DeviceIndex = 0;
    CaptureHandle = nullptr;
}

SimulatedCaptureTest::SimulatedCaptureTest() {
    Use(sim);
    // The tests hand out buffers only when they ask, so a device may go quiet for longer than a
    // real one ever may; the tests of that watch set it themselves.
    SetStallTimeout(kQuietTestTimeout);
}

void SimulatedCaptureTest::TearDown() {
    sim.ClearFailures();
    sim.StopRealTime();
    CaptureFixture::TearDown();
    EXPECT_EQ(sim.TotalOutstanding(), 0);
}

void SimulatedCaptureTest::HandleReturnedBuffers() { QCoreApplication::sendPostedEvents(); }

std::vector<SimulatedWaveIn::Call> SimulatedCaptureTest::CallsFrom(size_t first) const {
    const std::vector<Call> all = sim.callSequence();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(first, all.size())), all.end()};
}

std::string CaptureFixture::SettingsText() const {
    std::ifstream in(settingsPath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace kestrin::test
