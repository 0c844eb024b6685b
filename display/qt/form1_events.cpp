#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>

#include "capture/wim_data_event.h"
#include "config/dialog/qt/form2.h"
#include "display/qt/form1.h"

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
        DeliveryArrived();
        return true;
    }
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) {
        ActivationChanged(event);
        return true;
    }
    if (DeliveryDue()) {
        QCoreApplication::postEvent(this, new QEvent(kDeliverHeldType));
    }
    return QWidget::event(event);
}

// The window that has the focus when this one loses it, and the one that had it when this one
// gains it, tell whether the focus moves between the program's own windows (the dialog, a box)
// or to and from another program (none of ours then).
void TForm1::ActivationChanged(QEvent* event) {
    const auto ownOther = [this](const QWindow* other) {
        return other != nullptr && other != windowHandle();
    };
    if (event->type() == QEvent::WindowActivate) {
        Activated(ownOther(m_lastFocus));
    } else {
        Deactivated(ownOther(QGuiApplication::focusWindow()));
    }
    // What QWidget does with these events, but the repaint of the window.
    for (QObject* child : children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control && control->isVisible() && !control->isWindow()) {
            QCoreApplication::sendEvent(control, event);
        }
    }
}

// Presses on the controls stay there (they don't propagate): these are on the surface.
void TForm1::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        LeftPressed();
    } else if (event->button() == Qt::RightButton) {
        RightPressed();
    }
}

void TForm1::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        LeftReleased(rect().contains(event->position().toPoint()));
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (CloseRequested()) {
        event->accept();
    } else {
        event->ignore();
    }
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
