#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "capture/capture.h"
#include "capture/wim_data_event.h"
#include "config/dialog/qt/dialog_controls.h"
#include "tests/dialog/dialog_fixture.h"
#include "tests/support/capture_stop.h"
#include "tests/support/simulated_wave_in.h"

namespace kestrin::test {
namespace {

// Turns every setting the dialog shows away from the defaults, without touching the lock.
void ChangeEveryControl(TForm2& form) {
    form.Edit1->setText("-18");
    form.Edit2->setText("7");
    form.ShortNameBox->setText("Desk B");
    form.CheckBox1->setChecked(true);
    form.CheckBox2->setChecked(true);
    form.CheckBox3->setChecked(true);
    form.RadioButton1->setChecked(true);
    form.RadioButton4->setChecked(true);
    form.RadioButton5->setChecked(true);
    form.Abar->setColour(0x000080);
    form.Bbar->setColour(0x008000);
    form.Mbar->setColour(0x800000);
    form.Sbar->setColour(0x808080);
}

using DialogClosingTest = DialogTest;

TEST_F(DialogClosingTest, WithoutOkOnlyTheDeviceAndTheDisplayNameAreTaken) {
    MeterSettings = TMeterSettings{};
    TMeterSettings expected = MeterSettings;
    Open();
    ChangeEveryControl(*form);
    CloseWithCloseBox();

    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
    expected.ShortName = "Desk B";
    expected.DeviceName = "Line In";
    EXPECT_EQ(Fields(MeterSettings), Fields(expected));
    EXPECT_EQ(DeviceIndex, 0);
}

// There is no Cancel button: Escape, in a field or on the dialog, neither closes it nor throws
// the edits away, and nothing is taken; OK afterwards takes everything typed.
TEST_F(DialogClosingTest, EscapeLeavesTheDialogOpenWithItsEdits) {
    MeterSettings = TMeterSettings{};
    const TMeterSettings before = MeterSettings;
    Open();
    form->activateWindow();
    ChangeEveryControl(*form);
    for (QWidget* target :
         {static_cast<QWidget*>(form->Edit1), static_cast<QWidget*>(form->ShortNameBox),
          static_cast<QWidget*>(form.get())}) {
        target->setFocus();
        PressEscape();
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_TRUE(form->isVisible());
    }
    EXPECT_EQ(Fields(MeterSettings), Fields(before));
    EXPECT_EQ(form->Edit1->text(), "-18");
    EXPECT_EQ(form->ShortNameBox->text(), "Desk B");

    CloseWithOk();
    EXPECT_EQ(form->result(), QDialog::Accepted);
    form->ApplyToSettings();
    EXPECT_EQ(MeterSettings.cal, "-18");
    EXPECT_EQ(MeterSettings.ShortName, "Desk B");
    EXPECT_TRUE(MeterSettings.OnTop);
}

// OK has no default role: Enter in a field or on a box leaves the dialog open and takes nothing;
// on OK when it has the focus, Enter presses it, as the space bar does.
struct EnterCase {
    const char* where;
    QWidget* (*target)(TForm2&);
    bool closes;
};

void PrintTo(const EnterCase& enter, std::ostream* out) { *out << enter.where; }

class DialogEnterTest : public DialogTest, public ::testing::WithParamInterface<EnterCase> {};

TEST_P(DialogEnterTest, EnterPressesOnlyAFocusedPushButton) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        MeterSettings = TMeterSettings{};
        Open();
        form->activateWindow();
        form->ShortNameBox->setText("Desk B");
        QWidget* target = GetParam().target(*form);
        target->setFocus();
        QTest::keyClick(target, key);
        EXPECT_EQ(form->isVisible(), !GetParam().closes) << QTest::toString(key);
        if (GetParam().closes) {
            EXPECT_EQ(form->result(), QDialog::Accepted);
            EXPECT_EQ(MeterSettings.ShortName, "Desk B") << "the close steps ran";
        } else {
            EXPECT_EQ(Fields(MeterSettings), Fields(TMeterSettings{})) << "nothing taken";
            CloseWithCloseBox();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Places, DialogEnterTest,
    ::testing::Values(
        EnterCase{"Calibration", [](TForm2& f) -> QWidget* { return f.Edit1; }, false},
        EnterCase{"DisplayName", [](TForm2& f) -> QWidget* { return f.ShortNameBox; }, false},
        EnterCase{"DeviceList", [](TForm2& f) -> QWidget* { return f.ComboBox1; }, false},
        EnterCase{"CheckBox", [](TForm2& f) -> QWidget* { return f.CheckBox2; }, false},
        EnterCase{"Ok", [](TForm2& f) -> QWidget* { return f.Button1; }, true}),
    [](const ::testing::TestParamInfo<EnterCase>& info) { return info.param.where; });

TEST_F(DialogClosingTest, OkClosesAcceptedAndApplyTakesEveryControl) {
    Open();
    ChangeEveryControl(*form);
    CloseWithOk();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(MeterSettings.ShortName, "Desk B");

    form->ApplyToSettings();
    const TMeterSettings& s = MeterSettings;
    EXPECT_EQ(s.cal, "-18");
    EXPECT_EQ(s.decay, "7");
    EXPECT_TRUE(s.amber);
    EXPECT_TRUE(s.OnTop);
    EXPECT_TRUE(s.PeakHold);
    EXPECT_FALSE(s.dbScale);
    EXPECT_FALSE(s.Msix);
    EXPECT_TRUE(s.ABLR);
    EXPECT_EQ(s.Acolor, 0x000080);
    EXPECT_EQ(s.Bcolor, 0x008000);
    EXPECT_EQ(s.Mcolor, 0x800000);
    EXPECT_EQ(s.Scolor, 0x808080);
    EXPECT_FALSE(s.Locked);
}

TEST_F(DialogClosingTest, CalibrationTextsAreTakenAsTyped) {
    Open();
    form->Edit1->setText(" -9.5 ");
    form->Edit2->setText("fast");
    CloseWithOk();
    form->ApplyToSettings();
    EXPECT_EQ(MeterSettings.cal, " -9.5 ");
    EXPECT_EQ(MeterSettings.decay, "fast");
}

TEST_F(DialogClosingTest, UntouchedTextsKeepTheirBytes) {
    MeterSettings.ShortName = "Caf\xE9";  // not UTF-8: a hand-edited file
    MeterSettings.cal =
        "\xB1"
        "3";
    Open();
    CloseWithOk();
    form->ApplyToSettings();
    EXPECT_EQ(MeterSettings.ShortName, "Caf\xE9");
    EXPECT_EQ(MeterSettings.cal,
              "\xB1"
              "3");

    Open();
    form->ShortNameBox->setText(QString::fromUtf8("Caf\xC3\xA9"));
    CloseWithCloseBox();
    EXPECT_EQ(MeterSettings.ShortName, "Caf\xC3\xA9");
}

TEST_F(DialogClosingTest, TheDisplayNameTakesAtMostTwelveTypedCharacters) {
    Open();
    form->ShortNameBox->clear();
    QTest::keyClicks(form->ShortNameBox, "Control Room Left");
    CloseWithCloseBox();
    EXPECT_EQ(MeterSettings.ShortName, "Control Room");
}

TEST_F(DialogClosingTest, ATypedDeviceNameKeepsTheDeviceInUse) {
    MeterSettings.DeviceName = "Line In";
    Open();
    form->ComboBox1->setEditText("Microphone");
    CloseWithCloseBox();
    EXPECT_EQ(DeviceIndex, 0);
    EXPECT_EQ(MeterSettings.DeviceName, "Line In");
}

TEST_F(DialogClosingTest, AShortenedListKeepsTheDeviceInUse) {
    MeterSettings.DeviceName = "USB Interface";
    DeviceIndex = 2;
    Open({"Line In", "Microphone"});
    CloseWithOk();
    EXPECT_EQ(DeviceIndex, 2);
    EXPECT_EQ(MeterSettings.DeviceName, "USB Interface");
}

// Stands in for the meter window: lets the device go of every returned buffer and frees it.
class BufferSink : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() != WimDataEvent::kType) return QObject::event(event);
        auto* data = static_cast<WimDataEvent*>(event);
        ReleaseBuffer(data->header, data->device);
        FreeBuffer(data->header);
        return true;
    }
};

