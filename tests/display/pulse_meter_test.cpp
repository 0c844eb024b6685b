// The meter against a real sound server, PulseAudio and PipeWire alike, at the server's own rate:
// exact sample values played into a null sink come back from its monitor, and the meter shows the
// levels the scale gives for them; the input chosen in the dialog is the one metered.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <functional>
#include <iostream>
#include <memory>
#include <numbers>

#include "capture/capture.h"
#include "capture/pulse_wave_in.h"
#include "capture/wim_data_event.h"
#include "tests/display/meter_fixture.h"
#include "tests/support/event_wait.h"
#include "tests/support/private_sound_server.h"
#include "tests/support/sample_player.h"
#include "tests/support/standard_signals.h"

namespace kestrin::test {
namespace {

using namespace std::chrono_literals;

// Interleaved samples at a rate: `silent` seconds of silence, then `loud` seconds of a square
// wave of about 1 kHz of the magnitude on A, B silent throughout.
std::vector<int16_t> SquareOnA(int16_t magnitude, int rate, double loud, double silent = 0) {
    const auto quiet = static_cast<int>(silent * rate);
    const auto frames = quiet + static_cast<int>(loud * rate);
    std::vector<int16_t> samples;
    samples.reserve(static_cast<size_t>(frames) * 2);
    const int halfPeriod = rate / 2000;  // frames
    for (int frame = 0; frame < frames; ++frame) {
        const bool on = frame >= quiet;
        const bool low = (frame - quiet) / halfPeriod % 2 == 1;
        samples.push_back(static_cast<int16_t>(!on ? 0 : low ? -magnitude : magnitude));
        samples.push_back(0);
    }
    return samples;
}

std::vector<int16_t> Concatenated(std::initializer_list<std::vector<int16_t>> parts) {
    std::vector<int16_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The frames of one buffer at the server's rate: the design's 24.94 ms.
int FramesPerBuffer(int rate) { return rate == 48000 ? 1197 : 1100; }

constexpr QRgb kHeldLine = Rgb(0x3EFFFF);
constexpr int kBaseline = 303;

// What the meter window showed after each buffer: noted as the next buffer arrives.
class BufferWatch : public QObject {
  public:
    struct Shown {
        int frames;    // of the buffer that arrives
        int level;     // bar A's level
        bool line146;  // a held-peak line on bar A at height 146
        bool overLit;  // the over indicator
    };
    BufferWatch(TForm1& form, std::function<bool()> overLit)
        : m_form(form), m_overLit(std::move(overLit)) {
        m_form.installEventFilter(this);
    }
    ~BufferWatch() override { m_form.removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == WimDataEvent::kType) {
            const auto* data = static_cast<WimDataEvent*>(event);
            shown.push_back(
                {static_cast<int>(data->header->dwBufferLength) / 4, m_form.Bars[TForm1::A].Level,
                 m_form.surface().pixel(32, kBaseline - 146) == kHeldLine, m_overLit()});
        }
        return false;
    }
    std::vector<Shown> shown;

  private:
    TForm1& m_form;
    std::function<bool()> m_overLit;
};

// The meter on a private server at the server's rate, recording the monitor of its null sink at
// calibration -12 (mark 4 at 8190), with the decay at 255, so that each buffer's bar shows that
// buffer's own peak.
class PulseMeter : public MeterFixture, public testing::WithParamInterface<SoundServerKind> {
  protected:
    void SetUp() override {
        server = StartPrivateServer(GetParam());
        server->UseInThisProcess();
        pulse = std::make_unique<PulseWaveIn>();
    }
    void TearDown() override {
        MeterFixture::TearDown();
        pulse.reset();
    }
    // `form` adds keys to the settings file's Form section.
    void StartMetering(bool peakHold, const std::string& form = "") {
        StartOn(
            *pulse,
            "[Input]\nDevice Name=" + PrivateSoundServer::MonitorDescription(server->sinks()[0]) +
                "\n[Form]\ncal=-12\ndecay=255\nPeakHold=" + (peakHold ? "1" : "0") + "\n" + form);
        ASSERT_TRUE(notes.messages.empty()) << notes.messages[0].text;
        Show();
    }

