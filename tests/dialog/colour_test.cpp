#include "config/dialog/qt/colour.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QTest>
#include <QTimer>

#include "config/dialog/qt/dialog_controls.h"
#include "tests/dialog/dialog_fixture.h"

namespace kestrin::test {
namespace {

TEST(DialogColourTest, ConvertsRedInTheLowByte) {
    EXPECT_EQ(ToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(0x00FFFF), QColor(255, 255, 0));
    EXPECT_EQ(ToQColor(0x123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(ToQColor(0x7F0000FF), QColor(255, 0, 0));  // the top byte is no colour
    EXPECT_EQ(FromQColor(QColor(0x56, 0x34, 0x12)), 0x123456);
    EXPECT_EQ(FromQColor(QColor::fromHsv(120, 255, 255)), 0x00FF00);
}

class DialogSwatchTest : public DialogTest {
  protected:
    // Whether a click opens the chooser; one that opens is cancelled.
    bool ClickOpensChooser(QWidget* swatch, Qt::MouseButton button) {
        bool opened = false;
        QTimer::singleShot(0, form.get(), [&] {
            if (!form->ColorDialog1->isVisible()) return;
            opened = true;
            form->ColorDialog1->reject();
        });
        QTest::mouseClick(swatch, button);
        QCoreApplication::processEvents();
        return opened;
    }
};

TEST_F(DialogSwatchTest, TheChooserOpensOnTheColourLastConfirmedInIt) {
    Open();
    AnswerColourDialog(QColor(255, 0, 0));
    QTest::mouseClick(form->Abar, Qt::LeftButton);
    ASSERT_TRUE(m_colourShown);
    EXPECT_EQ(*m_colourShown, QColor(Qt::black));  // black the first time, not bar A's green
    EXPECT_EQ(form->Abar->colour(), 0x0000FF);

    AnswerColourDialog(std::nullopt);  // shows red, is moved to magenta and cancelled
    QTest::mouseClick(form->Bbar, Qt::LeftButton);
    ASSERT_TRUE(m_colourShown);
    EXPECT_EQ(*m_colourShown, QColor(255, 0, 0));
    EXPECT_EQ(form->Bbar->colour(), 0x00FF00);

    AnswerColourDialog(QColor(0, 0, 255));  // a cancelled choice is not the last one
    QTest::mouseClick(form->Sbar, Qt::LeftButton);
    ASSERT_TRUE(m_colourShown);
    EXPECT_EQ(*m_colourShown, QColor(255, 0, 0));
    EXPECT_EQ(form->Sbar->colour(), 0xFF0000);

    CloseWithCloseBox();
    Open();  // kept for the run, across openings
    AnswerColourDialog(std::nullopt);
    QTest::mouseClick(form->Mbar, Qt::LeftButton);
    ASSERT_TRUE(m_colourShown);
    EXPECT_EQ(*m_colourShown, QColor(0, 0, 255));
}

TEST_F(DialogSwatchTest, AChosenColourReachesTheSettingsOnlyWithOk) {
    Open();
    AnswerColourDialog(QColor(0, 0, 128));
    QTest::mouseClick(form->Mbar, Qt::LeftButton);
    CloseWithCloseBox();
    EXPECT_EQ(MeterSettings.Mcolor, 0xFFFFFF);

    Open();
    EXPECT_EQ(form->Mbar->colour(), 0xFFFFFF);  // the opening shows the stored colour again
    AnswerColourDialog(QColor(0, 0, 128));
    QTest::mouseClick(form->Mbar, Qt::LeftButton);
    CloseWithOk();
    form->ApplyToSettings();
    EXPECT_EQ(MeterSettings.Mcolor, 0x800000);
}

TEST_F(DialogSwatchTest, WhileLockedOnlyTheSSwatchChooses) {
    MeterSettings.Locked = true;
    MeterSettings.password = "Secret";
    Open();
    EXPECT_FALSE(ClickOpensChooser(form->Abar, Qt::LeftButton));
    EXPECT_TRUE(ClickOpensChooser(form->Sbar, Qt::LeftButton));
}

TEST_F(DialogSwatchTest, ARightClickChoosesNothing) {
    Open();
    EXPECT_FALSE(ClickOpensChooser(form->Abar, Qt::RightButton));
    EXPECT_TRUE(ClickOpensChooser(form->Abar, Qt::LeftButton));
}

}  // namespace
}  // namespace kestrin::test
