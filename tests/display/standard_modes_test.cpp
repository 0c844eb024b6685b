// The IEC bars and the true-peak over indicator through the buffer pipeline, from recorded
// buffers, against the tone-burst and return figures of the quasi-peak standard and true-peak
// signals whose samples lie below their crests.
#include <QCoreApplication>
#include <QLineEdit>
#include <QPalette>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>

#include "capture/wim_data_event.h"
#include "tests/display/meter_fixture.h"
#include "tests/support/standard_signals.h"

namespace kestrin::test {
namespace {

constexpr int kMark1Height = 36;

// A sine burst of `amplitude` (sample units) and `hz` from `start` for `length` seconds, at rate.
SimulatedWaveIn::Signal Burst(double amplitude, double hz, double start, double length,
                              uint32_t rate, double phase = 0) {
    return [=](uint64_t frame) {
        const double t = static_cast<double>(frame) / rate - start;
        if (t < 0 || t >= length) return SimulatedWaveIn::Frame{0, 0};
        const auto v = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * t + phase)));
        return SimulatedWaveIn::Frame{v, v};
    };
}

SimulatedWaveIn::Signal Then(SimulatedWaveIn::Signal first, SimulatedWaveIn::Signal second) {
    return [=](uint64_t frame) {
        const SimulatedWaveIn::Frame a = first(frame);
        return a != SimulatedWaveIn::Frame{0, 0} ? a : second(frame);
    };
}

class StandardModes : public MeterFixture {
  protected:
    void Begin(const std::string& form, uint32_t rate = 0) {
        wave.SetRecordingRate(rate);
        Start("[Form]\n" + form);
        ASSERT_TRUE(notes.messages.empty());
        this->form().FormPaint();
    }
    // Plays the signal's frames up to `seconds` from the device's opening, buffer by buffer.
    void PlayUntil(double seconds) {
        const auto until = static_cast<uint64_t>(seconds * wave.rate());
        while (played + wave.framesPerBuffer() <= until) {
            ASSERT_EQ(wave.DeliverBuffers(1), 1);
            QCoreApplication::sendPostedEvents(form1.get(), WimDataEvent::kType);
            played += wave.framesPerBuffer();
        }
    }
    TBarState BarA() { return form().Bars[TForm1::A]; }
    bool OverLit() { return form().over->palette().color(QPalette::Base) == QColor(255, 0, 0); }

    uint64_t played = 0;  // frames recorded so far
};

// 5 kHz bursts from silence, after a steady 5 kHz tone whose crest stands at mark 6 (index 2061 at
// calibration -12): the held line stands below mark 6 by the tone-burst table's figure.
struct BurstCase {
    const char* name;
    int ballistics;
    uint32_t rate;
    double burstMs;
    double belowMark6Db;
};
void PrintTo(const BurstCase& c, std::ostream* out) { *out << c.name; }
class IecBursts : public StandardModes, public testing::WithParamInterface<BurstCase> {};

TEST_P(IecBursts, HeldLineStandsBelowTheSteadyToneByTheTablesFigure) {
    const BurstCase& c = GetParam();
    Begin("ballistics=" + std::to_string(c.ballistics) + "\n", c.rate);
    wave.SetSignal(Then(Burst(kMark6Crest, 5000, 0, 1.0, wave.rate()),
                        Burst(kMark6Crest, 5000, 5.0, c.burstMs / 1000, wave.rate())));
    PlayUntil(0.99);
    EXPECT_NEAR(HeightToDb(BarA().Level), kMark6Db, 0.5) << "the steady tone at mark 6";
    PlayUntil(5.3);
    EXPECT_NEAR(HeightToDb(BarA().HeldPeak) - kMark6Db, -c.belowMark6Db, 0.5)
        << "held line at height " << BarA().HeldPeak;
}