    // Once bar A has fallen to silence, resets the held peaks and the over indicator as a click
    // does, then plays the square on A, after a moment of silence, until bar A has stood at the
    // level (or above `above`, where no level is given) for a while; gives the highest level
    // meanwhile.
    int PlayFromSilence(int16_t magnitude, int level, int above = 0) {
        EXPECT_TRUE(ProcessEventsUntil([&] { return form().Bars[TForm1::A].Level == 1; }, 3s));
        form().FormClick();  // over dark, held peaks start again
        SamplePlayer player(*server, server->sinks()[0].name,
                            SquareOnA(magnitude, server->rate(), 10, 0.3));
        int highest = 0;
        const auto reached = [&] {
            const int now = form().Bars[TForm1::A].Level;
            highest = std::max(highest, now);
            return level != 0 ? now == level : now > above;
        };
        EXPECT_TRUE(ProcessEventsUntil(reached, 8s))
            << "bar A at " << form().Bars[TForm1::A].Level << ", not " << level;
        ProcessEventsUntil(
            [&] {
                reached();
                return false;
            },
            500ms);
        return highest;
    }

    bool OverLit() { return form().over->palette().color(QPalette::Base) == QColor(255, 0, 0); }

    std::unique_ptr<PrivateSoundServer> server;
    std::unique_ptr<PulseWaveIn> pulse;
};

// Square waves read the heights the scale gives for their magnitude, a step from silence leaves
// the held line there too, and the over indicator lights for 27521 and not for -1.7 dBFS, on
// every server at its own rate: the meter records the source's own samples, which a conversion
// of rate would overshoot (+1.8 dB for a 48 kHz square recorded at 44.1 kHz).
TEST_P(PulseMeter, SquareWavesReadTheScalesHeightsAtTheSourcesOwnRate) {
    StartMetering(true);
    EXPECT_EQ(CaptureRate(), static_cast<uint32_t>(server->rate()));
    struct Reading {
        int16_t magnitude;
        int height;  // at calibration -12; 0: not looked at
        bool over;
    };
    const Reading readings[] = {
        {8190, 146, false},   // -12 dBFS, mark 4
        {4125, 89, false},    // -18 dBFS
        {16384, 199, false},  // -6 dBFS
        {26984, 0, false},    // -1.7 dBFS, below the over threshold 27520
        {27521, 0, true},
    };
    for (const Reading& r : readings) {
        SCOPED_TRACE(r.magnitude);
        const int highest = PlayFromSilence(r.magnitude, r.height, 199);
        if (r.height != 0) {
            EXPECT_EQ(highest, r.height);
            EXPECT_EQ(form().Bars[TForm1::A].Level, r.height);
            EXPECT_EQ(form().Bars[TForm1::A].HeldPeak, r.height);
            EXPECT_EQ(Pixel(32, kBaseline - r.height), kHeldLine);  // the held line
        }
        EXPECT_EQ(OverLit(), r.over);
        EXPECT_EQ(form().Bars[TForm1::B].Level, 1);
    }
}

// The hold of 75 buffers and the over time of 10 keep their time at the source's rate: each
// buffer lasts the design's 24.94 ms, counted on the running meter buffer by buffer.
TEST_P(PulseMeter, HoldAndOverTimeLastTheirBuffersOfTheDesignsPeriod) {
    StartMetering(false);
    BufferWatch watch(form(), [this] { return OverLit(); });
    const int rate = server->rate();
    // A longer latency, so that the player never runs dry and splits a burst in two.
    SamplePlayer player(*server, server->sinks()[0].name,
                        Concatenated({SquareOnA(8190, rate, 0.3, 0.5), SquareOnA(0, rate, 3.0),
                                      SquareOnA(27521, rate, 0.3), SquareOnA(0, rate, 1.0)}),
                        1, 200);
    EXPECT_TRUE(ProcessEventsUntil([&] { return !player.Running(); }, 15s));
    ProcessEventsFor(500ms);

    const int frames = FramesPerBuffer(rate);
    int lineBuffers = 0;
    size_t lastOver = 0;  // the last buffer whose peak was over, counted from 1
    for (size_t i = 0; i < watch.shown.size(); ++i) {
        EXPECT_EQ(watch.shown[i].frames, frames);
        lineBuffers += watch.shown[i].line146;
        if (watch.shown[i].level > 199) lastOver = i + 1;
    }
    ASSERT_GT(lastOver, 0u) << "no over came";
    int litBuffers = 0;  // from the last over on
    for (size_t i = lastOver - 1; i < watch.shown.size(); ++i) litBuffers += watch.shown[i].overLit;
    EXPECT_EQ(lineBuffers, 75);
    EXPECT_EQ(litBuffers, 10) << "lit for the buffer of the over and the nine after it";
    std::cout << "[ measured ] " << ToString(GetParam()) << " at " << rate << " Hz: " << frames
              << " frames a buffer; held line " << lineBuffers
              << " buffers = " << 1000.0 * lineBuffers * frames / rate << " ms; over lit "
              << litBuffers << " buffers = " << 1000.0 * litBuffers * frames / rate << " ms\n";
}

// Bar A's held line as the window shows it after each buffer: its height, read off the surface
// (0 where none shows), and the over indicator.
class HeldLineWatch : public QObject {
  public:
    struct Shown {
        int level;  // bar A's level, for finding where a burst begins
        int line;   // held line height on bar A
        bool overLit;
    };
    HeldLineWatch(TForm1& form, std::function<bool()> overLit)
        : m_form(form), m_overLit(std::move(overLit)) {
        m_form.installEventFilter(this);
    }
    ~HeldLineWatch() override { m_form.removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == WimDataEvent::kType) {
            int line = 0;
            for (int height = 255; height >= 1 && line == 0; --height) {
                if (m_form.surface().pixel(32, kBaseline - height) == kHeldLine) line = height;
            }
            shown.push_back({m_form.Bars[TForm1::A].Level, line, m_overLit()});
        }
        return false;
    }
    std::vector<Shown> shown;

