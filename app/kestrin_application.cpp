#include "app/kestrin_application.h"

#include <QMessageBox>
#include <exception>

namespace kestrin {

KestrinApplication::KestrinApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("kestrin");
}

bool KestrinApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        QMessageBox box(QMessageBox::Critical, kTitle, QString::fromLocal8Bit(error.what()),
                        QMessageBox::Ok);
        box.exec();
    }
    return false;
}

}  // namespace kestrin
