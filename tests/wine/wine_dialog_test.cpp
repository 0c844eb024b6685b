// The settings dialog of the Windows program under Wine, worked with the mouse and the keyboard
// as an operator works it: opened with the right button on the meter, changed, confirmed with OK,
// locked and unlocked through the password box. The settings file must then hold exactly the
// bytes that the Linux program's settings store writes for the same settings.

#include "tests/support/sample_player.h"
#include "tests/wine/reference_store.h"
#include "tests/wine/wine_fixture.h"

namespace kestrin::test {
namespace {

// A file in an order of its own, partly with bare LF line ends, lacking most keys: the save
// replaces the keys present where they stand and adds the others.
std::string PartialSettings(const std::string& input) {
    return "[Form]\r\nleft=" + std::to_string(kMeterLeft) + "\r\ntop=" + std::to_string(kMeterTop) +
           "\nshowMS=1\ncal=-18\r\n[Input]\r\nShort Name=" + kMeterCaption +
           "\r\nDevice Name=" + input + "\r\n";
}

class WineSettingsDialog : public WineTest {
  protected:
    // The password box that the lock check box opens: its caption and prompt, then the password
    // typed and Enter, after which it closes.
    void AnswerPasswordBox(const std::string& caption, const std::string& prompt,
                           const std::string& password) {
        const std::string box = meter->AwaitWindow(caption);
        ASSERT_FALSE(box.empty()) << "no box \"" << caption << "\"";
        const ProbedWindow probe = session->Probe(caption);
        EXPECT_NE(probe.Control("Static", prompt), nullptr) << probe.Describe();
        EXPECT_EQ(probe.OfClass("Edit").size(), 1u) << probe.Describe();
        session->Type(password);
        session->Key("Return");
        EXPECT_TRUE(meter->AwaitWindowGone(caption)) << "the box stays open after Enter";
    }

    // Whether the lock check box is checked and whether the locked settings (the calibration
    // field Edit1 in Panel2, holding the default "-12") and the input list take input.
    struct LockState {
        bool checked = false;
        bool calibrationUsable = false;
        bool inputListUsable = false;
        bool operator==(const LockState&) const = default;
    };
    LockState Lock() {
        const ProbedWindow probe = Dialog();
        const ProbedControl* lockSet = probe.Control("Button", "LockSettings");
        const ProbedControl* edit1 = probe.Control("Edit", "-12");
        const std::vector<ProbedControl> lists = probe.OfClass("ComboBox");
        EXPECT_TRUE(lockSet && edit1 && !lists.empty()) << probe.Describe();
        if (!lockSet || !edit1 || lists.empty()) return {};
        return {lockSet->checked == 1, edit1->usable, lists.front().usable};
    }

    // The input list's text, as ComboBox1 shows it.
    std::string ChosenInput() const {
        const std::vector<ProbedControl> lists = Dialog().OfClass("ComboBox");
        return lists.empty() ? std::string() : lists.front().text;
    }
    // Steps through the input list with the arrow keys, the list having the keyboard, until it
    // shows `input`: down to the end, then up to the start. False when no entry is that input.
    bool ChooseInput(const std::string& input) {
        for (const char* key : {"Down", "Up"}) {
            std::string shown = ChosenInput();
            for (int step = 0; step < kMostInputs && shown != input; ++step) {
                session->Key(key);
                const std::string before = shown;
                shown = ChosenInput();
                if (shown == before) break;  // at that end of the list
            }
            if (shown == input) return true;
        }
        return false;
    }
    static constexpr int kMostInputs = 8;
};

// A null sink loaded into the session's sound server for one test, unloaded at its end.
class ExtraSink {
  public:
    ExtraSink(PrivateSoundServer& server, NullSink sink)
        : m_server(server), m_sink(std::move(sink)), m_module(server.LoadNullSink(m_sink)) {}
    ~ExtraSink() {
        if (m_module >= 0) m_server.UnloadModule(m_module);
    }
    ExtraSink(const ExtraSink&) = delete;
    ExtraSink& operator=(const ExtraSink&) = delete;

    bool loaded() const { return m_module >= 0; }
    const NullSink& sink() const { return m_sink; }