INSTANTIATE_TEST_SUITE_P(
    Table, IecBursts,
    testing::Values(BurstCase{"IIa_10ms", 2, 0, 10, 2}, BurstCase{"IIa_5ms", 2, 0, 5, 4},
                    BurstCase{"IIa_1_5ms", 2, 0, 1.5, 9}, BurstCase{"IIb_5ms_48k", 3, 48000, 5, 4},
                    BurstCase{"I_5ms", 1, 0, 5, 2}, BurstCase{"I_10ms", 1, 0, 10, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// A 200 ms burst reading mark 7 (index 3277 at calibration -20, a crest of 13046), then silence:
// the bar returns to mark 1 in the standard's time, whatever the decay field says (1 pixel a
// buffer would take 5.5 s).
TEST_F(StandardModes, TypeIIaReturnsFromMark7ToMark1In2Point8Seconds) {
    Begin("ballistics=2\ncal=-20\ndecay=1\n");
    const uint32_t rate = wave.rate();
    wave.SetSignal(Burst(13046, 5000, 0.5, 0.2, rate));
    PlayUntil(0.7);
    EXPECT_GE(BarA().Level, 253) << "the burst reads mark 7";
    double reachedMark1 = 0;  // seconds after the burst ended
    for (int buffer = 0; buffer < 200 && reachedMark1 == 0; ++buffer) {
        // A falling bar shows the reading at its buffer's start.
        const double start = static_cast<double>(played) / rate;
        PlayUntil(start + 0.03);
        if (BarA().Level <= kMark1Height) reachedMark1 = start - 0.7;
    }
    EXPECT_NEAR(reachedMark1, 2.8, 0.1);
}

// The true-peak meter reads a few samples behind, so a crest in a buffer's last frames counts in
// the next buffer, silent as that one is: two full-scale samples ending the first buffer (+2 dBTP
// between them) leave it dark and light the second.
TEST_F(StandardModes, TruePeakInTheLastFramesOfABufferLightsTheNext) {
    Begin("TPover=1\n");
    wave.SetSignal([](uint64_t frame) {
        const int16_t crest = frame == 1098 || frame == 1099 ? 32767 : 0;
        return SimulatedWaveIn::Frame{crest, 0};
    });
    PlayUntil(0.03);
    EXPECT_FALSE(OverLit());
    PlayUntil(0.055);
    EXPECT_TRUE(OverLit());
}

// The over indicator on true peaks (level -1 dBTP unless given) or on sample peaks.
struct LampCase {
    const char* name;
    std::string form;
    double amplitude;  // crest, sample units
    double hz;         // 0: a quarter of the rate, phase 45 degrees (samples 3 dB below the crest)
    bool lit;
};
void PrintTo(const LampCase& c, std::ostream* out) { *out << c.name; }
class OverLamps : public StandardModes, public testing::WithParamInterface<LampCase> {};

TEST_P(OverLamps, LightByTheirOwnPeaks) {
    const LampCase& c = GetParam();
    Begin(c.form);
    const uint32_t rate = wave.rate();
    wave.SetSignal(c.hz != 0 ? Burst(c.amplitude, c.hz, 0, 10, rate)
                             : Burst(c.amplitude, rate / 4.0, 0, 10, rate, std::numbers::pi / 4));
    PlayUntil(0.2);
    EXPECT_EQ(OverLit(), c.lit);
}

constexpr double kFullScale = 32768;
const double kMinus1_2dB = CrestAt(-1.2);  // 28540: its sample peak is over
const double kMinus0_5dB = CrestAt(-0.5);

INSTANTIATE_TEST_SUITE_P(
    Table, OverLamps,
    testing::Values(LampCase{"TruePeak_QuarterRate_0dBTP", "TPover=1\n", kFullScale, 0, true},
                    LampCase{"SamplePeak_QuarterRate_0dBTP", "", kFullScale, 0, false},
                    LampCase{"TruePeak_1kHz_Minus1_2", "TPover=1\n", kMinus1_2dB, 1000, false},
                    LampCase{"SamplePeak_1kHz_Minus1_2", "", kMinus1_2dB, 1000, true},
                    LampCase{"TruePeak_1kHz_Minus1_2_AtMinus1_5", "TPover=1\nTPlevel=-1.5\n",
                             kMinus1_2dB, 1000, true},
                    LampCase{"TruePeak_QuarterRate_Minus0_5_LevelNoNumber",
                             "TPover=1\nTPlevel=loud\n", kMinus0_5dB, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrin::test
