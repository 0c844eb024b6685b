#include "app/message_box_notifier.h"

#include <QMessageBox>
#include <QString>
#include <cstdlib>

#include "app/fitted_box_text.h"

namespace kestrin {

void MessageBoxNotifier::ShowMessage(const std::string& text, const std::string& caption) {
    // The box's own loop goes on delivering captured buffers, so the meter keeps running behind it.
    QMessageBox box(QMessageBox::NoIcon, QString::fromLocal8Bit(caption),
                    FittedBoxText(QMessageBox::NoIcon, text), QMessageBox::Ok);
    box.setWindowTitle(QString::fromLocal8Bit(caption));
    // Texts carry names from the settings file and the sound system: shown as they are, never
    // read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void MessageBoxNotifier::ShowError(const std::string& text) { ShowErrorBox(text); }

void ShowErrorBox(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, kApplicationTitle,
                    FittedBoxText(QMessageBox::Critical, text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void MessageBoxNotifier::EndProgram() { std::_Exit(0); }

}  // namespace kestrin
