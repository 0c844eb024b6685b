#include "config/dialog/qt/dialog_controls.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>

#include "config/dialog/qt/colour.h"

namespace kestrin {

ColourSwatch::ColourSwatch(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    setColour(0);
}

void ColourSwatch::setColour(int32_t colour) {
    m_colour = colour & 0xFFFFFF;
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(m_colour));
    setPalette(p);
}

void ColourSwatch::mousePressEvent(QMouseEvent* event) {
    QFrame::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) emit pressed();
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event) {
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit released(rect().contains(event->position().toPoint()));
    }
}

void LinkLabel::setAddress(const QUrl& address, int maxWidth) {
    m_address = address;
    setText(fontMetrics().elidedText(address.toString(), Qt::ElideMiddle, maxWidth));
    adjustSize();
}

void LinkLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    QLabel::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit doubleClicked();
}

void LockCheckBox::mouseReleaseEvent(QMouseEvent* event) {
    QCheckBox::mouseReleaseEvent(event);
    event->accept();
    emit mouseReleased();
}

void LockCheckBox::keyReleaseEvent(QKeyEvent* event) {
    // A key held down repeats its release too: only the last one is the key's.
    if (event->isAutoRepeat()) {
        QCheckBox::keyReleaseEvent(event);
        return;
    }
    const bool pushed = isDown();
    QCheckBox::keyReleaseEvent(event);
    emit keyReleased(event->key() == Qt::Key_Space, pushed);
}

}  // namespace kestrin
