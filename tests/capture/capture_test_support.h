#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "capture/wave_in.h"
#include "tests/support/capture_stop.h"
#include "tests/support/recording_notifier.h"
#include "tests/support/simulated_wave_in.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {

// A buffer as the pipeline found it when its notification arrived.
struct ReturnedBuffer {
    HWAVEIN device;
    const WAVEHDR* header;  // its address only: the buffer is freed by then
    uint32_t bytesRecorded;
    uint32_t flags;
    std::vector<int16_t> samples;  // the whole block of 1100 frames: A, B, A, B, ...
    double arrivalMs;              // when its notification was handled, on a steady clock
};

// Stands in for the meter window: handles every returned buffer the way the buffer pipeline
// does (release by the device that returned it, read, free, requeue to the device now open),
// and stops where the pipeline stops when the program is told to end.
class PipelineReceiver : public QObject {
  public:
    explicit PipelineReceiver(RecordingNotifier& notifier) : m_notifier(notifier) {}
    bool event(QEvent* e) override;

    // Buffers whose release ended the program; they still belong to their device.
    void ReleaseUnreleased();

    std::vector<ReturnedBuffer> returned;
    std::vector<std::pair<WAVEHDR*, HWAVEIN>> unreleased;
    bool requeue = true;

  private:
    RecordingNotifier& m_notifier;
};

// Every capture test: failure messages recorded, a settings file of its own in a fresh folder
// (holding a stored device name that ResetDevice clears), a pipeline receiver. At the end the
// capture is stopped, every buffer must come back and every device must be closed.
class CaptureFixture : public ::testing::Test {
  protected:
    CaptureFixture();
    void TearDown() override;

    void Use(WaveIn& waveIn);
    std::string SettingsText() const;
    std::vector<std::string> endedWith() const { return notifier.events; }

    RecordingNotifier notifier;
    TempDir folder;
    std::string settingsPath;
    PipelineReceiver receiver{notifier};
};

// The capture on simulated devices: "Line In" (0), "Microphone" (1), "Monitor of Speakers" (2).
class SimulatedCaptureTest : public CaptureFixture {
  protected:
    using Call = SimulatedWaveIn::Call;

    SimulatedCaptureTest();
    void TearDown() override;

    // Runs the handling of every notification posted so far.
    static void HandleReturnedBuffers();
    // The calls made to the devices, from the given one on.
    std::vector<Call> CallsFrom(size_t first = 0) const;

    SimulatedWaveIn sim{{"Line In", "Microphone", "Monitor of Speakers"}};
};

extern const char* const kResetDeviceMessage;
extern const char* const kKestrinCaption;
extern const char* const kRequeueCaption;

}  // namespace kestrin::test
