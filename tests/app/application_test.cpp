#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTimer>
#include <stdexcept>

#include "app/kestrin_application.h"

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
};

TEST(Application, UnhandledErrorIsReportedInABoxCaptionedWithTheTitleAndTheProgramRunsOn) {
    ThrowingObject target;
    ShownBox shown;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = {box->windowTitle(), box->text()};
            box->accept();
        }
    });
    poll.start();

    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QTimer::singleShot(0, [] {});
    for (int i = 0; i < 500 && target.handled < 2; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    EXPECT_EQ(shown.caption, "Kestrin");
    EXPECT_EQ(shown.text, "Unable to write to /nowhere/kestrin.ini");
    EXPECT_EQ(target.handled, 2) << "the event after the failing one must still be handled";
}

}  // namespace
}  // namespace kestrin

int main(int argc, char** argv) {
    kestrin::KestrinApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
