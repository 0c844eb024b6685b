#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QRadioButton>
#include <algorithm>

#include "config/dialog/dialog_control_map.h"
#include "config/dialog/qt/dialog_controls.h"
#include "config/dialog/qt/form2.h"
#include "config/dialog/qt/qt_controls.h"
#include "config/dialog/qt/text_bytes.h"

namespace kestrin {
namespace {

const QColor kRefused(255, 0, 0);  // 0x000000FF: a field whose text is not a number

}  // namespace

std::string TForm2::FieldText(DialogField field) const {
    const QString text = FieldControl(*this, field)->text();
    const FieldBytes& set = m_fieldBytes[static_cast<size_t>(field)];
    if (text == set.shown) return set.bytes;
    return text.toStdString();
}

void TForm2::SetFieldText(DialogField field, const std::string& text) {
    QLineEdit* edit = FieldControl(*this, field);
    FieldBytes& set = m_fieldBytes[static_cast<size_t>(field)];
    set.bytes = text;
    set.shown = FromBytes(text);
    edit->setText(set.shown);
    edit->setCursorPosition(0);
}

// Touched only on a change, since the pipeline asks for it at every buffer.
void TForm2::SetFieldRefused(DialogField field, bool refused) {
    QLineEdit* edit = FieldControl(*this, field);
    // Otherwise clWindow, the desktop's standard background of an edit box.
    const QColor colour = refused ? kRefused : QApplication::palette(edit).color(QPalette::Base);
    if (edit->palette().color(QPalette::Base) == colour) return;
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, colour);
    edit->setPalette(palette);
}

void TForm2::LimitShortNameTo(const std::string& current) {
    ShortNameBox->setMaxLength(
        std::max(kShortNameMaxChars, static_cast<int>(FromBytes(current).size())));
}

std::string TForm2::HeadroomCaption() const { return Label14->text().toStdString(); }

void TForm2::SetHeadroomCaption(const std::string& text) { Label14->setText(FromBytes(text)); }

void TForm2::SetVersionCaption(const std::string& text) { Label1->setText(FromBytes(text)); }

bool TForm2::Checked(DialogToggle toggle) const {
    return ToggleControl<QAbstractButton*>(*this, toggle)->isChecked();
}

void TForm2::SetChecked(DialogToggle toggle, bool checked) {
    ToggleControl<QAbstractButton*>(*this, toggle)->setChecked(checked);
}

void TForm2::SetPanel2Enabled(bool enabled) {
    Panel2->setEnabled(enabled);
    GroupBox4->setEnabled(enabled);
}

void TForm2::SetFieldEnabled(DialogField field, bool enabled) {
    FieldControl(*this, field)->setEnabled(enabled);
}

void TForm2::SetDecayNoteShown(bool shown) { Label18->setVisible(shown); }

char TForm2::DecimalSeparator() const { return qt::DecimalSeparator(); }

void TForm2::SetComboBox1Enabled(bool enabled) { ComboBox1->setEnabled(enabled); }

int32_t TForm2::SwatchColour(Swatch swatch) const { return SwatchControl(*this, swatch)->colour(); }

void TForm2::SetSwatchColour(Swatch swatch, int32_t colour) {
    SwatchControl(*this, swatch)->setColour(colour);
}

void TForm2::FillDeviceList(const std::vector<std::string>& names, int selected) {
    ComboBox1->clear();
    for (const std::string& name : names) {
        ComboBox1->addItem(FromBytes(name), QByteArray::fromStdString(name));
    }
    ComboBox1->setCurrentIndex(selected);
    if (ComboBox1->currentIndex() < 0) ComboBox1->setEditText(QString());
}

int TForm2::SelectedDevice() const {
    const int index = ComboBox1->currentIndex();
    if (index < 0 || index >= ComboBox1->count()) return -1;
    if (ComboBox1->currentText() != ComboBox1->itemText(index)) return -1;
    return index;
}

std::string TForm2::DeviceName(int index) const {
    return ComboBox1->itemData(index).toByteArray().toStdString();
}

}  // namespace kestrin
