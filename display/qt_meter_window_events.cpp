#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>

#include "capture/wim_data_event.h"
#include "config/dialog/qt/form2.h"
#include "display/display.h"

#ifdef _WIN32
#include "capture/windows_wave_in.h"
#endif

namespace kestrin {
namespace {

// Posted to the meter window to hand over the buffers held while there was no settings dialog.
const QEvent::Type kDeliverHeldType = static_cast<QEvent::Type>(QEvent::registerEventType());
constexpr Qt::WindowStates kSizeStates = Qt::WindowMaximized | Qt::WindowFullScreen;

}  // namespace

bool TForm1::event(QEvent* event) {
    if (event->type() == WimDataEvent::kType) {
        const auto* data = static_cast<WimDataEvent*>(event);
        BufferReturned(data->device, data->header);
        return true;
    }
    if (event->type() == kDeliverHeldType) {
        m_deliveryPosted = false;
        DeliverHeldBuffers();
        return true;
    }
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) {
        ActivationChanged(event);
        return true;
    }
    if (HasHeldBuffers() && Form2 && !m_deliveryPosted) {
        // The dialog exists now: the held buffers go through the pipeline from the event loop.
        m_deliveryPosted = true;
        QCoreApplication::postEvent(this, new QEvent(kDeliverHeldType));
    }
    return QWidget::event(event);
}

void TForm1::ActivationChanged(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        const bool due = !m_activated || m_focusToOwnWindow;
        m_activated = true;
        m_focusToOwnWindow = false;
        if (due) FormActivate();
    } else {
        // The window that has the focus now is the program's own (the dialog, a box), or none
        // when another program took it.
        const QWindow* focus = QGuiApplication::focusWindow();
        m_focusToOwnWindow = focus != nullptr && focus != windowHandle();
    }
    // What QWidget does with these events, but the repaint of the window.
    for (QObject* child : children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control && control->isVisible() && !control->isWindow()) {
            QCoreApplication::sendEvent(control, event);
        }
    }
}

#ifdef _WIN32
bool TForm1::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    HWAVEIN device = nullptr;
    WAVEHDR* header = nullptr;
    if (eventType == "windows_generic_MSG" && WimDataFromNativeMessage(message, &device, &header)) {
        BufferReturned(device, header);
        *result = 0;
        return true;
    }
    return QWidget::nativeEvent(eventType, message, result);
}
#endif

void TForm1::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_leftPressed = true;
    }
    const QPoint at = event->position().toPoint();
    FormMouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void TForm1::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // A click is a left press and release on the surface; a release dragged off the window is
    // none.
    const bool click = m_leftPressed && rect().contains(event->position().toPoint());
    m_leftPressed = false;
    if (click) {
        FormClick();
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

// The window keeps its fixed size: a maximize or full screen asked for by the desktop (a key, a
// double-click on the title bar) is undone at once.
void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && (windowState() & kSizeStates)) {
        setWindowState(windowState() & ~kSizeStates);
    }
    QWidget::changeEvent(event);
}

}  // namespace kestrin
