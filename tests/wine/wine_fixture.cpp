#include "tests/wine/wine_fixture.h"

#include <filesystem>

namespace kestrin::test {

ShotCheck BarsAt(const std::array<int32_t, 4>& levels, const MeterLook& look) {
    return [levels, look](const QImage& shot) {
        for (size_t bar = 0; bar < (look.showMS ? 4u : 2u); ++bar) {
            const std::string wrong =
                BarMismatch(shot, static_cast<int>(bar), levels[bar], levels[bar], look);
            if (!wrong.empty()) return wrong;
        }
        return std::string();
    };
}

void WineTest::SetUp() {
    try {
        session = &TheWineSession();
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

void WineTest::StartMeter(const std::string& settings, const std::string& caption,
                          const PrivateSoundServer* sound, const std::filesystem::path& folder) {
    meter = std::make_unique<WineMeter>(*session, settings, sound, folder);
    window = meter->AwaitWindow(caption);
    ASSERT_FALSE(window.empty()) << "no window \"" << caption << "\" showed; the program "
                                 << (meter->Running() ? "runs" : "ended") << "\n"
                                 << meter->log();
}

std::string WineTest::SettingsFor(const MeterLook& look) const {
    return look.SettingsFile(session->InputName(), kMeterCaption, kMeterLeft, kMeterTop);
}

std::string WineTest::OpenDialog() {
    session->Click(window, 60, 150, 3);
    const std::string dialog = meter->AwaitWindow(kDialogCaption);
    EXPECT_FALSE(dialog.empty()) << "no dialog after a right click on the meter";
    return dialog;
}

bool WineTest::ClickControl(const std::string& dialog, const std::string& className,
                            const std::string& text) {
    const ProbedWindow probe = Dialog();
    const ProbedControl* control = probe.Control(className, text);
    EXPECT_NE(control, nullptr) << "no " << className << " \"" << text << "\" in\n"
                                << probe.Describe();
    if (!control) return false;
    session->Click(dialog, control->centreX(), control->centreY());
    return true;
}

void WineTest::PressOk(const std::string& dialog) {
    ASSERT_TRUE(ClickControl(dialog, "Button", "OK"));
    EXPECT_TRUE(meter->AwaitWindowGone(kDialogCaption)) << "the dialog stays open after OK";
}

std::string WineTest::SettingsOnceSaved(const std::string& expected) const {
    std::string settings;
    PollUntil(
        [&] {
            settings = meter->Settings();
            return settings == expected;
        },
        std::chrono::seconds(5), std::chrono::milliseconds(100));
    return settings;
}

std::string WineTest::ShotUntil(const std::string& of, const ShotCheck& check, QImage* shot,
                                std::chrono::milliseconds timeout) {
    std::string wrong = "no screenshot";
    QImage last;
    PollUntil(
        [&] {
            last = session->Screenshot(of);
            wrong = last.isNull() ? "no screenshot" : check(last);
            return wrong.empty();
        },
        timeout, std::chrono::milliseconds(150));
    if (shot) *shot = last;
    if (!wrong.empty() && !last.isNull()) wrong += " (screenshot: " + Keep(last, "reading") + ")";
    return wrong;
}

std::string WineTest::Keep(const QImage& shot, const std::string& what) const {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name() + "." + what;
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    const std::filesystem::path folder = KESTRIN_WINE_FAILURE_DIR;
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / (name + ".png");
    shot.save(QString::fromStdString(file.string()));
    return file.string();
}

}  // namespace kestrin::test
