// The IEC bars and the true-peak over indicator of the Windows program under Wine, chosen in the
// settings file and read from screenshots: the held line of 5 kHz bursts against a steady tone
// lined up at mark 6, and the over indicator for crests that lie between the samples.

#include <iostream>
#include <thread>
#include <vector>

#include "display/bar_geometry.h"
#include "tests/support/sample_player.h"
#include "tests/support/standard_signals.h"
#include "tests/wine/wine_fixture.h"

namespace kestrin::test {
namespace {

constexpr int kBaseline = BaselineFor(kClientHeight);  // 303
constexpr int kRate = 44100;                           // Wine records at the design's rate
constexpr int kColumnX = kBarAX + 4;                   // a pixel column inside bar A
constexpr int32_t kGreen = 0x00FF00;                   // bar A's colour as the tests set it

// The height of bar A's held line in a screenshot; 0 where none shows.
int HeldLine(const QImage& shot) {
    for (int height = kBarHeights - 1; height >= 1; --height) {
        if (PixelColour(shot, kColumnX, LineRow(kBaseline, height)) == kHeldPeakColour) {
            return height;
        }
    }
    return 0;
}

// Whether bar A stands at least at a height (green up to mark 6, red above, without amber).
bool BarAReaches(const QImage& shot, int height) {
    return PixelColour(shot, kColumnX, BarRow(kBaseline, height)) ==
           (height < kRedFirstHeight ? kGreen : kRedLit);
}

ShotCheck Holds(const std::function<bool(const QImage&)>& condition, const std::string& what) {
    return [=](const QImage& shot) { return condition(shot) ? std::string() : what; };
}

class WineStandardModes : public WineTest {
  protected:
    // A settings file of the tests' look with the standard modes' keys added to its Form section.
    std::string SettingsWith(const std::string& keys, bool peakHold = false) const {
        MeterLook look;
        look.peakHold = peakHold;
        return SettingsFor(look) + keys;
    }
};

// An IEC type with Peak Hold on, so that each held line stays to be read: the steady 5 kHz tone at
// mark 6, then, each after the bar has fallen to silence and a click has restarted the held peaks,
// 5 kHz bursts whose lines stand below mark 6 by the tone-burst table's figures.
struct Burst {
    double ms;
    double belowMark6Db;
};
struct BurstCase {
    const char* name;
    int ballistics;
    std::vector<Burst> bursts;
};
void PrintTo(const BurstCase& c, std::ostream* out) { *out << c.name; }
class WineIecBursts : public WineStandardModes, public testing::WithParamInterface<BurstCase> {};

TEST_P(WineIecBursts, HoldTheirLinesBelowTheSteadyTone) {
    const BurstCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(
        StartMeter(SettingsWith("ballistics=" + std::to_string(c.ballistics) + "\r\n", true)));
    QImage shot;
    {
        SamplePlayer tone(session->sound(), session->sink().name,
                          Sine(kMark6Crest, 5000, kRate, 30));
        ASSERT_EQ(ShotUntil(window, Holds([](const QImage& s) { return BarAReaches(s, 210); },
                                          "the steady tone does not reach mark 6")),
                  "");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        shot = session->Screenshot(window);
        EXPECT_NEAR(HeightToDb(HeldLine(shot)), kMark6Db, 0.5)
            << "the steady tone's line at " << HeldLine(shot);
    }
    for (const Burst& burst : c.bursts) {
        SCOPED_TRACE(testing::Message() << burst.ms << " ms burst");
        // From silence: the integrator 35 dB and more below the burst, where what is left of
        // the last reading no longer raises the next.
        ASSERT_EQ(ShotUntil(window, Holds([](const QImage& s) { return !BarAReaches(s, 4); },
                                          "bar A has not fallen")),
                  "");
        session->Click(window, 60, 150);  // on the surface: the held peaks restart from the bar
        ASSERT_EQ(ShotUntil(window, Holds([](const QImage& s) { return HeldLine(s) < 100; },
                                          "the held line did not restart")),
                  "");
        SamplePlayer player(session->sound(), session->sink().name,
                            Sine(kMark6Crest, 5000, kRate, burst.ms / 1000, 0.5), 1, 200);
        ASSERT_EQ(ShotUntil(window, Holds([](const QImage& s) { return HeldLine(s) > 110; },
                                          "no line for the burst")),
                  "");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        shot = session->Screenshot(window);
        std::cout << "[ measured ] under Wine, " << c.name << ": " << burst.ms << " ms burst, line "
                  << HeightToDb(HeldLine(shot)) - kMark6Db << " dB re mark 6\n";
        EXPECT_NEAR(kMark6Db - HeightToDb(HeldLine(shot)), burst.belowMark6Db, 0.5)
            << "line at " << HeldLine(shot) << " (screenshot: " << Keep(shot, "burst") << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, WineIecBursts,
                         testing::Values(BurstCase{"TypeIIa", 2, {{10, 2}, {5, 4}, {1.5, 9}}},
                                         BurstCase{"TypeI", 1, {{5, 2}}}),
                         [](const auto& info) { return std::string(info.param.name); });

// The over indicator at -1 dBTP on true peaks, or on the sample peaks as designed, for a steady
// sine whose samples stand 3 dB below its crest at 0 dBTP (a quarter of the rate, phase 45
// degrees) and for a 1 kHz sine at -1.2 dBFS.
struct LampCase {
    const char* name;
    bool truePeak;
    bool quarterRate;  // else 1 kHz at -1.2 dBFS
    bool lit;
};
void PrintTo(const LampCase& c, std::ostream* out) { *out << c.name; }
class WineOverLamps : public WineStandardModes, public testing::WithParamInterface<LampCase> {};

TEST_P(WineOverLamps, LightByTheirOwnPeaks) {
    const LampCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(
        StartMeter(SettingsWith(c.truePeak ? "TPover=1\r\nTPlevel=-1\r\n" : "")));
    SamplePlayer player(session->sound(), session->sink().name,
                        c.quarterRate ? Sine(32768, kRate / 4.0, kRate, 30, 0, std::numbers::pi / 4)
                                      : Sine(CrestAt(-1.2), 1000, kRate, 30));
    const int32_t lamp = c.lit ? kOverLit : kOverDark;
    const ShotCheck reading = [lamp](const QImage& shot) {
        if (!BarAReaches(shot, 220)) return std::string("the sine does not show on bar A");
        const int32_t shown = OverColour(shot);
        return shown == lamp ? std::string() : "the over indicator shows " + ColourName(shown);
    };
    EXPECT_EQ(ShotUntil(window, reading), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));  // 40 buffers on
    EXPECT_EQ(reading(session->Screenshot(window)), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, WineOverLamps,
                         testing::Values(LampCase{"TruePeakQuarterRate", true, true, true},
                                         LampCase{"TruePeak1kHz", true, false, false},
                                         LampCase{"SamplePeakQuarterRate", false, true, false},
                                         LampCase{"SamplePeak1kHz", false, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrin::test
