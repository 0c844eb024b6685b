#include <gtest/gtest.h>

#include <QMessageBox>
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
    bool operator==(const ShownBox&) const = default;
};

// Reads and dismisses each message box that opens while it lives.
class BoxReader {
  public:
    BoxReader() {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = {box->windowTitle(), box->text(), box->textFormat(), box->icon(),
                         box->standardButtons()};
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
    kestrin::KestrinApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
