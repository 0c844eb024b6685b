// The message boxes of the Windows program under Wine when its input fails: an input that is not
// there at start, and the recorded input or the whole sound server going away while the meter
// runs. The boxes are read as Windows shows them (caption, text, buttons, icon); a failure of the
// running capture must end the program with status 0 once its box is dismissed, and leave the
// settings file as it was. Wine's wave input reports no failure when its stream dies; it stops
// returning buffers, and the meter's watch of the delivered sound tells it 3 s later.

#include "tests/support/private_pulse_server.h"
#include "tests/support/sample_player.h"
#include "tests/wine/wine_fixture.h"

namespace kestrin::test {
namespace {

const std::string kKestrinError = " Kestrin Error";
const std::string kStalledText =
    "The input device has stopped delivering sound. The program will end.";

// A message box as the program shows it.
struct ShownBox {
    std::string text;
    std::vector<std::string> buttons;
    int icons = 0;  // picture controls that show an icon
};

class WineFailureBoxes : public WineTest {
  protected:
    // The box of that caption, once it shows; its X window goes to `boxWindow`.
    ShownBox AwaitBox(const std::string& caption, std::string* boxWindow = nullptr,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        const std::string found = meter->AwaitWindow(caption, timeout);
        if (boxWindow) *boxWindow = found;
        EXPECT_FALSE(found.empty()) << "no box \"" << caption << "\"\n" << meter->log();
        ShownBox box;
        if (found.empty()) return box;
        const ProbedWindow probe = session->Probe(caption);
        for (const ProbedControl& c : probe.controls) {
            if (c.className == "Button") box.buttons.push_back(c.text);
            if (c.className == "Static" && c.icon == -1) box.text += c.text;
            if (c.icon == 1) ++box.icons;
        }
        return box;
    }

    // Clicks OK on the box.
    void Dismiss(const std::string& caption, const std::string& boxWindow) {
        const ProbedWindow probe = session->Probe(caption);
        const ProbedControl* ok = probe.Control("Button", "OK");
        ASSERT_NE(ok, nullptr) << probe.Describe();
        session->Click(boxWindow, ok->centreX(), ok->centreY());
    }

    // Plays a steady level into a sink until the meter shows it.
    void AwaitMetering(const PrivateSoundServer& server, const std::string& sink,
                       std::unique_ptr<SamplePlayer>& player) {
        const SteadySignal signal{8190, 8190, false};
        player = std::make_unique<SamplePlayer>(server, sink, signal.Interleaved(30));
        const MeterLook look;
        const int32_t mark4 = 146;  // index 819 at -12 dB
        ASSERT_EQ(ShotUntil(window,
                            [&](const QImage& shot) {
                                return BarMismatch(shot, BarA, mark4, mark4, look);
                            }),
                  "");
    }

    // After a failure of the running capture: its one box, then, once it is dismissed, the end
    // with status 0 and the settings file as before.
    void ExpectEndAfterBox(const std::string& settings) {
        std::string box;
        const ShownBox shown = AwaitBox(kKestrinError, &box);
        EXPECT_EQ(shown.text, kStalledText);
        EXPECT_EQ(shown.buttons, std::vector<std::string>{"OK"});
        EXPECT_EQ(shown.icons, 0);
        EXPECT_TRUE(session->FindWindows(" Peak Programme Meter Error").empty());
        EXPECT_TRUE(meter->Running()) << "the box waits for the operator";
        ASSERT_NO_FATAL_FAILURE(Dismiss(kKestrinError, box));
        EXPECT_EQ(meter->AwaitExit(), std::optional<int>(0)) << meter->log();
        EXPECT_EQ(meter->Settings(), settings);
    }
};

TEST_F(WineFailureBoxes, AnInputNotFoundAtStartIsToldAndTheDefaultIsMetered) {
    const std::string settings =
        MeterLook().SettingsFile("No Such Input", kMeterCaption, kMeterLeft, kMeterTop);
    meter = std::make_unique<WineMeter>(*session, settings);
    std::string box;
    const ShownBox shown = AwaitBox(kKestrinError, &box);
    EXPECT_EQ(
        shown.text,
        "Input device  \"No Such Input\"  not found.\n\r\n\rThe default device will be used.");
    EXPECT_EQ(shown.buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(shown.icons, 0);
    EXPECT_TRUE(session->FindWindows(kMeterCaption).empty()) << "the meter shows before the box";
    ASSERT_NO_FATAL_FAILURE(Dismiss(kKestrinError, box));

    window = meter->AwaitWindow(kMeterCaption);
    ASSERT_FALSE(window.empty()) << meter->log();
    std::unique_ptr<SamplePlayer> player;
    ASSERT_NO_FATAL_FAILURE(AwaitMetering(session->sound(), session->sink().name, player));
    EXPECT_TRUE(session->RequestClose(kMeterCaption));
    EXPECT_EQ(meter->AwaitExit(), std::optional<int>(0));
}

TEST_F(WineFailureBoxes, TheMeteredInputRemovedEndsTheProgramAfterItsBox) {
    const NullSink vanishing{"wine_vanishing", "Wine Vanishing"};
    const int module = session->sound().LoadNullSink(vanishing);
    ASSERT_GE(module, 0);
    const std::string settings = MeterLook().SettingsFile(
        PrivateSoundServer::MonitorDescription(vanishing), kMeterCaption, kMeterLeft, kMeterTop);
    ASSERT_NO_FATAL_FAILURE(StartMeter(settings));
    std::unique_ptr<SamplePlayer> player;
    ASSERT_NO_FATAL_FAILURE(AwaitMetering(session->sound(), vanishing.name, player));

    ASSERT_TRUE(session->sound().UnloadModule(module));
    ExpectEndAfterBox(settings);
}

TEST_F(WineFailureBoxes, TheSoundServerGoneEndsTheProgramAfterItsBox) {
    PrivatePulseServer server(std::vector<NullSink>{{"wine_doomed", "Wine Doomed"}});
    const std::string settings =
        MeterLook().SettingsFile(PrivateSoundServer::MonitorDescription(server.sinks()[0]),
                                 kMeterCaption, kMeterLeft, kMeterTop);
    ASSERT_NO_FATAL_FAILURE(StartMeter(settings, kMeterCaption, &server));
    std::unique_ptr<SamplePlayer> player;
    ASSERT_NO_FATAL_FAILURE(AwaitMetering(server, server.sinks()[0].name, player));

    server.Kill();
    player.reset();
    ExpectEndAfterBox(settings);
}

}  // namespace
}  // namespace kestrin::test
