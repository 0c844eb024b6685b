#include "config/dialog/qt/qt_controls.h"

#include <QLabel>

namespace kestrin::qt {

QFont PixelFont(int pixels, bool bold, bool underline) {
    QFont font("Liberation Sans");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

QFont FontOf(ControlFont font) {
    switch (font) {
        case ControlFont::Window:
        case ControlFont::Scale:
            break;
        case ControlFont::WindowBold:
            return PixelFont(11, true);
        case ControlFont::SmallBold:
            return PixelFont(8, true);
        case ControlFont::Large:
        case ControlFont::Text:
            return PixelFont(13);
        case ControlFont::LargeBold:
            return PixelFont(13, true);
        case ControlFont::Link:
            return PixelFont(13, false, true);
        case ControlFont::Title:
            return PixelFont(16, true);
    }
    return PixelFont(11);
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

}  // namespace kestrin::qt
