// The loudness column through the meter's pipeline, fed buffers of 1 kHz tones: the column's bar
// and line on the scale, the strip's readings against the standard's test cases, and its buttons.
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "tests/display/meter_fixture.h"

namespace kestrin::test {
namespace {

// The loudness column and its strip, fed 1 kHz tones: a stretch of a tone is its level in dBFS
// (sine peak relative to 32768, both channels) and its length.
struct ToneStretch {
    double dbfs;
    double seconds;
};

SimulatedWaveIn::Signal Tones(std::vector<ToneStretch> stretches) {
    return [stretches, first = std::optional<uint64_t>()](uint64_t recorded) mutable {
        if (!first) first = recorded;  // the tones start with the first frame asked for
        const uint64_t frame = recorded - *first;
        double start = 0;
        for (const ToneStretch& stretch : stretches) {
            const double end = start + stretch.seconds * 44100.0;
            if (static_cast<double>(frame) < end) {
                const double sample =
                    32768.0 * std::pow(10.0, stretch.dbfs / 20.0) *
                    std::sin(2.0 * M_PI * 1000.0 * static_cast<double>(frame) / 44100.0);
                const auto value = static_cast<int16_t>(std::lround(sample));
                return SimulatedWaveIn::Frame{value, value};
            }
            start = end;
        }
        return SimulatedWaveIn::Frame{0, 0};
    };
}

int BuffersOf(const std::vector<ToneStretch>& stretches) {
    double seconds = 0;
    for (const ToneStretch& stretch : stretches) seconds += stretch.seconds;
    return static_cast<int>(std::ceil(seconds * 44100.0 / 1100.0));
}

class MeterLoudness : public MeterFixture {
  protected:
    void StartWith(const std::string& settings) {
        Start("[Form]\nloudness=1\n" + settings);
        form().FormPaint();
    }
    void Play(const std::vector<ToneStretch>& stretches) {
        FeedSignal(Tones(stretches), BuffersOf(stretches));
    }
    // The strip's texts follow a little behind the signal: half a second of silence (which a
    // paused or stopped measurement does not take) makes them due.
    void Wait() { Feed(0, 0, 20); }
    // Pausing or going on shows the texts at once.
    void PressRun() { form().RunButtonClick(); }
    std::string Text(MeterControl control) {
        QWidget* widget = form().Control(control);
        if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text().toStdString();
        return static_cast<QLabel*>(widget)->text().toStdString();
    }
    std::vector<std::string> Strip() {
        return {Text(MeterControl::IntegratedLabel), Text(MeterControl::RangeLabel),
                Text(MeterControl::TruePeakLabel), Text(MeterControl::StateLabel),
                Text(MeterControl::RunButton)};
    }
};

// A tone at the target stands the bar at mark 4 (height 146: its top row y 158) and, once the
// short-term window is full, the short-term line on the row of mark 4 (y 157), whatever the
// calibration; the column stands after S, or where M would in the narrow window.
struct TargetCase {
    const char* form;
    double toneDbfs;
    int barX;
    QSize client;
};

TEST_F(MeterLoudness, ToneAtTheTargetStandsAtMark4) {
    const TargetCase cases[] = {
        {"target=-23\n", -23.0, 124, {148, 425}},
        {"target=-24\ncal=-20\nshowMS=0\n", -24.0, 72, {92, 425}},
        {"target=LUFS\ncal=-18\n", -23.0, 124, {148, 425}},  // no number: -23
    };
    for (const TargetCase& c : cases) {
        SCOPED_TRACE(c.form);
        StartWith(c.form);
        EXPECT_EQ(form().size(), c.client);
        FeedSignal(Tones({{c.toneDbfs, 10.0}}), 160);  // 4 s of it, the windows full
        EXPECT_EQ(Pixel(c.barX, 158), Rgb(0xFFFF00));
        EXPECT_EQ(Pixel(c.barX + 9, 157), Rgb(0xFFFFFF));
        EXPECT_EQ(Pixel(c.barX, 156), Rgb(0xFFFF00 & 0x292929));
        TearDown();
    }
}

// EBU Tech 3341 cases 1, 3 and 5 read -23.0 LUFS integrated; a steady tone has no range and its
// true peak is its sine peak.
TEST_F(MeterLoudness, Tech3341CasesShowTheirIntegratedLoudness) {
    const std::vector<ToneStretch> cases[] = {
        {{-23, 20}},
        {{-36, 10}, {-23, 60}, {-36, 10}},
        {{-26, 20}, {-20, 20.1}, {-26, 20}},
    };
    for (const std::vector<ToneStretch>& stretches : cases) {
        SCOPED_TRACE(stretches.size());
        StartWith("");
        EXPECT_EQ(Strip(), (std::vector<std::string>{"I -- LUFS", "LRA -- LU", "TP -- dBTP",
                                                     "running", "Pause"}));
        Play(stretches);
        PressRun();
        EXPECT_EQ(Text(MeterControl::IntegratedLabel), "I -23.0 LUFS");
        TearDown();
    }
    StartWith("");
    Play({{-23, 20}});
    PressRun();
    EXPECT_EQ(Strip(), (std::vector<std::string>{"I -23.0 LUFS", "LRA 0.0 LU", "TP -23.0 dBTP",
                                                 "paused", "Continue"}));
    // In the desktop's decimal separator.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Wait();
    EXPECT_EQ(Text(MeterControl::IntegratedLabel), "I -23,0 LUFS");
    QLocale::setDefault(previous);
}

// Paused, a louder stretch is left out; continued, the measurement goes on where it was; reset,
// everything clears and nothing is taken until Start. The meter's left click never touches it.
TEST_F(MeterLoudness, PauseContinueResetAndTheLeftClick) {
    StartWith("");
    Play({{-23, 10}});
    form().FormClick();
    PressRun();
    EXPECT_EQ(Strip(), (std::vector<std::string>{"I -23.0 LUFS", "LRA 0.0 LU", "TP -23.0 dBTP",
                                                 "paused", "Continue"}));
    Play({{-13, 10}});
    Wait();
    EXPECT_EQ(Text(MeterControl::IntegratedLabel), "I -23.0 LUFS");
    EXPECT_EQ(Text(MeterControl::TruePeakLabel), "TP -23.0 dBTP");
    PressRun();
    EXPECT_EQ(Text(MeterControl::StateLabel), "running");
    Play({{-33, 10}});
    PressRun();
    // Equal times at -23 and -33 LUFS: 10 log10((10^-2.3 + 10^-3.3) / 2) = -25.6.
    EXPECT_EQ(Strip(), (std::vector<std::string>{"I -25.6 LUFS", "LRA 10.0 LU", "TP -23.0 dBTP",
                                                 "paused", "Continue"}));
    form().ResetButtonClick();
    EXPECT_EQ(Strip(), (std::vector<std::string>{"I -- LUFS", "LRA -- LU", "TP -- dBTP", "stopped",
                                                 "Start"}));
    Play({{-23, 5}});
    Wait();
    EXPECT_EQ(Text(MeterControl::IntegratedLabel), "I -- LUFS");
    PressRun();
    EXPECT_EQ(Text(MeterControl::RunButton), "Pause");
    Play({{-20, 5}});
    PressRun();
    EXPECT_EQ(Strip(), (std::vector<std::string>{"I -20.0 LUFS", "LRA 0.0 LU", "TP -20.0 dBTP",
                                                 "paused", "Continue"}));
}

}  // namespace
}  // namespace kestrin::test
