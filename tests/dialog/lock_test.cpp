#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "config/dialog/qt/dialog_controls.h"
#include "tests/dialog/dialog_fixture.h"
#include "tests/support/modal_close.h"

namespace kestrin::test {
namespace {

const QString kLockCaption = "LOCK Settings";
const QString kLockPrompt = "Enter password required to unlock";
const QString kUnlockCaption = "Unlock Settings";
const QString kUnlockPrompt = "Enter password to unlock";

// The dialog open and unlocked, then locked with "Secret" through the check box.
class DialogLockedTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        Open();
        Answer("Secret");
        ClickLockSet();
        questions.clear();
    }
};

using DialogLockTest = DialogTest;

TEST_F(DialogLockTest, LockingWithAPasswordDisablesTheSettingsAndTheDeviceList) {
    Open();
    Answer("Secret");
    ClickLockSet();

    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].caption, kLockCaption);
    EXPECT_EQ(questions[0].prompt, kLockPrompt);
    EXPECT_TRUE(questions[0].lockSetChecked);  // the click toggled the box before the handler
    ExpectLocked();
    EXPECT_EQ(MeterSettings.password, "Secret");
    EXPECT_TRUE(form->ShortNameBox->isEnabled());
    EXPECT_TRUE(form->Sbar->isEnabled());
    EXPECT_TRUE(form->Button1->isEnabled());
    EXPECT_TRUE(form->LockSet->isEnabled());
    EXPECT_FALSE(form->Edit1->isEnabled());
    EXPECT_FALSE(form->Abar->isEnabled());
    EXPECT_TRUE(notes.messages.empty());
}

TEST_F(DialogLockTest, AnEmptyEntryOrCancelLeavesTheSettingsUnlocked) {
    Open();
    Answer("");  // an empty entry and a cancelled box answer alike
    ClickLockSet();
    ExpectUnlocked();
    ASSERT_EQ(questions.size(), 1u);
}

TEST_F(DialogLockTest, APasswordTheFileCannotKeepIsRefused) {
    Open();
    // U+07C0 starts with the byte 0xDF, whose complement is a blank the file would drop.
    Answer(QString(QChar(0x07C0)) + "key");
    ClickLockSet();

    ExpectUnlocked();
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(notes.messages[0].caption, " Kestrin Error");
    EXPECT_NE(notes.messages[0].text.find("password"), std::string::npos);
    EXPECT_EQ(notes.endCount, 0);
}

TEST_F(DialogLockTest, PasswordsBeyondAsciiAreKeptAsUtf8) {
    Open();
    Answer(
        QString::fromUtf8("Gr\xC3\xBC\xC3\x9F"
                          "e"));
    ClickLockSet();
    ExpectLocked();
    EXPECT_EQ(MeterSettings.password,
              "Gr\xC3\xBC\xC3\x9F"
              "e");
}

TEST_F(DialogLockTest, ARightClickRunsTheSameLockSteps) {
    Open();
    Answer("Secret");
    ClickLockSet(Qt::RightButton);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_FALSE(questions[0].lockSetChecked);  // a right click does not toggle the box
    ExpectLocked();

    Answer("Secret");
    ClickLockSet(Qt::RightButton);
    ExpectUnlocked();
    EXPECT_TRUE(form->isVisible());  // the click reached nothing else
}

TEST_F(DialogLockTest, TheSpaceBarRunsTheSameLockSteps) {
    Open();
    form->LockSet->setFocus();
    Answer("Secret");
    QTest::keyClick(form->LockSet, Qt::Key_Space);
    ExpectLocked();

    Answer("wrong");
    QTest::keyClick(form->LockSet, Qt::Key_Space);
    ExpectLocked();

    Answer("");
    QTest::keyClick(form->LockSet, Qt::Key_Space);
    ExpectLocked();

    Answer("Secret");
    QTest::keyClick(form->LockSet, Qt::Key_Space);
    ExpectUnlocked();
    EXPECT_EQ(questions.size(), 4u);
}

TEST_F(DialogLockedTest, TheRightPasswordUnlocks) {
    Answer("Secret");
    ClickLockSet();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].caption, kUnlockCaption);
    EXPECT_EQ(questions[0].prompt, kUnlockPrompt);
    ExpectUnlocked();
}

TEST_F(DialogLockedTest, WrongPasswordsKeepTheLockWithoutAWord) {
    for (const char* entry : {"secret", "SECRET", "Secret ", " Secret", "Secre", "x"}) {
        SCOPED_TRACE(entry);
        Answer(entry);
        ClickLockSet();
        ExpectLocked();
        EXPECT_EQ(MeterSettings.password, "Secret");
    }
    EXPECT_TRUE(notes.messages.empty());
    Answer("Secret");  // as many tries as the operator likes
    ClickLockSet();
    ExpectUnlocked();
}

TEST_F(DialogLockedTest, AnEmptyEntryKeepsTheLock) {
    Answer("");
    ClickLockSet();
    ExpectLocked();
    EXPECT_EQ(MeterSettings.password, "Secret");
}

TEST_F(DialogLockedTest, TheLockTakenInThisRunOutlastsAReopening) {
    CloseWithOk();
    Open();
    ExpectLocked();  // the device list stays disabled: the handler disabled it
    Answer("Secret");
    ClickLockSet();
    ExpectUnlocked();
}

TEST_F(DialogLockTest, ALockedStartOpensWithTheDeviceListUsable) {
    MeterSettings.Locked = true;
    MeterSettings.password = "Secret";
    Open();
    ExpectLocked(/*comboEnabled=*/true);
    EXPECT_TRUE(form->ShortNameBox->isEnabled());
}

TEST_F(DialogLockTest, WithAnEmptyStoredPasswordNothingUnlocks) {
    MeterSettings.Locked = true;  // only a hand-edited file gives this
    Open();
    for (const char* entry : {"", " ", "anything"}) {
        SCOPED_TRACE(entry);
        Answer(entry);
        ClickLockSet();
        ExpectLocked(/*comboEnabled=*/true);
    }
}

TEST_F(DialogLockTest, TheDialogsOwnEntryBoxAsksAndLocks) {
    TForm2 plain;  // with the entry box it shows by default
    plain.FillFromSettings({"Line In"});
    plain.show();
    QString caption;
    QTimer::singleShot(0, &plain, [&caption] {
        QWidget* box = QApplication::activeModalWidget();
        ModalCloser closer(box);  // also when a check below fails
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        auto* field = box->findChild<QLineEdit*>();
        ASSERT_NE(field, nullptr);
        QTest::keyClicks(field, "Secret");
        QTest::keyClick(field, Qt::Key_Return);
    });
    QTest::mouseClick(plain.LockSet, Qt::LeftButton);

    EXPECT_EQ(caption, kLockCaption);
    EXPECT_TRUE(MeterSettings.Locked);
    EXPECT_EQ(MeterSettings.password, "Secret");
    EXPECT_TRUE(plain.LockSet->isChecked());
    EXPECT_FALSE(plain.Panel2->isEnabled());
}

}  // namespace
}  // namespace kestrin::test
