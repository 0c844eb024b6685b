#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "config/dialog/qt/colour.h"
#include "display/qt/form1.h"

namespace kestrin {

void TForm1::paintEvent(QPaintEvent* event) {
    // A control redrawn on its own (the over indicator changing colour, a button under the
    // mouse) has the window paint what lies beneath it: that is no paint of the window. Nor is
    // our own flush of what a buffer drew. Anything else (a paint from the window system, or an
    // update() that Qt merged into our repaint) starts over as a fresh window would: erased in
    // the window's colour, then the scale.
    const QRegion ownFlush = m_flushing ? m_flushRegion : QRegion();
    const bool ours = (m_flushing && (event->region() - ownFlush).isEmpty()) ||
                      (event->region() - ownFlush - ControlsRegion()).isEmpty();
    if (!ours) {
        m_painting = true;
        PaintRequested();
        m_painting = false;
    }
    QPainter screen(this);
    for (const QRect& rect : event->region()) {
        screen.drawImage(rect.topLeft(), m_surface, rect);
    }
}

QRegion TForm1::ControlsRegion() const {
    QRegion controls;
    for (QObject* child : children()) {
        const auto* control = qobject_cast<QWidget*>(child);
        if (control && !control->isWindow() && control->isVisible()) {
            controls += control->geometry();
        }
    }
    return controls;
}

// A change of the palette repaints the window, which erases the surface in the new colour.
void TForm1::PaintWindowColour(int32_t colour) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    setPalette(palette);
}

void TForm1::FillRect(const PixelRect& rect, int32_t colour) {
    const QRect area = QRect(rect.left, rect.top, rect.width, rect.height) & m_surface.rect();
    if (area.isEmpty()) {
        return;
    }
    const QRgb pixel = ToQColor(colour).rgb();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(m_surface.scanLine(y));
        std::fill(row + area.left(), row + area.left() + area.width(), pixel);
    }
}

void TForm1::DrawLine(int x0, int y, int x1, int32_t colour) {
    if (x1 > x0) {
        FillRect({x0, y, x1 - x0, 1}, colour);
    }
}

// Inside the window's own paint the paint event shows the surface itself; otherwise the changed
// parts that the client area shows are repainted at once.
void TForm1::EndDrawing(const std::vector<PixelRect>& changed) {
    if (m_painting) {
        return;
    }
    QRegion region;
    for (const PixelRect& part : changed) {
        region += QRect(part.left, part.top, part.width, part.height) & rect();
    }
    Flush(region);
}

void TForm1::Flush(const QRegion& region) {
    if (region.isEmpty()) {
        return;
    }
    m_flushRegion = region;
    m_flushing = true;
    repaint(region);
    m_flushing = false;
}

}  // namespace kestrin
