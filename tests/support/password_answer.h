#pragma once

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

namespace kestrin::test {

// The lock's entry box while it shows, or nullptr.
inline QDialog* ShownPasswordBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->objectName() == "PasswordBox") {
            return qobject_cast<QDialog*>(widget);
        }
    }
    return nullptr;
}

// Types `entry` into the box's field, replacing what it held, and presses one of its buttons.
inline void AnswerPasswordBox(QDialog& box, const QString& entry,
                              QDialogButtonBox::StandardButton button = QDialogButtonBox::Ok) {
    if (auto* field = box.findChild<QLineEdit*>()) field->setText(entry);
    if (auto* buttons = box.findChild<QDialogButtonBox*>()) buttons->button(button)->click();
}

}  // namespace kestrin::test
