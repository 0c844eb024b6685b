// The loudness column against a real sound server at the server's own rate: a tone at the target
// stands at mark 4, and the strip's readings and buttons work as the operator sees and clicks them.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "capture/pulse_wave_in.h"
#include "tests/display/meter_fixture.h"
#include "tests/support/event_wait.h"
#include "tests/support/private_sound_server.h"
#include "tests/support/sample_player.h"

namespace kestrin::test {
namespace {

using namespace std::chrono_literals;

constexpr QRgb kLoudnessLit = Rgb(0xFFFF00);
constexpr int kColumnX = 124;                // the loudness bar, right of S
constexpr double kWithinTenth = 0.1 + 1e-9;  // LU, of the one-decimal reading

class PulseLoudness : public MeterFixture, public testing::WithParamInterface<SoundServerKind> {
  protected:
    void SetUp() override {
        server = StartPrivateServer(GetParam());
        server->UseInThisProcess();
        pulse = std::make_unique<PulseWaveIn>();
        StartOn(*pulse, "[Input]\nDevice Name=" +
                            PrivateSoundServer::MonitorDescription(server->sinks()[0]) +
                            "\n[Form]\ncal=-12\nloudness=1\ntarget=-23\n");
        ASSERT_TRUE(notes.messages.empty()) << notes.messages[0].text;
        Show();
    }
    void TearDown() override {
        MeterFixture::TearDown();
        pulse.reset();
    }

    void Play(double dbfs, double seconds) {
        SamplePlayer player(*server, server->sinks()[0].name,
                            StereoTone(dbfs, seconds, server->rate()), 1, 200);
        EXPECT_TRUE(ProcessEventsUntil([&] { return !player.Running(); },
                                       std::chrono::seconds(static_cast<int>(seconds) + 10)));
        ProcessEventsFor(500ms);  // the last buffers, and the strip's next look
    }
    std::string Text(MeterControl control) {
        return static_cast<QLabel*>(form().Control(control))->text().toStdString();
    }
    // The integrated loudness the strip shows, in LUFS; NaN while it shows none.
    double Integrated() {
        const std::string text = Text(MeterControl::IntegratedLabel);
        char* end = nullptr;
        const double value = std::strtod(text.c_str() + 2, &end);
        return end != text.c_str() + 2 && std::string(end) == " LUFS" ? value : NAN;
    }
    void Click(MeterControl button) {
        QTest::mouseClick(static_cast<QPushButton*>(form().Control(button)), Qt::LeftButton);
    }
    // The top lit row of the loudness bar, as a height above the baseline.
    int ColumnHeight() {
        for (int height = 256; height > 0; --height) {
            if (Pixel(kColumnX, 303 - height + 1) == kLoudnessLit) return height;
        }
        return 0;
    }

    std::unique_ptr<PrivateSoundServer> server;
    std::unique_ptr<PulseWaveIn> pulse;
};

// Tech 3341 case 1 (-23 dBFS, 20 s) stands at mark 4 while it plays and reads -23.0 LUFS
// integrated, within the case's 0.1 LU (the blocks that take in the tone's start and end from
// silence count too, and lower it by about 0.06 LU); a left click on the meter leaves the
// measurement be, Pause keeps a louder stretch out of it, and Reset clears and stops it.
TEST_P(PulseLoudness, ToneAtTheTargetReadsMark4AndTheButtonsWorkTheMeasurement) {
    SamplePlayer player(*server, server->sinks()[0].name, StereoTone(-23, 20, server->rate()), 1,
                        200);
    EXPECT_TRUE(ProcessEventsUntil([&] { return ColumnHeight() == 146; }, 8s))
        << "the loudness bar at " << ColumnHeight();
    EXPECT_TRUE(ProcessEventsUntil([&] { return !player.Running(); }, 30s));
    ProcessEventsFor(500ms);
    QTest::mouseClick(&form(), Qt::LeftButton, {}, QPoint(60, 150));
    // Pausing shows the strip's numbers at once (they otherwise follow twice a second).
    Click(MeterControl::RunButton);
    EXPECT_EQ(Text(MeterControl::StateLabel), "paused");
    const double integrated = Integrated();
    EXPECT_NEAR(integrated, -23.0, kWithinTenth);
    Play(-13, 3);
    EXPECT_EQ(Integrated(), integrated);
    Click(MeterControl::RunButton);
    EXPECT_EQ(Text(MeterControl::StateLabel), "running");

    Click(MeterControl::ResetButton);
    EXPECT_EQ(Text(MeterControl::IntegratedLabel), "I -- LUFS");
    EXPECT_EQ(Text(MeterControl::StateLabel), "stopped");
    Play(-23, 2);
    EXPECT_EQ(Text(MeterControl::IntegratedLabel), "I -- LUFS");
}

INSTANTIATE_TEST_SUITE_P(Servers, PulseLoudness, testing::ValuesIn(SoundServerKindsAtEveryRate()),
                         [](const auto& info) { return ToString(info.param); });

}  // namespace
}  // namespace kestrin::test
