#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QTest>

#include "tests/dialog/dialog_fixture.h"

namespace kestrin::test {
namespace {

// The meter modes group: the stored modes shown at opening, its number fields refused while they
// are not numbers, the decay field greyed under an IEC ballistics, the lock over the group.
class DialogModesTest : public DialogTest {
  protected:
    QRadioButton* Option(int ballistics) const {
        return std::array{form->RadioButton7, form->RadioButton8, form->RadioButton9,
                          form->RadioButton10}[static_cast<size_t>(ballistics)];
    }
    bool Red(const QLineEdit* field) const {
        return field->palette().color(QPalette::Base) == QColor(255, 0, 0);
    }
    // The decay field takes input and keeps its text; the reason it would not shows otherwise.
    void ExpectDecayUsable(bool usable) const {
        EXPECT_EQ(form->Edit2->isEnabled(), usable);
        EXPECT_EQ(form->Label18->isVisible(), !usable);
        EXPECT_EQ(form->Edit2->text(), "2");
    }
};

TEST_F(DialogModesTest, OpeningShowsTheStoredModes) {
    struct Stored {
        int32_t ballistics;
        bool TPover;
        const char* TPlevel;
        bool loudness;
        const char* target;
        int shown;  // the ballistics whose option is on
        bool levelRed;
        bool targetRed;
    };
    // The texts are read by the calibration's rules: blanks around, a sign, one point, an
    // exponent; nothing else.
    const Stored cases[] = {
        {0, false, "-1", false, "-23", 0, false, false},
        {1, true, "-2", false, "abc", 1, false, true},
        {2, false, "abc", true, "-24", 2, true, false},
        {3, true, " -0.5 ", true, "1e1x", 3, false, true},
        {7, false, "", false, "-2.5e1", 0, true, false},  // no such ballistics: the design's
    };
    for (const Stored& c : cases) {
        SCOPED_TRACE(c.ballistics);
        MeterSettings.ballistics = c.ballistics;
        MeterSettings.TPover = c.TPover;
        MeterSettings.TPlevel = c.TPlevel;
        MeterSettings.loudness = c.loudness;
        MeterSettings.target = c.target;
        Open();
        for (int option = 0; option < 4; ++option) {
            EXPECT_EQ(Option(option)->isChecked(), option == c.shown) << option;
        }
        EXPECT_EQ(form->CheckBox4->isChecked(), c.TPover);
        EXPECT_EQ(form->Edit3->text(), c.TPlevel);
        EXPECT_EQ(form->CheckBox5->isChecked(), c.loudness);
        EXPECT_EQ(form->Edit4->text(), c.target);
        EXPECT_EQ(Red(form->Edit3), c.levelRed);
        EXPECT_EQ(Red(form->Edit4), c.targetRed);
        ExpectDecayUsable(c.shown == 0);
        CloseWithCloseBox();
    }
}

TEST_F(DialogModesTest, AModeFieldIsRedWhileItsTextIsNotANumberInTheDesktopsFormat) {
    struct Typed {
        QLocale::Language desktop;
        QLineEdit* field;
        const char* text;  // replaces the field's text, typed
        bool red;
    };
    const Typed cases[] = {
        {QLocale::C, form->Edit3, "abc", true},
        {QLocale::C, form->Edit3, "-2", false},
        {QLocale::C, form->Edit4, "-24,5", true},
        {QLocale::C, form->Edit4, "-24.5", false},
        {QLocale::C, form->Edit4, "", true},
        {QLocale::German, form->Edit4, "-24,5", false},
        {QLocale::German, form->Edit3, "-0.5", true},
    };
    const QLocale before;
    Open();
    for (const Typed& c : cases) {
        SCOPED_TRACE(c.text);
        QLocale::setDefault(QLocale(c.desktop));
        c.field->selectAll();
        QTest::keyClick(c.field, Qt::Key_Delete);
        QTest::keyClicks(c.field, c.text);
        EXPECT_EQ(Red(c.field), c.red);
    }
    QLocale::setDefault(before);
}

TEST_F(DialogModesTest, AnIecOptionGreysTheDecayFieldAndSaysWhy) {
    Open();
    EXPECT_EQ(form->Label18->text(), "( fall set by the IEC type )");
    for (int chosen : {2, 1, 0, 3, 0}) {
        SCOPED_TRACE(chosen);
        QTest::mouseClick(Option(chosen), Qt::LeftButton);
        ASSERT_TRUE(Option(chosen)->isChecked());
        ExpectDecayUsable(chosen == 0);
    }
    EXPECT_TRUE(form->RadioButton3->isChecked()) << "the design's options stand apart";
    EXPECT_TRUE(form->RadioButton2->isChecked());
}

// Opened locked under an IEC ballistics, then unlocked: the decay field stays greyed until the
// design's bars are chosen.
TEST_F(DialogModesTest, TheLockDisablesTheGroup) {
    MeterSettings.Locked = true;
    MeterSettings.password = "Secret";
    MeterSettings.ballistics = 3;
    Open();
    EXPECT_FALSE(form->GroupBox4->isEnabled());
    EXPECT_FALSE(form->Edit3->isEnabled());
    ExpectDecayUsable(false);

    Answer("Secret");
    ClickLockSet();
    ExpectUnlocked();
    EXPECT_TRUE(form->RadioButton7->isEnabled());
    EXPECT_TRUE(form->Edit4->isEnabled());
    ExpectDecayUsable(false);
    QTest::mouseClick(form->RadioButton7, Qt::LeftButton);
    ExpectDecayUsable(true);

    Answer("Again");
    ClickLockSet();
    EXPECT_FALSE(form->CheckBox5->isEnabled());
    EXPECT_FALSE(form->Edit2->isEnabled());
}

}  // namespace
}  // namespace kestrin::test
