// The meter against a real sound server, PulseAudio and PipeWire alike: exact sample values played
// into a null sink come back from its monitor, and the meter shows the levels the scale gives for
// them; the input chosen in the dialog is the one metered.
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <chrono>
#include <memory>

#include "capture/capture.h"
#include "capture/pulse_wave_in.h"
#include "tests/display/meter_fixture.h"
#include "tests/support/event_wait.h"
#include "tests/support/private_sound_server.h"
#include "tests/support/sample_player.h"

namespace kestrin::test {
namespace {

using namespace std::chrono_literals;

// Interleaved samples: a steady magnitude on A (alternating in sign), silence on B.
std::vector<int16_t> SteadyA(int16_t magnitude, int seconds) {
    std::vector<int16_t> samples;
    samples.reserve(static_cast<size_t>(44100 * 2 * seconds));
    for (int frame = 0; frame < 44100 * seconds; ++frame) {
        samples.push_back(static_cast<int16_t>(frame % 2 ? -magnitude : magnitude));
        samples.push_back(0);
    }
    return samples;
}

// The meter on a private server, recording the monitor of its null sink, with Peak Hold on so
// that an over stays lit once seen.
class PulseMeter : public MeterFixture, public testing::WithParamInterface<SoundServerKind> {
  protected:
    void SetUp() override {
        server = StartPrivateServer(GetParam());
        server->UseInThisProcess();
        pulse = std::make_unique<PulseWaveIn>();
        StartOn(*pulse, "[Input]\nDevice Name=" +
                            PrivateSoundServer::MonitorDescription(server->sinks()[0]) +
                            "\n[Form]\ncal=-12\nPeakHold=1\n");
        ASSERT_TRUE(notes.messages.empty()) << notes.messages[0].text;
        Show();
    }
    void TearDown() override {
        MeterFixture::TearDown();
        pulse.reset();
    }

    // Plays the magnitude on A until bar A stands at the level, then a while longer; gives the
    // highest level bar A showed meanwhile.
    int PlayUntilLevel(int16_t magnitude, int level) {
        SamplePlayer player(*server, server->sinks()[0].name, SteadyA(magnitude, 10));
        int highest = 0;
        const auto watch = [&] {
            highest = std::max(highest, form().Bars[TForm1::A].Level);
            return false;
        };
        EXPECT_TRUE(ProcessEventsUntil(
            [&] {
                watch();
                return form().Bars[TForm1::A].Level == level;
            },
            8s))
            << "bar A at " << form().Bars[TForm1::A].Level << ", not " << level;
        ProcessEventsUntil(watch, 500ms);
        EXPECT_EQ(form().Bars[TForm1::A].Level, level);
        return highest;
    }

    bool OverLit() { return form().over->palette().color(QPalette::Base) == QColor(255, 0, 0); }