// The capture recording from the first of three simulated devices.
class DialogDeviceChangeTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        SetWaveIn(&sim);
        SetCaptureReceiver(&sink);
        OpenCapture();
        first = CaptureHandle;
        sim.ClearCalls();
    }
    void TearDown() override {
        StopCapture();
        for (int i = 0; i < 100 && !CaptureStopped(); ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
        EXPECT_TRUE(CaptureStopped());
        SetCaptureReceiver(nullptr);
        SetWaveIn(nullptr);
        DialogTest::TearDown();
    }

    SimulatedWaveIn sim{{"Line In", "Microphone", "Monitor of Speakers"}};
    BufferSink sink;
    HWAVEIN first = nullptr;
};

TEST_F(DialogDeviceChangeTest, ChoosingAnotherDeviceRestartsTheCaptureOnClose) {
    Open(ListInputDevices());
    sim.ClearCalls();
    form->ComboBox1->setCurrentIndex(2);
    CloseWithCloseBox();

    EXPECT_EQ(DeviceIndex, 2);
    EXPECT_EQ(MeterSettings.DeviceName, "Monitor of Speakers");
    ASSERT_NE(CaptureHandle, first);
    EXPECT_EQ(sim.DeviceIdOf(CaptureHandle), 2);
    EXPECT_TRUE(sim.IsStarted(CaptureHandle));
    ASSERT_FALSE(sim.calls().empty());
    EXPECT_EQ(sim.calls().front().call, SimulatedWaveIn::Call::Reset);
    EXPECT_EQ(sim.calls().front().device, first);
    EXPECT_TRUE(notes.messages.empty());
}

TEST_F(DialogDeviceChangeTest, TheDeviceInUseReopensNothing) {
    Open(ListInputDevices());
    sim.ClearCalls();
    form->ComboBox1->setCurrentIndex(0);
    CloseWithOk();

    EXPECT_EQ(CaptureHandle, first);
    EXPECT_TRUE(sim.calls().empty());
    EXPECT_EQ(MeterSettings.DeviceName, "Line In");
}

TEST_F(DialogDeviceChangeTest, AFailingNewDeviceEndsTheProgramAfterItsMessages) {
    Open(ListInputDevices());
    sim.FailNext(SimulatedWaveIn::Call::Open, MMSYSERR_ALLOCATED);
    form->ComboBox1->setCurrentIndex(1);
    CloseWithCloseBox();

    EXPECT_EQ(notes.endCount, 1);
    ASSERT_FALSE(notes.messages.empty());
    EXPECT_EQ(notes.messages.front().text,
              "Soundcard not available, or input channel may be in use by another program.");
}

}  // namespace
}  // namespace kestrin::test
