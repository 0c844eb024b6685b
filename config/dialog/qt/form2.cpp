#include "config/dialog/qt/form2.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>

#include "config/dialog/dialog_control_map.h"
#include "config/dialog/qt/colour.h"
#include "config/dialog/qt/dialog_controls.h"
#include "config/dialog/qt/password_box.h"
#include "config/dialog/qt/text_bytes.h"

namespace kestrin {

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    BuildLayout();
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    for (Swatch swatch : kSwatches) {
        ColourSwatch* widget = SwatchControl(*this, swatch);
        connect(widget, &ColourSwatch::pressed, this, [this, swatch] { SwatchPressed(swatch); });
        connect(widget, &ColourSwatch::released, this,
                [this, swatch](bool inside) { SwatchReleased(swatch, inside); });
    }
    for (DialogToggle toggle : kDialogToggles) {
        connect(ToggleControl<QAbstractButton*>(*this, toggle), &QAbstractButton::clicked, this,
                [this, toggle] { ToggleClicked(toggle); });
    }
    for (DialogField field : kDialogFields) {
        connect(FieldControl(*this, field), &QLineEdit::textChanged, this,
                [this, field] { FieldEdited(field); });
    }
    connect(Label17, &LinkLabel::doubleClicked, this, [this] { Label17DblClick(); });
    connect(LockSet, &LockCheckBox::mouseReleased, this, [this] { LockSetMouseUp(); });
    connect(LockSet, &LockCheckBox::keyReleased, this,
            [this](bool space, bool pushed) { LockSetKeyReleased(space, pushed); });
    Form2 = this;
}

TForm2::~TForm2() {
    if (Form2 == this) Form2 = nullptr;
}

bool TForm2::ShowModal() { return exec() == QDialog::Accepted; }

void TForm2::EndModal(bool ok) { QDialog::done(ok ? QDialog::Accepted : QDialog::Rejected); }

void TForm2::done(int result) { Close(result == QDialog::Accepted); }

std::string TForm2::AskPassword(const std::string& caption, const std::string& prompt) {
    return qt::AskPassword(this, FromBytes(caption), FromBytes(prompt));
}

std::optional<int32_t> TForm2::ChooseColour(int32_t initial) {
    ColorDialog1->setCurrentColor(ToQColor(initial));
    if (ColorDialog1->exec() != QDialog::Accepted) return std::nullopt;
    return FromQColor(ColorDialog1->selectedColor());
}

void TForm2::OpenHelp() { QDesktopServices::openUrl(Label17->address()); }

void TForm2::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        if (const QScreen* s = screen()) FitToWorkArea(s->availableGeometry());
    }
    QDialog::showEvent(event);
}

void TForm2::closeEvent(QCloseEvent* event) {
    Close(false);
    event->setAccepted(!isVisible());
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            DialogKeyPressed(DialogKey::Escape);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A push button that has the focus is pressed by Enter, as the desktop's are.
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                button->click();
            } else {
                DialogKeyPressed(DialogKey::Enter);
            }
            break;
        default:
            QDialog::keyPressEvent(event);
            return;
    }
    event->accept();
}

void TForm2::changeEvent(QEvent* event) {
    constexpr Qt::WindowStates kSizeStates = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (event->type() == QEvent::WindowStateChange && (windowState() & kSizeStates)) {
        setWindowState(windowState() & ~kSizeStates);
    }
    QDialog::changeEvent(event);
}

}  // namespace kestrin