  private:
    TForm1& m_form;
    std::function<bool()> m_overLit;
};

// IEC Type IIa from the settings file: a steady 5 kHz tone lined up at mark 6 (crest 20610 at
// calibration -12), then 5 kHz bursts of 10, 5 and 1.5 ms, each 4 s after the last (longer than
// a held line stands, and long enough for the last reading to have fallen 34 dB, to silence): the
// held line shows each burst 2, 4 and 9 dB below mark 6.
TEST_P(PulseMeter, TypeIIaBurstsHoldTheirLinesBelowTheSteadyTone) {
    StartMetering(false, "ballistics=2\n");
    HeldLineWatch watch(form(), [this] { return OverLit(); });
    const int rate = server->rate();
    const double bursts[][2] = {{10, 2}, {5, 4}, {1.5, 9}};  // ms, dB below mark 6
    std::vector<int16_t> programme = Sine(kMark6Crest, 5000, rate, 1.0, 0.5);
    for (const auto& burst : bursts) {
        const std::vector<int16_t> next = Sine(kMark6Crest, 5000, rate, burst[0] / 1000, 4.0);
        programme.insert(programme.end(), next.begin(), next.end());
    }
    const std::vector<int16_t> tail = Sine(0, 5000, rate, 1.0);
    programme.insert(programme.end(), tail.begin(), tail.end());
    SamplePlayer player(*server, server->sinks()[0].name, programme, 1, 200);
    EXPECT_TRUE(ProcessEventsUntil([&] { return !player.Running(); }, 30s));
    ProcessEventsFor(500ms);

    // Where the bar rises again after falling, a burst has come; its line stands within the
    // next buffers. Before the first burst, the steady tone's line.
    std::vector<int> lines;  // the steady tone's, then each burst's
    for (size_t i = 1; i < watch.shown.size(); ++i) {
        const bool rises = watch.shown[i].level > watch.shown[i - 1].level + 5;
        if (lines.empty() ? watch.shown[i].level > 100 : rises) {
            int line = 0;
            for (size_t k = i; k < std::min(i + 12, watch.shown.size()); ++k) {
                line = std::max(line, watch.shown[k].line);
            }
            lines.push_back(line);
            i += 12;
        }
    }
    ASSERT_EQ(lines.size(), 4u) << "the steady tone and three bursts";
    std::cout << "[ measured ] " << ToString(GetParam()) << " at " << rate << " Hz: held lines";
    EXPECT_NEAR(HeightToDb(lines[0]), kMark6Db, 0.5) << "the steady tone at mark 6";
    for (size_t b = 0; b < 3; ++b) {
        const double below = kMark6Db - HeightToDb(lines[b + 1]);
        EXPECT_NEAR(below, bursts[b][1], 0.5) << bursts[b][0] << " ms burst";
        std::cout << " " << bursts[b][0] << " ms " << -below << " dB;";
    }
    std::cout << "\n";
}

// IEC Type IIa's return: a 200 ms 5 kHz burst at full scale reads mark 7 at calibration -12;
// after it the bar falls to mark 1 in 2.8 s, counted in buffers of the design's period.
TEST_P(PulseMeter, TypeIIaReturnsFromMark7ToMark1In2Point8Seconds) {
    StartMetering(false, "ballistics=2\n");
    HeldLineWatch watch(form(), [this] { return OverLit(); });
    const int rate = server->rate();
    std::vector<int16_t> programme = Sine(32767, 5000, rate, 0.2, 0.5);
    const std::vector<int16_t> silence = Sine(0, 5000, rate, 4.0);
    programme.insert(programme.end(), silence.begin(), silence.end());
    SamplePlayer player(*server, server->sinks()[0].name, programme, 1, 200);
    EXPECT_TRUE(ProcessEventsUntil([&] { return !player.Running(); }, 15s));
    ProcessEventsFor(500ms);

    size_t atMark7 = 0;  // the last buffer at mark 7
    for (size_t i = 0; i < watch.shown.size(); ++i) {
        if (watch.shown[i].level == 255) atMark7 = i;
    }
    ASSERT_GT(atMark7, 0u) << "the burst never read mark 7";
    size_t atMark1 = atMark7;
    while (atMark1 < watch.shown.size() && watch.shown[atMark1].level > 36) ++atMark1;
    ASSERT_LT(atMark1, watch.shown.size()) << "the bar never came down to mark 1";
    const double seconds = static_cast<double>(atMark1 - atMark7) * FramesPerBuffer(rate) / rate;
    EXPECT_NEAR(seconds, 2.8, 0.1);
    std::cout << "[ measured ] " << ToString(GetParam()) << " at " << rate
              << " Hz: mark 7 to mark 1 in " << seconds << " s\n";
}

// The true-peak over indicator from the settings file at -1 dBTP: a quarter-rate sine at phase
// 45 degrees, samples at -3 dBFS and crest at 0 dBTP, lights it where the sample peaks would
// not; a 1 kHz sine at -1.2 dBFS leaves it dark, and lights the sample-peak indicator chosen
// instead.
TEST_P(PulseMeter, TruePeakOverLightsOnCrestsBetweenSamples) {
    StartMetering(false, "TPover=1\nTPlevel=-1\n");
    const int rate = server->rate();
    struct Lamp {
        bool truePeak;
        std::vector<int16_t> signal;
        bool lit;
    };
    const double minus1_2 = CrestAt(-1.2);
    const Lamp lamps[] = {
        {true, Sine(32768, rate / 4.0, rate, 1.0, 0.3, std::numbers::pi / 4), true},
        {true, Sine(minus1_2, 1000, rate, 1.0, 0.3), false},
        {false, Sine(minus1_2, 1000, rate, 1.0, 0.3), true},
        {false, Sine(32768, rate / 4.0, rate, 1.0, 0.3, std::numbers::pi / 4), false},
    };
    for (const Lamp& lamp : lamps) {
        SCOPED_TRACE(testing::Message() << "true peak " << lamp.truePeak << ", lit " << lamp.lit);
        MeterSettings.TPover = lamp.truePeak;  // as the dialog's OK sets it
        EXPECT_TRUE(ProcessEventsUntil([&] { return !OverLit(); }, 3s));
        HeldLineWatch watch(form(), [this] { return OverLit(); });
        SamplePlayer player(*server, server->sinks()[0].name, lamp.signal, 1, 200);
        EXPECT_TRUE(ProcessEventsUntil([&] { return !player.Running(); }, 8s));
        ProcessEventsFor(300ms);
        int litBuffers = 0;
        for (const auto& shown : watch.shown) litBuffers += shown.overLit;
        if (lamp.lit) {
            EXPECT_GE(litBuffers, 30) << "lit while the second of sine plays";
        } else {
            EXPECT_EQ(litBuffers, 0);
        }
    }
}

// The meter on a server with the given null sinks, started from the given settings file.
class PulseMeterOnSinks : public MeterFixture, public testing::WithParamInterface<SoundServerKind> {
  protected:
    void StartWith(std::vector<NullSink> sinks, const std::string& settings) {
        server = StartPrivateServer(GetParam(), std::move(sinks));
        server->UseInThisProcess();
        pulse = std::make_unique<PulseWaveIn>();
        StartOn(*pulse, settings);
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

// Two null sinks, recording the first one's monitor.
class PulseMeterTwoInputs : public PulseMeterOnSinks {
  protected:
    void SetUp() override {
        const std::vector<NullSink> sinks = PrivateSoundServer::Sinks(2);
        StartWith(sinks, "[Input]\nDevice Name=" +
                             PrivateSoundServer::MonitorDescription(sinks[0]) + "\n");
    }
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
    SamplePlayer first(*server, server->sinks()[0].name, SquareOnA(30000, server->rate(), 10));
    ProcessEventsFor(2500ms);
    EXPECT_EQ(form().Bars[TForm1::A].Level, 1) << "the first input is no longer metered";
    SamplePlayer player(*server, server->sinks()[1].name, SquareOnA(8190, server->rate(), 10));
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
    SamplePlayer player(*server, server->sinks()[1].name, SquareOnA(8190, server->rate(), 10));
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

// The meter on a server with two inputs of the same description, as two screens of one make
// give, metering the default one.
class PulseMeterTwins : public PulseMeterOnSinks {
  protected:
    void SetUp() override { StartWith({{"twin_a", "Twin"}, {"twin_b", "Twin"}}, ""); }
};

TEST_P(PulseMeterTwins, TheSecondChosenAndOkPressedTheNextStartMetersTheSecond) {
    QStringList offered;
    QTimer::singleShot(0, [&] {
        for (int i = 0; i < dialog().ComboBox1->count(); ++i) {
            offered << dialog().ComboBox1->itemText(i);
        }
        dialog().ComboBox1->setCurrentIndex(1);
        dialog().Button1->click();
    });
    form().RightPressed();
    EXPECT_EQ(offered, (QStringList{"Monitor of Twin", "Monitor of Twin (2)"}));

    // The next start, from the settings as OK saved them.
    const std::string settings = SettingsText();
    EXPECT_NE(settings.find("Device Name=Monitor of Twin (2)"), std::string::npos) << settings;
    MeterFixture::TearDown();
    StartOn(*pulse, settings);
    Show();
    EXPECT_TRUE(notes.messages.empty());
    EXPECT_EQ(CaptureIdentity(), "twin_b.monitor");
    SamplePlayer player(*server, "twin_b", SquareOnA(8190, server->rate(), 10));
    EXPECT_TRUE(ProcessEventsUntil([&] { return form().Bars[TForm1::A].Level == 146; }, 8s))
        << "bar A at " << form().Bars[TForm1::A].Level;
}

INSTANTIATE_TEST_SUITE_P(Servers, PulseMeter, testing::ValuesIn(SoundServerKindsAtEveryRate()),
                         [](const auto& info) { return ToString(info.param); });
INSTANTIATE_TEST_SUITE_P(Servers, PulseMeterTwoInputs, testing::ValuesIn(SoundServerKinds()),
                         [](const auto& info) { return ToString(info.param); });
INSTANTIATE_TEST_SUITE_P(Servers, PulseMeterTwins, testing::ValuesIn(SoundServerKinds()),
                         [](const auto& info) { return ToString(info.param); });

}  // namespace
}  // namespace kestrin::test
