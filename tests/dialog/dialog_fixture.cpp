#include "tests/dialog/dialog_fixture.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "capture/capture.h"
#include "config/dialog/qt/dialog_controls.h"
#include "tests/support/password_answer.h"

namespace kestrin::test {

void DialogTest::SetUp() {
    MeterSettings = TMeterSettings{};
    DeviceIndex = 0;
    SetSettingsFilePath((folder.path() / "kestrin.ini").string());
    form = std::make_unique<TForm2>();
    // The lock's entry box is answered from inside its own loop, as soon as it shows.
    m_answerer = std::make_unique<QTimer>();
    m_answerer->setInterval(5);
    QObject::connect(m_answerer.get(), &QTimer::timeout, [this] { AnswerShownBox(); });
    m_answerer->start();
}

void DialogTest::AnswerShownBox() {
    QDialog* box = ShownPasswordBox();
    if (!box) return;
    auto* prompt = box->findChild<QLabel*>();
    questions.push_back(
        {box->windowTitle(), prompt ? prompt->text() : QString(), form->LockSet->isChecked()});
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected password question: " << box->windowTitle().toStdString();
        AnswerPasswordBox(*box, QString(), QDialogButtonBox::Cancel);
        return;
    }
    AnswerPasswordBox(*box, m_answers.front());
    m_answers.pop_front();
}

void DialogTest::TearDown() {
    EXPECT_TRUE(m_answers.empty()) << "the lock asked fewer questions than answered";
    m_answerer.reset();
    form.reset();
}

void DialogTest::Open(const std::vector<std::string>& devices) {
    form->FillFromSettings(devices);
    form->show();
}

void DialogTest::CloseWithOk() { QTest::mouseClick(form->Button1, Qt::LeftButton); }

void DialogTest::CloseWithCloseBox() { form->close(); }

void DialogTest::PressEscape() {
    QWidget* focus = form->focusWidget();
    QTest::keyClick(focus ? focus : form.get(), Qt::Key_Escape);
}

void DialogTest::ClickLockSet(Qt::MouseButton button) { QTest::mouseClick(form->LockSet, button); }

void DialogTest::ExpectLocked(bool comboEnabled) {
    EXPECT_TRUE(MeterSettings.Locked);
    EXPECT_TRUE(form->LockSet->isChecked());
    EXPECT_FALSE(form->Panel2->isEnabled());
    EXPECT_EQ(form->ComboBox1->isEnabled(), comboEnabled);
}

void DialogTest::ExpectUnlocked() {
    EXPECT_FALSE(MeterSettings.Locked);
    EXPECT_FALSE(form->LockSet->isChecked());
    EXPECT_TRUE(form->Panel2->isEnabled());
    EXPECT_TRUE(form->ComboBox1->isEnabled());
    EXPECT_EQ(MeterSettings.password, "");
}

void DialogTest::AnswerColourDialog(std::optional<QColor> choice) {
    m_colourShown.reset();
    QTimer::singleShot(0, form.get(), [this, choice] {
        QColorDialog* chooser = form->ColorDialog1;
        if (!chooser->isVisible()) {
            ADD_FAILURE() << "the colour chooser is not showing";
            return;
        }
        m_colourShown = chooser->currentColor();
        if (choice) {
            chooser->setCurrentColor(*choice);
            chooser->accept();
        } else {
            chooser->setCurrentColor(Qt::magenta);  // looked at, then cancelled
            chooser->reject();
        }
    });
}

}  // namespace kestrin::test
