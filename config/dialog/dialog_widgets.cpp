#include "config/dialog/dialog_widgets.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>

#include "config/dialog/colour.h"

namespace kestrin {

ColourSwatch::ColourSwatch(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
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
    if (event->button() == Qt::LeftButton) m_pressed = true;
    QFrame::mousePressEvent(event);
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton) m_pressed = false;
    QFrame::mouseReleaseEvent(event);
    if (click) emit clicked();
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
    emit mouseUp();
}

void LockCheckBox::keyReleaseEvent(QKeyEvent* event) {
    // The box toggles itself on the release of a space bar that pressed it down.
    const bool toggles = event->key() == Qt::Key_Space && !event->isAutoRepeat() && isDown();
    QCheckBox::keyReleaseEvent(event);
    if (toggles) emit mouseUp();
}

}  // namespace kestrin