  private:
    PrivateSoundServer& m_server;
    NullSink m_sink;
    int m_module;
};

TEST_F(WineSettingsDialog, RightClickOpensItAndOkWritesTheFileAsOnLinux) {
    const std::string initial = PartialSettings(session->InputName());
    ASSERT_NO_FATAL_FAILURE(StartMeter(initial));
    const std::string dialog = OpenDialog();
    ASSERT_FALSE(dialog.empty());

    const ProbedWindow probe = Dialog();
    EXPECT_EQ(probe.clientWidth, 356);
    EXPECT_EQ(probe.clientHeight, 733);
    const ProbedControl* ok = probe.Control("Button", "OK");
    ASSERT_NE(ok, nullptr) << probe.Describe();
    EXPECT_EQ((std::array{ok->left, ok->top, ok->width, ok->height}),
              (std::array{233, 588, 64, 25}));
    EXPECT_NE(probe.Control("Edit", "-18"), nullptr) << "the calibration as stored\n"
                                                     << probe.Describe();
    const ProbedControl* amber = probe.Control("Button", "Yellow Segment");
    ASSERT_NE(amber, nullptr) << probe.Describe();
    EXPECT_EQ(amber->checked, 0);

    ASSERT_TRUE(ClickControl(dialog, "Button", "Yellow Segment"));
    EXPECT_EQ(Dialog().Control("Button", "Yellow Segment")->checked, 1);
    EXPECT_EQ(meter->Settings(), initial) << "nothing is written before OK";
    ASSERT_NO_FATAL_FAILURE(PressOk(dialog));

    ReferenceStore onLinux(initial);
    onLinux.settings().amber = true;
    onLinux.SaveAfterOk(false, kMeterLeft, kMeterTop);
    EXPECT_EQ(SettingsOnceSaved(onLinux.Bytes()), onLinux.Bytes());

    EXPECT_TRUE(session->RequestClose(kMeterCaption));
    EXPECT_EQ(meter->AwaitExit(), std::optional<int>(0));
    onLinux.SaveOnClose(kMeterLeft, kMeterTop);
    EXPECT_EQ(meter->Settings(), onLinux.Bytes());
}

// The meter modes group below the design's controls, worked with the mouse and the keyboard: an
// IEC option greys the decay field and says why, a target that is not a number is red until it is
// one, and OK writes the modes as the Linux program's settings store would.
TEST_F(WineSettingsDialog, MeterModesAreChosenAndWrittenByOk) {
    const std::string initial = PartialSettings(session->InputName());
    ASSERT_NO_FATAL_FAILURE(StartMeter(initial));
    const std::string dialog = OpenDialog();
    ASSERT_FALSE(dialog.empty());
    const std::string note = "( fall set by the IEC type )";
    ProbedWindow probe = Dialog();
    // A control the dialog must have, or a failure and one that is neither checked nor usable.
    const auto control = [&](const std::string& className, const std::string& text) {
        const ProbedControl* found = probe.Control(className, text);
        if (!found)
            ADD_FAILURE() << "no " << className << " \"" << text << "\"\n" << probe.Describe();
        return found ? *found : ProbedControl{};
    };
    const ProbedControl group = control("Button", " Meter modes ");
    EXPECT_EQ((std::array{group.left, group.top, group.width, group.height}),
              (std::array{7, 620, 338, 106}));
    EXPECT_TRUE(control("Edit", "2").usable);
    EXPECT_EQ(control("Button", "Design bars").checked, 1);
    EXPECT_FALSE(control("Static", note).visible);

    ASSERT_TRUE(ClickControl(dialog, "Button", "IEC Type IIa (BBC)"));
    probe = Dialog();
    EXPECT_EQ(control("Button", "IEC Type IIa (BBC)").checked, 1);
    EXPECT_EQ(control("Button", "Design bars").checked, 0);
    EXPECT_FALSE(control("Edit", "2").usable) << "the decay field greys";
    EXPECT_TRUE(control("Static", note).visible);

    const ProbedControl target = control("Edit", "-23");
    // Right of the typed text, inside the field's sunken edge.
    const auto background = [&](QRgb colour) -> ShotCheck {
        return [=](const QImage& shot) -> std::string {
            const QRgb seen = shot.pixel(target.left + target.width - 5, target.centreY());
            return seen == colour ? "" : "the target field shows " + std::to_string(seen);
        };
    };
    ASSERT_TRUE(ClickControl(dialog, "Edit", "-23"));
    session->Key("Home");
    session->Key("shift+End");
    session->Type("abc");
    EXPECT_EQ(ShotUntil(dialog, background(qRgb(255, 0, 0))), "");
    session->Key("Home");
    session->Key("shift+End");
    session->Type("-24");
    EXPECT_EQ(ShotUntil(dialog, background(qRgb(255, 255, 255))), "");
    EXPECT_EQ(meter->Settings(), initial) << "nothing is written before OK";
    ASSERT_NO_FATAL_FAILURE(PressOk(dialog));

    ReferenceStore onLinux(initial);
    onLinux.settings().ballistics = kIecTypeIIaBallistics;
    onLinux.settings().target = "-24";
    onLinux.SaveAfterOk(false, kMeterLeft, kMeterTop);
    EXPECT_EQ(SettingsOnceSaved(onLinux.Bytes()), onLinux.Bytes());
    EXPECT_NE(meter->Settings().find("ballistics=2\r\n"), std::string::npos);
    EXPECT_NE(meter->Settings().find("target=-24\r\n"), std::string::npos);
}

TEST_F(WineSettingsDialog, LockTakenWithAPasswordIsSavedScrambledAndOpensOnlyWithIt) {
    const std::string initial =
        MeterLook().SettingsFile(session->InputName(), kMeterCaption, kMeterLeft, kMeterTop);
    ASSERT_NO_FATAL_FAILURE(StartMeter(initial));
    const std::string password = "Wine-42";
    ReferenceStore onLinux(initial);

    std::string dialog = OpenDialog();
    ASSERT_FALSE(dialog.empty());
    EXPECT_EQ(Lock(), (LockState{false, true, true}));
    ASSERT_TRUE(ClickControl(dialog, "Button", "LockSettings"));
    ASSERT_NO_FATAL_FAILURE(
        AnswerPasswordBox("LOCK Settings", "Enter password required to unlock", password));
    EXPECT_EQ(Lock(), (LockState{true, false, false}));
    ASSERT_NO_FATAL_FAILURE(PressOk(dialog));
    onLinux.settings().Locked = true;
    onLinux.settings().password = password;
    onLinux.SaveAfterOk(true, kMeterLeft, kMeterTop);
    EXPECT_EQ(SettingsOnceSaved(onLinux.Bytes()), onLinux.Bytes());
    EXPECT_NE(meter->Settings().find("password=" + ScramblePassword(password) + "\r\nLocked=1"),
              std::string::npos);

    dialog = OpenDialog();
    ASSERT_FALSE(dialog.empty());
    EXPECT_EQ(Lock(), (LockState{true, false, false}));
    ASSERT_TRUE(ClickControl(dialog, "Button", "LockSettings"));
    ASSERT_NO_FATAL_FAILURE(
        AnswerPasswordBox("Unlock Settings", "Enter password to unlock", "wine-42"));
    EXPECT_EQ(Lock(), (LockState{true, false, false})) << "a password in other letter case";
    ASSERT_TRUE(ClickControl(dialog, "Button", "LockSettings"));
    ASSERT_NO_FATAL_FAILURE(
        AnswerPasswordBox("Unlock Settings", "Enter password to unlock", password));
    EXPECT_EQ(Lock(), (LockState{false, true, true}));
    ASSERT_NO_FATAL_FAILURE(PressOk(dialog));
    onLinux.settings().Locked = false;
    onLinux.SaveAfterOk(false, kMeterLeft, kMeterTop);
    EXPECT_EQ(SettingsOnceSaved(onLinux.Bytes()), onLinux.Bytes());
}

// Another input chosen in the list with the arrow keys, as an operator would, and confirmed with
// OK: the meter records from it from then on, and the file names it as the Linux store would.
TEST_F(WineSettingsDialog, AnotherInputChosenInTheListIsMeteredAndStoredByOk) {
    const ExtraSink other(session->sound(), {"wine_other", "Wine Other"});
    ASSERT_TRUE(other.loaded());
    const std::string otherInput = PrivateSoundServer::MonitorDescription(other.sink());
    const MeterLook look;
    const std::string initial = SettingsFor(look);
    ASSERT_NO_FATAL_FAILURE(StartMeter(initial));
    // Indexes 819, 200, 509.5 (M 5095) rounded to 510 and 309.5 (S 3095) to 310; then 2000 and
    // 400 (M 4000), both worked in the scale's examples, 1200 and 1600 (S 16000).
    const SteadySignal first{8190, 2000, false};
    const std::array<int32_t, 4> firstLevels = {146, 35, 109, 66};
    const SteadySignal second{20000, 12000, true};
    const std::array<int32_t, 4> secondLevels = {216, 175, 86, 197};
    SamplePlayer firstPlayer(session->sound(), session->sink().name, first.Interleaved(30));
    SamplePlayer secondPlayer(session->sound(), other.sink().name, second.Interleaved(30));
    ASSERT_EQ(ShotUntil(window, BarsAt(firstLevels, look)), "");

    const std::string dialog = OpenDialog();
    ASSERT_FALSE(dialog.empty());
    ASSERT_TRUE(ClickControl(dialog, "ComboBox", session->InputName()));
    ASSERT_TRUE(ChooseInput(otherInput)) << "no entry \"" << otherInput << "\" reached in\n"
                                         << Dialog().Describe();
    EXPECT_EQ(meter->Settings(), initial) << "nothing is written before OK";
    ASSERT_NO_FATAL_FAILURE(PressOk(dialog));
    EXPECT_EQ(ShotUntil(window, BarsAt(secondLevels, look)), "");

    ReferenceStore onLinux(initial);
    onLinux.settings().DeviceName = otherInput;
    onLinux.SaveAfterOk(false, kMeterLeft, kMeterTop);
    EXPECT_EQ(SettingsOnceSaved(onLinux.Bytes()), onLinux.Bytes());
    EXPECT_NE(meter->Settings().find("\r\nDevice Name=" + otherInput + "\r\n"), std::string::npos);
    EXPECT_TRUE(session->RequestClose(kMeterCaption));
    EXPECT_EQ(meter->AwaitExit(), std::optional<int>(0));
}

// The dialog's own loop keeps the meter running: a calibration typed into Edit1 acts from the next
// buffer, with its headroom beside it, until the dialog is closed without OK.
TEST_F(WineSettingsDialog, ACalibrationTypedActsAtOnceUntilClosedWithoutOk) {
    MeterLook at18;
    at18.cal = "-18";
    const std::string initial = SettingsFor(at18);
    ASSERT_NO_FATAL_FAILURE(StartMeter(initial));
    const SteadySignal signal{8190, 2000, false};
    // A's index 8190 / 5.01187 = 1634.1 at -18 dB, and 8190 / 3.98107 = 2057.2 at -20 dB.
    const int32_t level18 = 198;
    const int32_t level20 = 219;
    SamplePlayer player(session->sound(), session->sink().name, signal.Interleaved(30));
    const ShotCheck barsAt18 = [&](const QImage& shot) {
        return BarMismatch(shot, BarA, level18, level18, at18);
    };
    ASSERT_EQ(ShotUntil(window, barsAt18), "");

    const std::string dialog = OpenDialog();
    ASSERT_FALSE(dialog.empty());
    EXPECT_TRUE(PollUntil([&] { return Dialog().Control("Static", "10 dB") != nullptr; },
                          std::chrono::seconds(5)))
        << "the headroom of -18\n"
        << Dialog().Describe();
    ASSERT_TRUE(ClickControl(dialog, "Edit", "-18"));
    session->Key("Home");
    session->Key("shift+End");
    session->Type("-20");
    EXPECT_TRUE(PollUntil([&] { return Dialog().Control("Static", "12 dB") != nullptr; },
                          std::chrono::seconds(5)))
        << "the headroom of -20\n"
        << Dialog().Describe();
    MeterLook at20 = at18;
    at20.cal = "-20";
    EXPECT_EQ(ShotUntil(window,
                        [&](const QImage& shot) {
                            return BarMismatch(shot, BarA, level20, level20, at20);
                        }),
              "");

    EXPECT_TRUE(session->RequestClose(kDialogCaption));
    EXPECT_TRUE(meter->AwaitWindowGone(kDialogCaption));
    EXPECT_EQ(ShotUntil(window, barsAt18), "") << "the stored calibration again";
    EXPECT_EQ(meter->Settings(), initial);
}

// OK has no default role: Enter in a field, typed as the operator types it, leaves the dialog
// open and writes nothing; what was typed stays until the dialog is closed without OK.
TEST_F(WineSettingsDialog, EnterInAFieldLeavesItOpenAndWritesNothing) {
    const std::string initial = PartialSettings(session->InputName());
    ASSERT_NO_FATAL_FAILURE(StartMeter(initial));
    const std::string dialog = OpenDialog();
    ASSERT_FALSE(dialog.empty());
    for (const char* field : {"-18", kMeterCaption.c_str()}) {
        ASSERT_TRUE(ClickControl(dialog, "Edit", field)) << Dialog().Describe();
        session->Key("End");
        session->Type("5");
        session->Key("Return");
        EXPECT_FALSE(meter->AwaitWindowGone(kDialogCaption, std::chrono::seconds(2)))
            << "Enter in the field \"" << field << "\" closed the dialog";
        EXPECT_NE(Dialog().Control("Edit", field + std::string("5")), nullptr)
            << Dialog().Describe();
        EXPECT_EQ(meter->Settings(), initial) << "nothing is written without OK";
    }
    EXPECT_TRUE(session->RequestClose(kDialogCaption));
    EXPECT_TRUE(meter->AwaitWindowGone(kDialogCaption));
    EXPECT_EQ(meter->Settings(), initial);
}

}  // namespace
}  // namespace kestrin::test
