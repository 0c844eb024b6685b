// The settings dialog as the operator uses it from the meter window: opened with the right
// button, edited while the meter runs behind it, closed with OK or without.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <functional>
#include <tuple>

#include "capture/capture.h"
#include "config/dialog/qt/dialog_controls.h"
#include "config/settings.h"
#include "config/settings_error.h"
#include "tests/display/meter_fixture.h"
#include "tests/support/capture_stop.h"
#include "tests/support/event_wait.h"
#include "tests/support/modal_close.h"
#include "tests/support/password_answer.h"

namespace kestrin::test {
namespace {

const QColor kRed(255, 0, 0);
QColor Base(const QWidget* widget) { return widget->palette().color(QPalette::Base); }

class SettingsDialogFlow : public MeterFixture {
  protected:
    // Opens the dialog with the right button; `inside` runs in the dialog's own loop, and must
    // close it (OK or otherwise).
    void OpenDialog(const std::function<void()>& inside) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            // The dialog closes also when a check inside fails and leaves it open.
            ModalCloser closer(&dialog());
            ASSERT_TRUE(dialog().isVisible());
            inside();
            ran = true;
        });
        form().RightPressed();
        EXPECT_TRUE(ran);
        EXPECT_FALSE(dialog().isVisible());
    }
    void PressOk() { dialog().Button1->click(); }
    void CloseWithoutOk() { dialog().reject(); }
};

TEST_F(SettingsDialogFlow, OkWithNothingChangedWritesTheWholeFile) {
    Start("", {"Built-in Input", "Second Input"});
    Show();
    form().move(200, 200);
    OpenDialog([&] { PressOk(); });

    const int left = form().pos().x();
    const int top = form().pos().y();
    EXPECT_EQ(SettingsText(),
              "[Input]\r\n"
              "Device Name=Built-in Input\r\n"
              "Short Name=Kestrin\r\n"
              "[Form]\r\n"
              "cal=-12\r\n"
              "decay=2\r\n"
              "amber=0\r\n"
              "ontop=0\r\n"
              "PeakHold=0\r\n"
              "dbScale=1\r\n"
              "ABLR=0\r\n"
              "Msix=1\r\n"
              "AColor=65280\r\n"
              "BColor=65280\r\n"
              "MColor=16777215\r\n"
              "SColor=65535\r\n"
              "password=\r\n"
              "Locked=0\r\n"
              "left=" +
                  std::to_string(left) + "\r\n" + "top=" + std::to_string(top) + "\r\n");
}

TEST_F(SettingsDialogFlow, OkAppliesEveryControlToTheMeter) {
    Start("", {"Built-in Input"});
    Show();
    OpenDialog([&] {
        dialog().Edit1->setText("-18");
        dialog().Edit2->setText("5");
        dialog().RadioButton1->setChecked(true);  // scale 1 - 7
        dialog().RadioButton5->setChecked(true);  // labels A B
        dialog().CheckBox1->setChecked(true);     // yellow segment
        dialog().ShortNameBox->setText("Studio 3");
        PressOk();
    });
    EXPECT_EQ(form().windowTitle(), "Studio 3");
    EXPECT_EQ(form().Label2->text(), "A  B");
    EXPECT_EQ(form().Label7->text(), "  4");
    EXPECT_EQ(form().Label12->text(), "");
    EXPECT_TRUE(MeterSettings.amber);
    EXPECT_NE(SettingsText().find("cal=-18\r\ndecay=5\r\namber=1\r\n"), std::string::npos);
    EXPECT_NE(SettingsText().find("Short Name=Studio 3\r\n"), std::string::npos);
}

TEST_F(SettingsDialogFlow, ClosingWithoutOkKeepsAllButDeviceAndDisplayName) {
    Start("[Input]\nShort Name=Desk\n", {"Built-in Input", "Second Input"});
    Show();
    const std::string before = SettingsText();
    OpenDialog([&] {
        dialog().Edit1->setText("-20");
        dialog().CheckBox3->setChecked(true);
        dialog().ShortNameBox->setText("Booth");
        dialog().ComboBox1->setCurrentIndex(1);
        CloseWithoutOk();
    });
    EXPECT_EQ(SettingsText(), before) << "nothing is written without OK";
    EXPECT_EQ(MeterSettings.ShortName, "Booth");
    EXPECT_EQ(MeterSettings.DeviceName, "Second Input");
    EXPECT_EQ(DeviceIndex, 1);
    EXPECT_EQ(wave.DeviceIdOf(wave.lastOpened()), 1) << "the capture moved at once";
    EXPECT_EQ(MeterSettings.cal, "-12");
    EXPECT_FALSE(MeterSettings.PeakHold);
    EXPECT_EQ(dialog().Edit1->text(), "-12") << "the live field is put back";
    EXPECT_EQ(form().windowTitle(), "Desk") << "the caption follows only with OK";

    OpenDialog([&] { PressOk(); });
    EXPECT_EQ(form().windowTitle(), "Booth");
    // The file was written with LF line ends, and keeps them.
    EXPECT_NE(SettingsText().find("Device Name=Second Input\n"), std::string::npos);
}

