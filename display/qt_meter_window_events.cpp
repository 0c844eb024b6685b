#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QWindow>

#include "capture/wim_data_event.h"
#include "config/dialog/colour.h"
#include "config/dialog/form2.h"
#include "config/dialog/text_bytes.h"
#include "config/notice.h"
#include "config/settings_error.h"
#include "display/bar_geometry.h"
#include "display/display.h"
#include "display/window_placement.h"

#ifdef _WIN32
#include "capture/windows_wave_in.h"
#endif

namespace kestrin {
namespace {

constexpr int32_t kOverDark = 41;                     // 0x00BBGGRR: very dark red
constexpr const char* kApplicationTitle = "Kestrin";  // caption of the standard error box
// Posted to the meter window to hand over the buffers held while there was no settings dialog.
const QEvent::Type kDeliverHeldType = static_cast<QEvent::Type>(QEvent::registerEventType());
// The frame assumed around the client area until the window manager has put its own: 3 pixels
// at the sides and bottom, a title bar of 24.
constexpr int kAssumedFrameSide = 3;
constexpr int kAssumedTitleHeight = 24;
constexpr Qt::WindowStates kSizeStates = Qt::WindowMaximized | Qt::WindowFullScreen;

// The meter window, looked up by its caption only.
QWidget* FindMeterWindow(const QString& caption) {
    return Form1 && Form1->windowTitle() == caption ? Form1 : nullptr;
}

}  // namespace

bool ApplyAlwaysOnTop(const std::string& caption, bool onTop) {
    QWidget* window = FindMeterWindow(FromBytes(caption));
    if (!window) {
        return false;
    }
    // The flag goes to the native window, which changes its stacking in place;
    // QWidget::setWindowFlag would hide the window and create a new one. QWidget::windowFlags()
    // does not follow, so the native window's own flags are the state.
    if (QWindow* handle = window->windowHandle()) {
        if (handle->flags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
            handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
        }
    } else {
        // No native window yet: the flag is taken when it is created.
        window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
    return true;
}

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
    if (!m_heldBuffers.empty() && Form2 && !m_deliveryPosted) {
        // The dialog exists now: the held buffers go through the pipeline from the event loop.
        m_deliveryPosted = true;
        QCoreApplication::postEvent(this, new QEvent(kDeliverHeldType));
    }
    return QWidget::event(event);
}

// The pipeline reads and writes the settings dialog's fields. A capture failure during start-up
// shows its box before the dialog exists, and the box's loop dispatches the buffers that the
// failed device hands back: they wait here, none lost, and the program ends when the box is
// dismissed.
void TForm1::BufferReturned(HWAVEIN device, WAVEHDR* header) {
    if (!Form2) {
        m_heldBuffers.emplace_back(device, header);
        return;
    }
    DeliverHeldBuffers();
    MMWimData(device, header);
}

void TForm1::DeliverHeldBuffers() {
    while (Form2 && !m_heldBuffers.empty()) {
        const auto [device, header] = m_heldBuffers.front();
        m_heldBuffers.erase(m_heldBuffers.begin());
        MMWimData(device, header);
    }
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

void TForm1::FormCloseQuery(bool& CanClose) { (void)CanClose; }

void TForm1::FormClose() {
    // A position that can't be written is reported; the window closes all the same, since the
    // operator asked to end the program and nothing else is lost.
    try {
        SavePosition();
    } catch (const SettingsWriteError& error) {
        notifier().ShowMessage(error.what(), kApplicationTitle);
    }
}

// The width is set first, so that the placement knows the size of the frame it places.
void TForm1::FormActivate() {
    ApplyMSWidth();
    MoveToStoredPosition();
}

void TForm1::ApplyMSWidth() {
    if (MeterSettings.showMS) {
        SetClientWidth(kWideClientWidth);
    } else {
        SetClientWidth(kNarrowClientWidth);
        MSButton->setText(QStringLiteral(">"));
    }
}

// A stored position that no attached screen shows (a monitor since unplugged, a changed layout)
// would leave the window out of reach. The stored values stay; the position the window then has
// is saved when it closes, as always.
void TForm1::MoveToStoredPosition() {
    QSize frame = frameGeometry().size();
    if (frame == size()) {
        frame += QSize(2 * kAssumedFrameSide, kAssumedTitleHeight + kAssumedFrameSide);
    }
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.append(screen->geometry());
    const QScreen* primary = QGuiApplication::primaryScreen();
    move(PlaceWindow(QPoint(MeterSettings.left, MeterSettings.top), frame, screens,
                     primary ? primary->availableGeometry() : QRect()));
}

// The window keeps its fixed size: a maximize or full screen asked for by the desktop (a key, a
// double-click on the title bar) is undone at once.
void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && (windowState() & kSizeStates)) {
        setWindowState(windowState() & ~kSizeStates);
    }
    QWidget::changeEvent(event);
}

void TForm1::FormClick() {
    SetOverColour(kOverDark);
    over->setEnabled(false);
    ResetHolds(Bars);
}

void TForm1::dBButtonClick() {
    if (SPlus20) {
        SPlus20 = false;
        SetWindowColour(kWindowColour);
    } else {
        SPlus20 = true;
        SetWindowColour(kSPlus20WindowColour);
    }
}

void TForm1::MSButtonClick() {
    if (MeterSettings.showMS) {
        MeterSettings.showMS = false;
        SetClientWidth(kNarrowClientWidth);
        MSButton->setText(QStringLiteral(">"));
        SPlus20 = false;
        SetWindowColour(kWindowColour);
    } else {
        MeterSettings.showMS = true;
        SetClientWidth(kWideClientWidth);
        MSButton->setText(QStringLiteral("<"));
    }
}

void TForm1::SetClientWidth(int width) { setFixedSize(width, kClientHeight); }

// A change of colour repaints the window, which erases the surface in the new colour.
void TForm1::SetWindowColour(int32_t colour) {
    if (colour == m_windowColour) {
        return;
    }
    m_windowColour = colour;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    setPalette(palette);
}

// Touched only on a change: the pipeline asks for a colour at every buffer.
void TForm1::SetOverColour(int32_t colour) {
    if (colour == m_overColour) {
        return;
    }
    m_overColour = colour;
    QPalette palette = over->palette();
    palette.setColor(QPalette::Base, ToQColor(colour));
    over->setPalette(palette);
}

}  // namespace kestrin
