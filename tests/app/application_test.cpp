#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <stdexcept>

#include "app/kestrin_application.h"
#include "app/message_box_notifier.h"

namespace kestrin {
namespace {

// Throws from its event handler the first time, then counts the events it handles.
class ThrowingObject : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User) return QObject::event(event);
        ++handled;
        if (handled == 1) throw std::runtime_error("Unable to write to /nowhere/kestrin.ini");
        return true;
    }
    int handled = 0;
};

struct ShownBox {
    QString caption;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QRect frame;     // the box with its frame, in screen pixels
    QRect okButton;  // its OK button, in screen pixels
    bool operator==(const ShownBox&) const = default;
};

// Reads and dismisses each message box that opens while it lives.
class BoxReader {
  public:
    BoxReader() {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                const QWidget* ok = box->button(QMessageBox::Ok);
                shown = {box->windowTitle(),
                         box->text(),
                         box->textFormat(),
                         box->icon(),
                         box->standardButtons(),
                         box->frameGeometry(),
                         QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size())};
                box->accept();
            }
        });
        m_poll.start();
    }
    ShownBox shown;

  private:
    QTimer m_poll;
};

// Texts carry names from the settings file and the sound system; a name with markup in it is
// shown as typed, never drawn as markup.
TEST(Application, MessageBoxesShowTheirTextAsPlainText) {
    BoxReader reader;
    MessageBoxNotifier notifier;
    const std::string text = "Input device  \"<b>Desk</b> <img src=x>\"  not found.";
    notifier.ShowMessage(text, " Kestrin Error");
    EXPECT_EQ(reader.shown.caption, " Kestrin Error");
    EXPECT_EQ(reader.shown.text, QString::fromStdString(text));
    EXPECT_EQ(reader.shown.format, Qt::PlainText);
}

// A device name of 100 KB from the settings file, words of it: the box stays on the 1024 x 768
// screen with its OK, and says all it says but the middle of the name.
TEST(Application, ABoxWithAHugeNameFitsTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(screen, QRect(0, 0, 1024, 768));
    std::string name;
    while (name.size() < 100 * 1024) name += "Monitor of Studio ";
    const std::string start = "Input device  \"Monitor of Studio Monitor of";
    const std::string end = "of Studio \"  not found.\n\r\n\rThe default device will be used.";
    BoxReader reader;
    MessageBoxNotifier notifier;
    notifier.ShowMessage("Input device  \"" + name + end.substr(10), " Kestrin Error");
    const std::string text = reader.shown.text.toStdString();
    EXPECT_TRUE(screen.contains(reader.shown.frame)) << reader.shown.frame.height();
    EXPECT_TRUE(screen.contains(reader.shown.okButton));
    EXPECT_EQ(text.substr(0, start.size()), start);
    EXPECT_EQ(text.substr(text.size() - end.size()), end);
    EXPECT_NE(text.find("..."), std::string::npos);
    EXPECT_LT(text.size(), name.size() / 10);
}

TEST(Application, UnhandledErrorIsReportedInABoxCaptionedWithTheTitleAndTheProgramRunsOn) {
    ThrowingObject target;
    BoxReader reader;
    const ShownBox& shown = reader.shown;

    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QTimer::singleShot(0, [] {});
    for (int i = 0; i < 500 && target.handled < 2; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    EXPECT_EQ(shown.caption, "Kestrin");
    EXPECT_EQ(shown.text, "Unable to write to /nowhere/kestrin.ini");
    EXPECT_EQ(shown.format, Qt::PlainText);
    EXPECT_EQ(target.handled, 2) << "the event after the failing one must still be handled";
}

// A failed write of the settings reaches the operator raised out of a handler (after the dialog's
// OK) or caught so that the window still closes: the same failure, the same box.
TEST(Application, AFailedWriteShowsTheSameBoxWhetherRaisedOrCaught) {
    ThrowingObject target;
    BoxReader reader;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    for (int i = 0; i < 500 && target.handled < 1; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    const ShownBox raised = reader.shown;
    EXPECT_EQ(raised.icon, QMessageBox::Critical);

    reader.shown = {};
    MessageBoxNotifier notifier;
    notifier.ShowError("Unable to write to /nowhere/kestrin.ini");
    EXPECT_EQ(reader.shown, raised);
}

}  // namespace
}  // namespace kestrin

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" KESTRIN_TEST_SCREENS);
    kestrin::KestrinApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