TEST_F(SettingsDialogFlow, TypedCalibrationAndDecayActWhileTheDialogIsOpen) {
    Start("", {"Built-in Input"});
    Show();
    // 4125 is 18 dB below full scale: mark 4 (146) at calibration -18, 89 at -12.
    wave.SetSignal([](uint64_t) { return SimulatedWaveIn::Frame{4125, 0}; });
    int levelAtStoredCalibration = 0;
    int levelWhileTyped = 0;
    QString headroomWhileTyped;
    bool decayFieldRed = false;
    OpenDialog([&] {
        wave.StartRealTime();
        ProcessEventsFor(std::chrono::milliseconds(200));
        levelAtStoredCalibration = form().Bars[TForm1::A].Level;
        dialog().Edit1->setText("-18");
        dialog().Edit2->setText("fast");
        ProcessEventsFor(std::chrono::milliseconds(200));
        levelWhileTyped = form().Bars[TForm1::A].Level;
        headroomWhileTyped = dialog().Label14->text();
        decayFieldRed = Base(dialog().Edit2) == kRed;
        wave.StopRealTime();
        CloseWithoutOk();
    });
    EXPECT_EQ(levelAtStoredCalibration, 89);
    EXPECT_EQ(levelWhileTyped, 146);
    EXPECT_EQ(headroomWhileTyped, "10 dB");
    EXPECT_TRUE(decayFieldRed);
    EXPECT_EQ(dialog().Edit1->text(), "-12");
    EXPECT_EQ(dialog().Edit2->text(), "2");
    EXPECT_EQ(MeterSettings.cal, "-12") << "a preview is not a setting";
}

// The meter modes are taken like the design's check boxes: by OK only. Closed otherwise, the file
// and the settings stay, and the next opening shows the stored modes again.
TEST_F(SettingsDialogFlow, MeterModesAreStoredByOkOnly) {
    Start("", {"Built-in Input"});
    Show();
    const auto chooseModes = [&] {
        dialog().RadioButton9->click();  // IEC Type IIa
        dialog().CheckBox4->click();
        dialog().Edit3->setText("-2");
        dialog().CheckBox5->click();
        dialog().Edit4->setText("-24");
    };
    OpenDialog([&] {
        chooseModes();
        CloseWithoutOk();
    });
    const auto modes = [](const TMeterSettings& s) {
        return std::tie(s.ballistics, s.TPover, s.TPlevel, s.loudness, s.target);
    };
    EXPECT_EQ(SettingsText(), "") << "nothing is written without OK";
    EXPECT_EQ(modes(MeterSettings), modes(TMeterSettings{}));
    OpenDialog([&] {
        EXPECT_TRUE(dialog().RadioButton7->isChecked());
        EXPECT_TRUE(dialog().Edit2->isEnabled());
        EXPECT_FALSE(dialog().CheckBox4->isChecked());
        EXPECT_EQ(dialog().Edit3->text(), "-1");
        EXPECT_FALSE(dialog().CheckBox5->isChecked());
        EXPECT_EQ(dialog().Edit4->text(), "-23");
        chooseModes();
        PressOk();
    });
    TMeterSettings chosen;
    chosen.ballistics = kIecTypeIIaBallistics;
    chosen.TPover = true;
    chosen.TPlevel = "-2";
    chosen.loudness = true;
    chosen.target = "-24";
    EXPECT_EQ(modes(MeterSettings), modes(chosen));
    EXPECT_NE(SettingsText().find("ballistics=2\r\nTPover=1\r\nTPlevel=-2\r\nloudness=1\r\n"
                                  "target=-24\r\n"),
              std::string::npos)
        << SettingsText();
}

TEST_F(SettingsDialogFlow, ALockConfirmedWithOkIsReadBackAtTheNextStart) {
    Start("", {"Built-in Input"});
    Show();
    OpenDialog([&] {
        QTimer::singleShot(0, [] {
            if (QDialog* box = ShownPasswordBox()) AnswerPasswordBox(*box, "s3cret");
        });
        dialog().LockSetMouseUp();
        EXPECT_FALSE(dialog().Panel2->isEnabled());
        PressOk();
    });
    EXPECT_NE(SettingsText().find("Locked=1\r\n"), std::string::npos);
    EXPECT_EQ(SettingsText().find("s3cret"), std::string::npos) << "stored scrambled";

    // A fresh start on the same file.
    const std::string saved = SettingsText();
    StopCapture();
    ASSERT_TRUE(ProcessEventsUntil(CaptureStopped, std::chrono::seconds(5)));
    form2.reset();
    form1.reset();
    MeterSettings = {};
    Start(saved, {"Built-in Input"});
    EXPECT_TRUE(MeterSettings.Locked);
    EXPECT_EQ(MeterSettings.password, "s3cret");
    OpenDialog([&] {
        EXPECT_TRUE(dialog().LockSet->isChecked());
        EXPECT_FALSE(dialog().Panel2->isEnabled());
        EXPECT_TRUE(dialog().ComboBox1->isEnabled());
        CloseWithoutOk();
    });
}

// A settings file that cannot be written: OK's save fails with the error the application shows
// ("Unable to write to " and the file's path), and what OK does after the save, making the window
// stay on top, is not done.
TEST_F(SettingsDialogFlow, AFailedSaveAfterOkIsReportedAndEndsOk) {
    Start("", {"Built-in Input"});
    Show();
    // A folder where the file was: no one, not even the system's administrator, writes it.
    std::filesystem::remove(SettingsPath());
    std::filesystem::create_directory(SettingsPath());
    std::string reported;
    try {
        OpenDialog([&] {
            dialog().CheckBox2->setChecked(true);
            PressOk();
        });
    } catch (const SettingsWriteError& error) {
        reported = error.what();
    }
    const std::string expected =
        "Unable to write to " + std::filesystem::absolute(SettingsPath()).string();
    EXPECT_EQ(reported, expected);
    EXPECT_TRUE(MeterSettings.OnTop) << "OK took the dialog's settings";
    EXPECT_FALSE(form().windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

}  // namespace
}  // namespace kestrin::test
