// Pictures of the Windows program for the README, taken under Wine when asked for:
//   KESTRIN_WINE_PICTURES=docs/images build-test/tests/wine/wine_meter_tests
//   --gtest_filter=WinePictures.*
// Wine then draws the windows' frames itself (as Windows would), so that the pictures show the
// caption and the frame; without a window manager it leaves them to one that is not there. Left
// out of the test runs.

#include <chrono>
#include <cstdlib>
#include <numbers>
#include <thread>

#include "display/bar_geometry.h"
#include "tests/support/sample_player.h"
#include "tests/support/standard_signals.h"
#include "tests/wine/wine_fixture.h"

namespace kestrin::test {
namespace {

const std::string kX11Driver = "HKCU\\Software\\Wine\\X11 Driver";
// The settings dialog's window class, which tells it from the meter of the same caption.
const std::string kDialogClass = "KestrinSettings";

class WinePictures : public WineTest {
  protected:
    void SetUp() override {
        const char* folder = std::getenv("KESTRIN_WINE_PICTURES");
        if (!folder) GTEST_SKIP() << "KESTRIN_WINE_PICTURES names no folder";
        m_folder = folder;
        WineTest::SetUp();
        ASSERT_EQ(
            session->Run({"wine", "reg", "add", kX11Driver, "/v", "Decorated", "/d", "N", "/f"}),
            0);
    }
    void TearDown() override {
        if (session && !m_folder.empty()) {
            session->Run({"wine", "reg", "delete", kX11Driver, "/v", "Decorated", "/f"});
        }
    }

    void Save(const std::string& of, const std::string& name) {
        EXPECT_TRUE(session->SaveScreenshot(of, m_folder / name)) << name;
    }

    std::filesystem::path m_folder;
};

TEST_F(WinePictures, MeterAndSettingsDialog) {
    const MeterLook look;
    // Where a Windows user might keep it, so that the about panel names a plain path.
    const std::filesystem::path folder = session->folder() / "prefix" / "drive_c" / "Kestrin";
    std::filesystem::create_directories(folder);
    // The meter under its default display name, which the settings dialog's caption shares.
    const std::string name = "Kestrin";
    meter = std::make_unique<WineMeter>(
        *session, look.SettingsFile(session->InputName(), name, kMeterLeft, kMeterTop), nullptr,
        folder);
    window = meter->AwaitWindow(name);
    ASSERT_FALSE(window.empty()) << meter->log();
    // Mark 4 on A, a little less on B.
    const SteadySignal signal{8190, 5800, false};
    SamplePlayer player(session->sound(), session->sink().name, signal.Interleaved(30));
    const int32_t mark4 = 146;  // index 819 at -12 dB
    // The frame holds the client area 3 pixels in from the left and bottom.
    const ShotCheck reads = [&](const QImage& framed) {
        const int top = framed.height() - 3 - kClientHeight;
        return BarMismatch(framed.copy(3, top, kWideClientWidth, kClientHeight), BarA, mark4, mark4,
                           look);
    };
    ASSERT_EQ(ShotUntil(window, reads), "");
    Save(window, "windows-meter.png");

    session->Click(window, 60, 150, 3);
    std::string dialog;
    ASSERT_TRUE(PollUntil(
        [&] {
            for (const std::string& w : session->FindWindows(name)) {
                if (w != window) dialog = w;
            }
            return !dialog.empty();
        },
        std::chrono::seconds(10)));
    // The headroom of the calibration, written by the meter at every buffer.
    ASSERT_TRUE(PollUntil(
        [&] { return session->Probe(name, kDialogClass).Control("Static", "4 dB") != nullptr; },
        std::chrono::seconds(5)));
    Save(dialog, "windows-settings.png");
}

// The meter with the loudness column, while a tone at the target plays.
TEST_F(WinePictures, MeterWithTheLoudnessColumn) {
    const MeterLook look;
    const std::string name = "Kestrin";
    meter = std::make_unique<WineMeter>(
        *session,
        look.SettingsFile(session->InputName(), name, kMeterLeft, kMeterTop) + "loudness=1\r\n");
    window = meter->AwaitWindow(name);
    ASSERT_FALSE(window.empty()) << meter->log();
    SamplePlayer player(session->sound(), session->sink().name, StereoTone(-23, 30, 44100));
    std::this_thread::sleep_for(std::chrono::seconds(8));  // the short-term window filled
    Save(window, "windows-loudness.png");
}

// Type IIa bars and the true-peak over indicator, while a tone at a quarter of the rate plays
// whose samples stand at -3 dBFS and whose waveform peaks at 0 dBTP: lit, where the sample-peak
// indicator would stay dark.
TEST_F(WinePictures, MeterWithIecBarsAndTheTruePeakOverIndicator) {
    const MeterLook look;
    const std::string name = "Kestrin";
    meter = std::make_unique<WineMeter>(
        *session, look.SettingsFile(session->InputName(), name, kMeterLeft, kMeterTop) +
                      "ballistics=2\r\nTPover=1\r\n");
    window = meter->AwaitWindow(name);
    ASSERT_FALSE(window.empty()) << meter->log();
    SamplePlayer player(session->sound(), session->sink().name,
                        Sine(CrestAt(0), 44100 / 4.0, 44100, 30, 0, std::numbers::pi / 4));
    std::this_thread::sleep_for(std::chrono::seconds(3));
    Save(window, "windows-iec-true-peak.png");
}

}  // namespace
}  // namespace kestrin::test
