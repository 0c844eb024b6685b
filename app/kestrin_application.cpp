#include "app/kestrin_application.h"

#include <QMessageBox>
#include <exception>

namespace kestrin {

KestrinApplication::KestrinApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("kestrin");
    setApplicationDisplayName("Kestrin");
}

bool KestrinApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        QMessageBox box(QMessageBox::Critical, applicationDisplayName(),
                        QString::fromLocal8Bit(error.what()), QMessageBox::Ok);
        box.setWindowTitle(applicationDisplayName());
        box.exec();
    }
    return false;
}

}  // namespace kestrin
