#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "capture/capture.h"
#include "config/dialog/qt/colour.h"
#include "config/dialog/qt/dialog_controls.h"
#include "tests/dialog/dialog_fixture.h"

namespace kestrin::test {
namespace {

using DialogOpeningTest = DialogTest;

TEST_F(DialogOpeningTest, FillsEveryControlFromTheSettings) {
    TMeterSettings& s = MeterSettings;
    s.cal = "-20";
    s.decay = "5";
    s.ShortName = "Studio 2";
    s.amber = true;
    s.OnTop = true;
    s.PeakHold = true;
    s.dbScale = false;
    s.Msix = false;
    s.ABLR = true;
    s.Acolor = 0x0000FF;
    s.Bcolor = 0xFF0000;
    s.Mcolor = 0x123456;
    s.Scolor = 0x00FF00;
    DeviceIndex = 2;

    Open({"Line In", "Microphone", "Monitor of Speakers"});

    ASSERT_EQ(form->ComboBox1->count(), 3);
    EXPECT_EQ(form->ComboBox1->itemText(2), "Monitor of Speakers");
    EXPECT_EQ(form->ComboBox1->currentIndex(), 2);
    EXPECT_EQ(form->ComboBox1->currentText(), "Monitor of Speakers");
    EXPECT_EQ(form->Label1->text(), "Kestrin Version 1.76");
    EXPECT_EQ(form->Edit1->text(), "-20");
    EXPECT_EQ(form->Edit2->text(), "5");
    EXPECT_EQ(form->ShortNameBox->text(), "Studio 2");
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_TRUE(form->CheckBox2->isChecked());
    EXPECT_TRUE(form->CheckBox3->isChecked());
    EXPECT_TRUE(form->RadioButton1->isChecked());
    EXPECT_FALSE(form->RadioButton2->isChecked());
    EXPECT_FALSE(form->RadioButton3->isChecked());
    EXPECT_TRUE(form->RadioButton4->isChecked());
    EXPECT_TRUE(form->RadioButton5->isChecked());
    EXPECT_FALSE(form->RadioButton6->isChecked());
    EXPECT_EQ(form->Abar->colour(), 0x0000FF);
    EXPECT_EQ(form->Bbar->colour(), 0xFF0000);
    EXPECT_EQ(form->Mbar->colour(), 0x123456);
    EXPECT_EQ(form->Sbar->colour(), 0x00FF00);
    // Red in the low byte: the swatch shows pure red, and 0x123456 shows 56 34 12.
    EXPECT_EQ(form->Abar->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(form->Mbar->palette().color(QPalette::Window), QColor(0x56, 0x34, 0x12));
    EXPECT_FALSE(form->LockSet->isChecked());
    EXPECT_TRUE(form->Panel2->isEnabled());
}

TEST_F(DialogOpeningTest, ReopeningRefillsTheListAndTheOppositeOptions) {
    MeterSettings.dbScale = false;
    MeterSettings.amber = true;
    Open({"Line In", "Microphone", "Monitor of Speakers"});
    CloseWithCloseBox();

    MeterSettings = TMeterSettings{};
    Open({"Line In", "Microphone"});

    EXPECT_EQ(form->ComboBox1->count(), 2);
    EXPECT_EQ(form->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(form->Edit1->text(), "-12");
    EXPECT_EQ(form->Edit2->text(), "2");
    EXPECT_EQ(form->ShortNameBox->text(), "Kestrin");
    EXPECT_FALSE(form->CheckBox1->isChecked());
    EXPECT_FALSE(form->CheckBox2->isChecked());
    EXPECT_FALSE(form->CheckBox3->isChecked());
    EXPECT_TRUE(form->RadioButton2->isChecked());
    EXPECT_TRUE(form->RadioButton3->isChecked());
    EXPECT_TRUE(form->RadioButton6->isChecked());
    EXPECT_FALSE(form->RadioButton5->isChecked());
}

TEST_F(DialogOpeningTest, WithASingleDeviceThatDeviceIsSelected) {
    DeviceIndex = 3;
    Open({"Only Input"});
    EXPECT_EQ(DeviceIndex, 0);
    EXPECT_EQ(form->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(form->ComboBox1->currentText(), "Only Input");
}

TEST_F(DialogOpeningTest, WithoutDevicesNothingIsSelected) {
    DeviceIndex = 1;
    Open({});
    EXPECT_EQ(DeviceIndex, 0);
    EXPECT_EQ(form->ComboBox1->count(), 0);
    EXPECT_EQ(form->ComboBox1->currentIndex(), -1);
}

TEST_F(DialogOpeningTest, ADeviceIdPastAShortenedListSelectsNothing) {
    DeviceIndex = 3;
    Open({"Line In", "Microphone"});
    EXPECT_EQ(DeviceIndex, 3);
    EXPECT_EQ(form->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(form->ComboBox1->currentText(), "");
}

TEST_F(DialogOpeningTest, RestoreFieldsPutsTheStoredTextsBack) {
    Open();
    form->Edit1->setText("-30");
    form->Edit2->setText("x");
    CloseWithCloseBox();
    form->RestoreFields();
    EXPECT_EQ(form->Edit1->text(), "-12");
    EXPECT_EQ(form->Edit2->text(), "2");
}

TEST_F(DialogOpeningTest, ALongHandEditedDisplayNameIsShownWhole) {
    MeterSettings.ShortName = "Studio Two Left";  // 15 characters
    Open();
    EXPECT_EQ(form->ShortNameBox->text(), "Studio Two Left");
    CloseWithCloseBox();
    EXPECT_EQ(MeterSettings.ShortName, "Studio Two Left");
}

}  // namespace
}  // namespace kestrin::test
