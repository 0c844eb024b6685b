#include "tests/display/meter_fixture.h"

#include <QCoreApplication>
#include <QTest>
#include <sstream>

#include "capture/capture.h"
#include "capture/wim_data_event.h"
#include "config/settings.h"
#include "tests/support/capture_stop.h"
#include "tests/support/event_wait.h"

namespace kestrin::test {

void MeterFixture::TearDown() {
    // Every buffer comes back through the pipeline, is released, and the device closes.
    StopCapture();
    EXPECT_TRUE(ProcessEventsUntil(CaptureStopped, std::chrono::seconds(5)));
    form2.reset();
    form1.reset();
    SetWaveIn(nullptr);
    SetStallTimeout(kStallTimeout);
}

void MeterFixture::Start(const std::string& settings, std::vector<std::string> devices) {
    wave.SetDevices(std::move(devices));
    // Buffers come only when a test feeds them, however long it takes.
    SetStallTimeout(kQuietTestTimeout);
    StartOn(wave, settings);
}

void MeterFixture::StartOn(WaveIn& soundSystem, const std::string& settings) {
    {
        std::ofstream file(SettingsPath(), std::ios::binary);
        file << settings;
    }
    SetSettingsFilePath(SettingsPath());
    SetWaveIn(&soundSystem);
    // What a fresh process starts with.
    OverCount = 0;
    Baseline = 0;
    LevelTable.fill(0);
    Decay = kFallbackDecay;
    form1 = std::make_unique<ShowingForm1>();
    form2 = std::make_unique<TForm2>();
}

void MeterFixture::Show() {
    form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1.get()));
    Settle();
}

void MeterFixture::Settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
    }
}

void MeterFixture::Feed(int16_t a, int16_t b, int buffers) {
    FeedSignal([a, b](uint64_t) { return SimulatedWaveIn::Frame{a, b}; }, buffers);
}

void MeterFixture::FeedSignal(SimulatedWaveIn::Signal signal, int buffers) {
    wave.SetSignal(std::move(signal));
    for (int i = 0; i < buffers; ++i) {
        ASSERT_EQ(wave.DeliverBuffers(1), 1);
        QCoreApplication::sendPostedEvents(form1.get(), WimDataEvent::kType);
    }
}

int16_t MeterFixture::PeakForHeight(int height) const {
    for (int index = 0; index < kLevelTableSize; ++index) {
        if (LevelTable[static_cast<size_t>(index)] == height) {
            return static_cast<int16_t>(index * 10);
        }
    }
    ADD_FAILURE() << "no index gives height " << height;
    return 0;
}

std::string MeterFixture::SettingsText() const {
    std::ifstream file(SettingsPath(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace kestrin::test
