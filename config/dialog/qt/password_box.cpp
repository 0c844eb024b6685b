#include "config/dialog/qt/password_box.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kestrin::qt {

std::string AskPassword(QWidget* parent, const QString& caption, const QString& prompt) {
    QDialog box(parent);
    box.setWindowTitle(caption);
    box.setObjectName("PasswordBox");

    auto* label = new QLabel(prompt, &box);
    label->setWordWrap(true);
    auto* field = new QLineEdit(&box);
    field->setMaxLength(kPasswordMaxChars);
    field->setEchoMode(QLineEdit::Normal);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    PasswordEntry entry;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, [&] {
        entry.OkPressed(field->text().toStdString());
        box.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, [&] {
        entry.Cancelled();
        box.reject();
    });

    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    box.setMinimumWidth(kPasswordBoxWidth);
    label->setMinimumWidth(kPasswordBoxWidth - layout->contentsMargins().left() -
                           layout->contentsMargins().right());
    field->setFocus();

    box.adjustSize();
    if (const QScreen* screen = box.screen()) {
        QRect frame = box.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        box.move(frame.topLeft());
    }
    box.exec();
    return entry.Entry();
}

}  // namespace kestrin::qt
