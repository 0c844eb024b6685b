#include "config/dialog/form2.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>
#include <algorithm>

#include "capture/capture.h"
#include "config/dialog/colour.h"
#include "config/dialog/dialog_widgets.h"
#include "config/dialog/password_box.h"
#include "config/dialog/text_bytes.h"
#include "config/settings.h"

namespace kestrin {

TForm2* Form2 = nullptr;

namespace {

const char* const kVersionCaption = "Kestrin Version 1.76";

void SetEditText(QLineEdit* edit, const std::string& text) {
    edit->setText(FromBytes(text));
    edit->setCursorPosition(0);
}

}  // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    BuildLayout();
    PasswordPrompt = [this](const QString& caption, const QString& prompt) {
        return AskPassword(this, caption, prompt);
    };
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Abar, &ColourSwatch::clicked, this, &TForm2::AbarClick);
    connect(Bbar, &ColourSwatch::clicked, this, &TForm2::BbarClick);
    connect(Mbar, &ColourSwatch::clicked, this, &TForm2::MbarClick);
    connect(Sbar, &ColourSwatch::clicked, this, &TForm2::SbarClick);
    connect(Label17, &LinkLabel::doubleClicked, this, &TForm2::Label17DblClick);
    connect(LockSet, &LockCheckBox::mouseUp, this, &TForm2::LockSetMouseUp);
    Form2 = this;
}

TForm2::~TForm2() {
    if (Form2 == this) Form2 = nullptr;
}

void TForm2::FillFromSettings(const std::vector<std::string>& deviceNames) {
    ComboBox1->clear();
    if (deviceNames.size() < 2) DeviceIndex = 0;
    // The list was fetched anew, and the default input comes first: when that changed since the
    // device in use was opened, its position moved. DeviceIndex follows it there.
    const std::string inUse = CaptureIdentity();
    for (size_t id = 0; id < deviceNames.size(); ++id) {
        const std::string& name = deviceNames[id];
        ComboBox1->addItem(FromBytes(name), QByteArray::fromStdString(name));
        if (!inUse.empty() && DeviceIdentity(static_cast<int32_t>(id)) == inUse) {
            DeviceIndex = static_cast<int32_t>(id);
        }
    }
    // An id past the shortened list selects nothing; the close then keeps the device in use.
    ComboBox1->setCurrentIndex(DeviceIndex < ComboBox1->count() ? DeviceIndex : -1);
    if (ComboBox1->currentIndex() < 0) ComboBox1->setEditText(QString());

    Label1->setText(kVersionCaption);

    const TMeterSettings& s = MeterSettings;
    SetEditText(Edit1, s.cal);
    SetEditText(Edit2, s.decay);
    // A longer name from a hand-edited file is shown whole; typing cannot lengthen it further.
    ShortNameBox->setMaxLength(
        std::max(kShortNameMaxChars, static_cast<int>(FromBytes(s.ShortName).size())));
    SetEditText(ShortNameBox, s.ShortName);
    CheckBox1->setChecked(s.amber);
    CheckBox2->setChecked(s.OnTop);
    CheckBox3->setChecked(s.PeakHold);
    RadioButton1->setChecked(!s.dbScale);
    RadioButton2->setChecked(s.dbScale);
    RadioButton3->setChecked(s.Msix);
    RadioButton4->setChecked(!s.Msix);
    RadioButton5->setChecked(s.ABLR);
    RadioButton6->setChecked(!s.ABLR);
    Abar->setColour(s.Acolor);
    Bbar->setColour(s.Bcolor);
    Mbar->setColour(s.Mcolor);
    Sbar->setColour(s.Scolor);

    if (s.Locked) {
        LockSet->setChecked(true);
        Panel2->setEnabled(false);
    }
}

void TForm2::ApplyToSettings() {
    TMeterSettings& s = MeterSettings;
    TakeText(s.cal, Edit1->text());
    TakeText(s.decay, Edit2->text());
    s.amber = CheckBox1->isChecked();
    s.OnTop = CheckBox2->isChecked();
    s.PeakHold = CheckBox3->isChecked();
    s.dbScale = RadioButton2->isChecked();
    s.ABLR = RadioButton5->isChecked();
    s.Msix = RadioButton3->isChecked();
    s.Acolor = Abar->colour();
    s.Bcolor = Bbar->colour();
    s.Mcolor = Mbar->colour();
    s.Scolor = Sbar->colour();
}

void TForm2::RestoreFields() {
    SetEditText(Edit1, MeterSettings.cal);
    SetEditText(Edit2, MeterSettings.decay);
}

void TForm2::Button1Click() { done(QDialog::Accepted); }

void TForm2::AbarClick() { ChooseColour(Abar); }
void TForm2::BbarClick() { ChooseColour(Bbar); }
void TForm2::MbarClick() { ChooseColour(Mbar); }
void TForm2::SbarClick() { ChooseColour(Sbar); }

void TForm2::ChooseColour(ColourSwatch* swatch) {
    // The chooser opens on the colour last confirmed in it, not on the swatch's.
    ColorDialog1->setCurrentColor(m_lastChosen);
    if (ColorDialog1->exec() != QDialog::Accepted) return;
    m_lastChosen = ColorDialog1->selectedColor();
    swatch->setColour(FromQColor(m_lastChosen));
}

void TForm2::Label17DblClick() { QDesktopServices::openUrl(Label17->address()); }

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
