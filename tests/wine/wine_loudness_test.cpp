// The loudness column of the Windows program under Wine: the window's size with it, a tone at the
// target standing at mark 4 in a screenshot, and the strip's integrated reading and its Pause
// button as the window's own controls give them.

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

#include "display/bar_geometry.h"
#include "tests/support/sample_player.h"
#include "tests/wine/wine_fixture.h"

namespace kestrin::test {
namespace {

constexpr int kRate = 44100;                // Wine records at the design's rate
constexpr int32_t kLoudnessLit = 0xFFFF00;  // cyan, 0x00BBGGRR
constexpr int kColumnX = 124;               // the loudness bar, right of S
constexpr int kMark4Row = 158;              // the top row of a bar at height 146

class WineLoudness : public WineTest {
  protected:
    // The strip's label whose text starts so, or nullptr.
    static const ProbedControl* Reading(const ProbedWindow& probe, const std::string& start) {
        for (const ProbedControl& control : probe.controls) {
            if (control.className == "Static" && control.text.rfind(start, 0) == 0) {
                return &control;
            }
        }
        return nullptr;
    }
};

// Tech 3341 case 1: the column at mark 4 while the tone plays, then -23.0 LUFS integrated within
// the case's 0.1 LU; Pause stops the measurement and the button offers to continue it.
TEST_F(WineLoudness, ToneAtTheTargetStandsAtMark4AndReadsItsIntegratedLoudness) {
    MeterLook look;
    ASSERT_NO_FATAL_FAILURE(StartMeter(SettingsFor(look) + "loudness=1\r\ntarget=-23\r\n"));
    const XGeometry shown = session->Geometry(window);
    EXPECT_EQ(shown.width, kWideClientWidth + 26);
    EXPECT_EQ(shown.height, kClientHeight + 84);

    SamplePlayer player(session->sound(), session->sink().name, StereoTone(-23, 20, kRate), 1, 200);
    const ShotCheck mark4 = [](const QImage& shot) {
        const int32_t top = PixelColour(shot, kColumnX, kMark4Row);
        const int32_t above = PixelColour(shot, kColumnX, kMark4Row - 2);
        if (top == kLoudnessLit && above != kLoudnessLit) return std::string();
        return "the loudness bar's rows at mark 4 show " + ColourName(top) + " and " +
               ColourName(above);
    };
    EXPECT_EQ(ShotUntil(window, mark4), "");
    EXPECT_TRUE(PollUntil([&] { return !player.Running(); }, std::chrono::seconds(40)));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    ProbedWindow probe = session->Probe(kMeterCaption);
    const ProbedControl* integrated = Reading(probe, "I ");
    ASSERT_NE(integrated, nullptr) << probe.Describe();
    char* end = nullptr;
    const double lufs = std::strtod(integrated->text.c_str() + 2, &end);
    EXPECT_EQ(std::string(end), " LUFS") << integrated->text;
    EXPECT_NEAR(lufs, -23.0, 0.1 + 1e-9) << integrated->text;

    const ProbedControl* pause = probe.Control("Button", "Pause");
    ASSERT_NE(pause, nullptr) << probe.Describe();
    session->Click(window, pause->centreX(), pause->centreY());
    EXPECT_TRUE(PollUntil(
        [&] {
            probe = session->Probe(kMeterCaption);
            return probe.Control("Static", "paused") && probe.Control("Button", "Continue");
        },
        std::chrono::seconds(5)))
        << probe.Describe();
}

}  // namespace
}  // namespace kestrin::test
