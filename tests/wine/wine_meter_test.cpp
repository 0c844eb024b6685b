// The meter window of the Windows program under Wine: its size, place and caption, and the exact
// readings that steady sample values played into the recorded sink give, read from screenshots of
// the window and compared with what the meter's own scale, ballistics and bar geometry say.

#include <thread>

#include "display/bar_geometry.h"
#include "measure/ballistics.h"
#include "tests/support/sample_player.h"
#include "tests/wine/wine_fixture.h"

namespace kestrin::test {
namespace {

constexpr int kSignalSeconds = 30;
constexpr int32_t kOverLit = 0x0000FF;
constexpr int32_t kOverDark = 0x000029;

ShotCheck OverShows(int32_t colour) {
    return [colour](const QImage& shot) {
        const int32_t shown = OverColour(shot);
        return shown == colour ? std::string()
                               : "the over indicator shows " + ColourName(shown) + ", not " +
                                     ColourName(colour);
    };
}

class WineMeterWindow : public WineTest {
  protected:
    // The over indicator's enabled state, as the program has it.
    bool OverUsable() {
        const ProbedWindow probe = session->Probe(kMeterCaption);
        const ProbedControl* over = probe.Control("Edit", "over");
        EXPECT_NE(over, nullptr) << probe.Describe();
        return over && over->usable;
    }
};

TEST_F(WineMeterWindow, StandsAtItsStoredPlaceInItsDesignedSizeForEitherMSChoice) {
    for (const bool showMS : {true, false}) {
        SCOPED_TRACE(showMS ? "M and S shown" : "M and S hidden");
        MeterLook look;
        look.showMS = showMS;
        ASSERT_NO_FATAL_FAILURE(StartMeter(SettingsFor(look)));
        const int clientWidth = showMS ? kWideClientWidth : kNarrowClientWidth;

        const XGeometry shown = session->Geometry(window);
        EXPECT_EQ(shown.width, clientWidth);
        EXPECT_EQ(shown.height, kClientHeight);
        EXPECT_EQ(shown.x, kMeterLeft + kFrameSide);

        const ProbedWindow probe = session->Probe(kMeterCaption);
        ASSERT_TRUE(probe.found);
        EXPECT_EQ(probe.caption, kMeterCaption);
        EXPECT_EQ(probe.left, kMeterLeft);
        EXPECT_EQ(probe.top, kMeterTop);
        EXPECT_EQ(probe.right - probe.left, clientWidth + 2 * kFrameSide);
        EXPECT_EQ(probe.clientWidth, clientWidth);
        EXPECT_EQ(probe.clientHeight, kClientHeight);
        const ProbedControl* button = probe.Control("Button", showMS ? "<" : ">");
        ASSERT_NE(button, nullptr) << probe.Describe();
        EXPECT_EQ((std::array{button->left, button->top, button->width, button->height}),
                  (std::array{8, 320, 17, 17}));

        EXPECT_TRUE(session->RequestClose(kMeterCaption));
        EXPECT_EQ(meter->AwaitExit(), std::optional<int>(0));
    }
}

// A steady signal with the settings that decide how it shows, and the levels the bars A, B, M
// and S settle at: each peak divided by the divisor of the calibration, rounded half to even, the
// level table's height at that index (worked by hand between its listed entries), at least 1.
struct ReadingCase {
    std::string name;
    MeterLook look;
    SteadySignal signal;
    std::array<int32_t, 4> levels;
};
void PrintTo(const ReadingCase& c, std::ostream* out) { *out << c.name; }

class WineMeterReading : public WineTest, public testing::WithParamInterface<ReadingCase> {};

TEST_P(WineMeterReading, BarsHeldPeaksScaleAndOverIndicatorReadExactly) {
    const MeterLook& look = GetParam().look;
    const SteadySignal& signal = GetParam().signal;
    ASSERT_NO_FATAL_FAILURE(StartMeter(SettingsFor(look)));
    SamplePlayer player(session->sound(), session->sink().name, signal.Interleaved(kSignalSeconds));

    QImage shot;
    ASSERT_EQ(ShotUntil(window, BarsAt(GetParam().levels, look), &shot), "");
    EXPECT_EQ(PanelMismatch(shot, look), "");
    EXPECT_EQ(MarginMismatch(shot, kWindowColour), "");
    const bool over = signal.a > kOverThreshold || signal.b > kOverThreshold;
    EXPECT_EQ(ColourName(OverColour(shot)), ColourName(over ? kOverLit : kOverDark));
}

MeterLook Look(const std::string& cal, bool msix, bool amber, bool dbScale) {
    MeterLook look;
    look.cal = cal;
    look.msix = msix;
    look.amber = amber;
    look.dbScale = dbScale;
    return look;
}

MeterLook Orange(MeterLook look) {
    look.colours[BarA] = 0x0080FF;
    return look;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WineMeterReading,
    testing::Values(
        // 8190 is index 819, mark 4 at -12 dB; B silent rests at level 1; M and S 4095, index
        // 409.5 rounded to 410, 88.49.
        ReadingCase{"MarkFourAtMinus12",
                    Look("-12", true, false, true),
                    {8190, 0, false},
                    {146, 1, 88, 88}},
        // Divisor 5.01187: indexes 2394.3, 997.6, 1696.0 (M 8500) and 698.3 (S 3500).
        ReadingCase{"MidAndSideMinus6dBAtMinus18",
                    Look("-18", true, false, true),
                    {12000, 5000, false},
                    {229, 160, 201, 131}},
        // The amber zone from mark 4 to mark 6, with a bar colour of its own for A. Divisor
        // 3.98107: indexes 1507.1, 1004.8, 351.7 (M (2000 div 141) x 100 = 1400) and 1781.4
        // (S 10000 x 100 div 141 = 7092).
        ReadingCase{"AmberMinus3dBMidAtMinus20",
                    Orange(Look("-20", false, true, true)),
                    {6000, 4000, true},
                    {192, 160, 77, 206}},
        // Red up to full scale, over lit by B, on the scale of marks 1 to 7: indexes 2500, 3276.7
        // (3277), 2888.3 (M 28883) and 388.3 (S 3883).
        ReadingCase{"RedAndFullScaleOnMarks",
                    Look("-12", true, false, false),
                    {25000, 32767, false},
                    {232, 255, 243, 84}}),
    [](const auto& info) { return info.param.name; });

TEST_F(WineMeterWindow, OverThresholdIsAbove27520) {
    MeterLook look;
    ASSERT_NO_FATAL_FAILURE(StartMeter(SettingsFor(look)));
    {
        const SteadySignal signal{kOverThreshold, 0, false};
        SamplePlayer player(session->sound(), session->sink().name,
                            signal.Interleaved(kSignalSeconds));
        QImage shot;
        // Indexes 2752 and 1376 (M and S 13760): 239.46 and 186.00 on the table's last segments.
        ASSERT_EQ(ShotUntil(window, BarsAt({239, 1, 186, 186}, look), &shot), "");
        EXPECT_EQ(OverShows(kOverDark)(shot), "");
        EXPECT_FALSE(OverUsable());
    }
    const SteadySignal signal{kOverThreshold + 1, 0, false};
    SamplePlayer player(session->sound(), session->sink().name, signal.Interleaved(kSignalSeconds));
    EXPECT_EQ(ShotUntil(window, OverShows(kOverLit)), "");
    EXPECT_TRUE(OverUsable());
}

// With Peak Hold on, held peaks and the over indicator stay until a left click on the meter's
// surface; a click on a scale label is not one.
TEST_F(WineMeterWindow, LeftClickOnTheSurfaceAloneResetsHeldPeaksAndOver) {
    MeterLook look;
    look.peakHold = true;
    ASSERT_NO_FATAL_FAILURE(StartMeter(SettingsFor(look)));
    // Index 3000, a listed entry, and 1500 for M and S (15000).
    const SteadySignal loud{30000, 0, false};
    const int32_t high = 247;
    {
        SamplePlayer player(session->sound(), session->sink().name,
                            loud.Interleaved(kSignalSeconds));
        ASSERT_EQ(ShotUntil(window, BarsAt({high, 1, 192, 192}, look)), "");
    }
    const SteadySignal mark4{8190, 0, false};
    const int32_t level = 146;
    SamplePlayer player(session->sound(), session->sink().name, mark4.Interleaved(kSignalSeconds));
    const ShotCheck held = [&](const QImage& shot) {
        const std::string bar = BarMismatch(shot, BarA, level, high, look);
        return bar.empty() ? OverShows(kOverLit)(shot) : bar;
    };
    ASSERT_EQ(ShotUntil(window, held), "") << "the held peak and the over stay";

    session->Click(window, 10, 155);  // on the scale label of mark 4, 6, 149
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // 20 buffers
    EXPECT_EQ(held(session->Screenshot(window)), "") << "a click on a label reset the meter";

    session->Click(window, 60, 150);
    EXPECT_EQ(ShotUntil(window,
                        [&](const QImage& shot) {
                            const std::string bar = BarMismatch(shot, BarA, level, level, look);
                            return bar.empty() ? OverShows(kOverDark)(shot) : bar;
                        }),
              "");
}

TEST_F(WineMeterWindow, SPlus20ShowsTheSideTwentyDecibelsUpOnMaroon) {
    MeterLook look;
    ASSERT_NO_FATAL_FAILURE(StartMeter(SettingsFor(look)));
    const SteadySignal signal{3000, 2000, false};
    // Indexes 300, 200, 250 (M 2500) and 50 (S 500); S+20 takes S to index 500.
    const std::array<int32_t, 4> levels = {63, 35, 49, 9};
    const std::array<int32_t, 4> up = {63, 35, 49, 107};
    SamplePlayer player(session->sound(), session->sink().name, signal.Interleaved(kSignalSeconds));
    ASSERT_EQ(ShotUntil(window, BarsAt(levels, look)), "");

    session->Click(window, 100 + 7, 13 + 7);  // dBButton, 14 x 14 at 100, 13
    QImage shot;
    EXPECT_EQ(ShotUntil(window, BarsAt(up, look), &shot), "");
    EXPECT_EQ(MarginMismatch(shot, kSPlus20WindowColour), "");

    session->Click(window, 100 + 7, 13 + 7);
    EXPECT_EQ(ShotUntil(window, BarsAt(levels, look), &shot), "");
    EXPECT_EQ(MarginMismatch(shot, kWindowColour), "");
}

TEST_F(WineMeterWindow, MSButtonNarrowsAndWidensTheWindow) {
    MeterLook look;
    ASSERT_NO_FATAL_FAILURE(StartMeter(SettingsFor(look)));
    session->Click(window, 8 + 8, 320 + 8);  // MSButton, 17 x 17 at 8, 320
    EXPECT_TRUE(PollUntil([&] { return session->Geometry(window).width == kNarrowClientWidth; },
                          std::chrono::seconds(5)));
    EXPECT_NE(session->Probe(kMeterCaption).Control("Button", ">"), nullptr);

    session->Click(window, 8 + 8, 320 + 8);
    EXPECT_TRUE(PollUntil([&] { return session->Geometry(window).width == kWideClientWidth; },
                          std::chrono::seconds(5)));
    EXPECT_NE(session->Probe(kMeterCaption).Control("Button", "<"), nullptr);
    EXPECT_EQ(session->Geometry(window).x, kMeterLeft + kFrameSide) << "back at its place";
}

}  // namespace
}  // namespace kestrin::test