    std::unique_ptr<PrivateSoundServer> server;
    std::unique_ptr<PulseWaveIn> pulse;
};

TEST_P(PulseMeter, SteadyPeakReadsItsMarkAndTheOverThresholdIsExact) {
    // 8190 is mark 4 (index 819) at calibration -12.
    EXPECT_EQ(PlayUntilLevel(8190, 146), 146);
    EXPECT_EQ(form().Bars[TForm1::B].Level, 1);
    EXPECT_EQ(Pixel(32, 303 - 145), Rgb(0x00FF00));  // height 146 lit
    EXPECT_EQ(Pixel(32, 303 - 146), Rgb(0x3EFFFF));  // the held peak just above

    // 27520 is not over: with Peak Hold on, the indicator would have stayed lit.
    EXPECT_EQ(PlayUntilLevel(27520, LevelTable[2752]), LevelTable[2752]);
    EXPECT_FALSE(OverLit());
    SamplePlayer player(*server, server->sinks()[0].name, SteadyA(27521, 10));
    EXPECT_TRUE(ProcessEventsUntil([&] { return OverLit(); }, 8s));
    EXPECT_TRUE(form().over->isEnabled());
}

// The meter on a server with two null sinks, recording the first one's monitor.
class PulseMeterTwoInputs : public MeterFixture,
                            public testing::WithParamInterface<SoundServerKind> {
  protected:
    void SetUp() override {
        server = StartPrivateServer(GetParam(), PrivateSoundServer::Sinks(2));
        server->UseInThisProcess();
        pulse = std::make_unique<PulseWaveIn>();
        StartOn(*pulse, "[Input]\nDevice Name=" +
                            PrivateSoundServer::MonitorDescription(server->sinks()[0]) + "\n");
        ASSERT_TRUE(notes.messages.empty()) << notes.messages[0].text;
        Show();
    }
    void TearDown() override {
        MeterFixture::TearDown();
        pulse.reset();
    }

    std::unique_ptr<PrivateSoundServer> server;
    std::unique_ptr<PulseWaveIn> pulse;
};

TEST_P(PulseMeterTwoInputs, ChoosingAnotherInputInTheDialogMovesTheCaptureToIt) {
    const std::string second = PrivateSoundServer::MonitorDescription(server->sinks()[1]);
    QTimer::singleShot(0, [&] {
        const int index = dialog().ComboBox1->findText(QString::fromStdString(second));
        ASSERT_GE(index, 0) << "the second monitor is offered";
        dialog().ComboBox1->setCurrentIndex(index);
        dialog().reject();  // the device is taken on any close
    });
    form().RightPressed();
    EXPECT_EQ(MeterSettings.DeviceName, second);
    EXPECT_TRUE(notes.messages.empty());

    // Sound played into the second sink reaches the meter; the first sink's no longer does.
    SamplePlayer first(*server, server->sinks()[0].name, SteadyA(30000, 10));
    ProcessEventsFor(2500ms);
    EXPECT_EQ(form().Bars[TForm1::A].Level, 1) << "the first input is no longer metered";
    SamplePlayer player(*server, server->sinks()[1].name, SteadyA(8190, 10));
    EXPECT_TRUE(ProcessEventsUntil([&] { return form().Bars[TForm1::A].Level == 146; }, 8s))
        << "bar A at " << form().Bars[TForm1::A].Level;
}

// The default input comes first in the list, so a new default moves the input in use to another
// position between the opening of the capture and the opening of the dialog. The dialog must
// still show the input in use, keep it without a restart, and restart when another is chosen.
TEST_P(PulseMeterTwoInputs, ANewDefaultInputNeitherSkipsARestartNorStoresTheWrongName) {
    const std::string first = PrivateSoundServer::MonitorDescription(server->sinks()[0]);
    const std::string second = PrivateSoundServer::MonitorDescription(server->sinks()[1]);
    const HWAVEIN inUse = CaptureHandle;
    ASSERT_EQ(DeviceIndex, 0);
    ASSERT_TRUE(server->SetDefaultSource(PrivateSoundServer::MonitorOf(server->sinks()[1].name)));

    QString shown;
    QTimer::singleShot(0, [&] {
        shown = dialog().ComboBox1->currentText();
        dialog().reject();
    });
    form().RightPressed();
    EXPECT_EQ(shown.toStdString(), first) << "the dialog shows the input in use";
    EXPECT_EQ(CaptureHandle, inUse) << "the input in use was opened again";
    EXPECT_EQ(MeterSettings.DeviceName, first);
    EXPECT_EQ(DeviceIndex, 1) << "its position in the list now";

    QTimer::singleShot(0, [&] {
        dialog().ComboBox1->setCurrentIndex(
            dialog().ComboBox1->findText(QString::fromStdString(second)));
        dialog().reject();
    });
    form().RightPressed();
    EXPECT_NE(CaptureHandle, inUse) << "the restart onto the new default was skipped";
    EXPECT_EQ(MeterSettings.DeviceName, second);
    EXPECT_EQ(DeviceIndex, 0);
    EXPECT_TRUE(notes.messages.empty());
    SamplePlayer player(*server, server->sinks()[1].name, SteadyA(8190, 10));
    EXPECT_TRUE(ProcessEventsUntil([&] { return form().Bars[TForm1::A].Level == 146; }, 8s))
        << "bar A at " << form().Bars[TForm1::A].Level;
}

// An input chosen in the dialog that has gone by the time the dialog closes: the restart shows
// the designed box alone, while the box's own loop goes on handling the buffers that the input
// left hands back, and the stored name is cleared.
TEST_P(PulseMeterTwoInputs, ARestartOntoAnInputGoneSinceTheListWasReadShowsOnlyTheResetBox) {
    const NullSink vanishing{"vanishing", "Vanishing Sink"};
    const int module = server->LoadNullSink(vanishing);
    ASSERT_GE(module, 0);
    notes.whileShown = [] { ProcessEventsFor(300ms); };
    bool unloaded = false;
    QTimer::singleShot(0, [&] {
        dialog().ComboBox1->setCurrentIndex(dialog().ComboBox1->findText(
            QString::fromStdString(PrivateSoundServer::MonitorDescription(vanishing))));
        unloaded = server->UnloadModule(module);
        dialog().reject();
    });
    form().RightPressed();
    ASSERT_TRUE(unloaded);
    EXPECT_EQ(notes.messages,
              (std::vector<RecordingNotifier::Message>{
                  {"The configured Input Device is not available and will be reset to the default.",
                   " Kestrin Error"}}));
    EXPECT_EQ(notes.events.back(), "end");
    EXPECT_EQ(SettingsText().find("Monitor of"), std::string::npos) << SettingsText();
}

INSTANTIATE_TEST_SUITE_P(Servers, PulseMeter, testing::ValuesIn(SoundServerKinds()),
                         [](const auto& info) { return ToString(info.param); });
INSTANTIATE_TEST_SUITE_P(Servers, PulseMeterTwoInputs, testing::ValuesIn(SoundServerKinds()),
                         [](const auto& info) { return ToString(info.param); });

}  // namespace
}  // namespace kestrin::test
