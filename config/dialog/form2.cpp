#include "config/dialog/form2.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>

#include "config/dialog/colour.h"
#include "config/dialog/dialog_widgets.h"
#include "config/dialog/password_box.h"
#include "config/dialog/text_bytes.h"

namespace kestrin {

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    BuildLayout();
    PasswordPrompt = [this](const QString& caption, const QString& prompt) {
        return kestrin::AskPassword(this, caption, prompt);
    };
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Abar, &ColourSwatch::clicked, this, [this] { AbarClick(); });
    connect(Bbar, &ColourSwatch::clicked, this, [this] { BbarClick(); });
    connect(Mbar, &ColourSwatch::clicked, this, [this] { MbarClick(); });
    connect(Sbar, &ColourSwatch::clicked, this, [this] { SbarClick(); });
    connect(Label17, &LinkLabel::doubleClicked, this, [this] { Label17DblClick(); });
    connect(LockSet, &LockCheckBox::mouseUp, this, [this] { LockSetMouseUp(); });
    Form2 = this;
}

TForm2::~TForm2() {
    if (Form2 == this) Form2 = nullptr;
}

bool TForm2::ShowModal() { return exec() == QDialog::Accepted; }

void TForm2::CloseModal(bool ok) { done(ok ? QDialog::Accepted : QDialog::Rejected); }

void TForm2::done(int result) {
    // QDialog::done() sends no close event: the close steps run here, for OK, the close box and
    // Escape alike. A dialog that is not showing has nothing to close.
    if (isVisible()) FormClose();
    QDialog::done(result);
}

std::string TForm2::AskPassword(const std::string& caption, const std::string& prompt) {
    return PasswordPrompt(FromBytes(caption), FromBytes(prompt)).toStdString();
}

std::optional<int32_t> TForm2::ChooseColour(int32_t initial) {
    ColorDialog1->setCurrentColor(ToQColor(initial));
    if (ColorDialog1->exec() != QDialog::Accepted) return std::nullopt;
    return FromQColor(ColorDialog1->selectedColor());
}

void TForm2::OpenHelp() { QDesktopServices::openUrl(Label17->address()); }

void TForm2::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        if (const QScreen* s = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QDialog::showEvent(event);
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm2::changeEvent(QEvent* event) {
    constexpr Qt::WindowStates kSizeStates = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (event->type() == QEvent::WindowStateChange && (windowState() & kSizeStates)) {
        setWindowState(windowState() & ~kSizeStates);
    }
    QDialog::changeEvent(event);
}

}  // namespace kestrin
