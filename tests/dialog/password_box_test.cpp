#include "config/dialog/qt/password_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "tests/support/modal_close.h"

namespace kestrin::test {
namespace {

// The entry box while it shows.
QDialog* ShownBox() {
    if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) return box;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->objectName() == "PasswordBox") {
            return qobject_cast<QDialog*>(widget);
        }
    }
    return nullptr;
}

// Asks through the real entry box and lets `operate` work it once it shows. The box is closed
// when `operate` leaves it open (a failed check), so the failure shows at once.
std::string AskAndOperate(std::function<void(QDialog& box, QLineEdit& field)> operate) {
    bool shown = false;
    QTimer::singleShot(0, [&] {
        QDialog* box = ShownBox();
        ModalCloser closer(box);
        if (!box) return;
        auto* field = box->findChild<QLineEdit*>();
        if (!field) return;
        shown = true;
        operate(*box, *field);
    });
    const std::string entry =
        qt::AskPassword(nullptr, "LOCK Settings", "Enter password required to unlock");
    EXPECT_TRUE(shown);
    return entry;
}

TEST(PasswordBoxTest, ShowsCaptionPromptAndAFieldThatShowsWhatIsTyped) {
    const std::string entry = AskAndOperate([](QDialog& box, QLineEdit& field) {
        EXPECT_EQ(box.windowTitle(), "LOCK Settings");
        auto* prompt = box.findChild<QLabel*>();
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(prompt->text(), "Enter password required to unlock");
        EXPECT_TRUE(prompt->wordWrap());
        EXPECT_EQ(field.echoMode(), QLineEdit::Normal);
        EXPECT_EQ(field.maxLength(), 255);
        EXPECT_EQ(box.focusWidget(), &field);
        EXPECT_EQ(field.text(), "");
        box.reject();
    });
    EXPECT_EQ(entry, "");
}

TEST(PasswordBoxTest, EnterConfirmsTheTypedText) {
    const std::string entry = AskAndOperate([](QDialog&, QLineEdit& field) {
        QTest::keyClicks(&field, "Pass Word");
        QTest::keyClick(&field, Qt::Key_Return);
    });
    EXPECT_EQ(entry, "Pass Word");
}

TEST(PasswordBoxTest, EscapeAndCancelGiveAnEmptyText) {
    EXPECT_EQ(AskAndOperate([](QDialog&, QLineEdit& field) {
                  QTest::keyClicks(&field, "Secret");
                  QTest::keyClick(&field, Qt::Key_Escape);
              }),
              "");
    EXPECT_EQ(AskAndOperate([](QDialog& box, QLineEdit& field) {
                  QTest::keyClicks(&field, "Secret");
                  auto* buttons = box.findChild<QDialogButtonBox*>();
                  ASSERT_NE(buttons, nullptr);
                  QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
              }),
              "");
}

TEST(PasswordBoxTest, TakesAtMost255Characters) {
    const std::string entry = AskAndOperate([](QDialog& box, QLineEdit& field) {
        field.insert(QString(300, 'k'));
        auto* buttons = box.findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_EQ(entry.size(), 255);
}

}  // namespace
}  // namespace kestrin::test
