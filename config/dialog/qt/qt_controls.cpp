#include "config/dialog/qt/qt_controls.h"

#include <QLabel>
#include <QLocale>

namespace kestrin::qt {

QFont FontOf(ControlFont font) {
    const FontSpec spec = SpecOf(font);
    QFont face("Liberation Sans");
    face.setStyleHint(QFont::SansSerif);
    face.setPixelSize(spec.pixels);
    face.setBold(spec.bold);
    face.setUnderline(spec.underline);
    return face;
}

QLabel* MakeLabel(QWidget* parent, int x, int y, const QString& text, const QFont& font) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAttribute(Qt::WA_NoMousePropagation);
    label->setFont(font);
    label->setText(text);
    label->move(x, y);
    label->adjustSize();
    return label;
}

char DecimalSeparator(const QLocale& locale) {
    const QString point = locale.decimalPoint();
    return point.size() == 1 && point.at(0).unicode() < 0x80
               ? static_cast<char>(point.at(0).unicode())
               : '.';
}

}  // namespace kestrin::qt
