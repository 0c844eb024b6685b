#include "config/dialog/password_box.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kestrin {
namespace {

constexpr int kBoxWidth = 300;  // pixels; the prompt wraps within it

}  // namespace

QString AskPassword(QWidget* parent, const QString& caption, const QString& prompt) {
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
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);

    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    box.setMinimumWidth(kBoxWidth);
    label->setMinimumWidth(kBoxWidth - layout->contentsMargins().left() -
                           layout->contentsMargins().right());
    field->setFocus();

    box.adjustSize();
    if (const QScreen* screen = box.screen()) {
        QRect frame = box.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        box.move(frame.topLeft());
    }
    return box.exec() == QDialog::Accepted ? field->text() : QString();
}

}  // namespace kestrin
