#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QWindow>

#include "capture/wim_data_event.h"
#include "config/dialog/colour.h"
#include "config/dialog/text_bytes.h"
#include "config/notice.h"
#include "config/settings_error.h"
#include "display/bar_geometry.h"
#include "display/display.h"

#ifdef _WIN32
#include "capture/windows_wave_in.h"
#endif

namespace kestrin {
namespace {

constexpr int32_t kOverDark = 41;                     // 0x00BBGGRR: very dark red
constexpr const char* kApplicationTitle = "Kestrin";  // caption of the standard error box

QWidget* FindTopLevelWindow(const QString& caption) {
    if (Form1 && Form1->windowTitle() == caption) {
        return Form1;
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isWindow() && widget->windowTitle() == caption) {
            return widget;
        }
    }
    return nullptr;
}

}  // namespace

bool ApplyAlwaysOnTop(const std::string& caption, bool onTop) {
    QWidget* window = FindTopLevelWindow(FromBytes(caption));
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
        MMWimData(data->device, data->header);
        return true;
    }
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return QWidget::event(event);
}

#ifdef _WIN32
bool TForm1::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    HWAVEIN device = nullptr;
    WAVEHDR* header = nullptr;
    if (eventType == "windows_generic_MSG" && WimDataFromNativeMessage(message, &device, &header)) {
        MMWimData(device, header);
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

void TForm1::FormActivate() {
    move(MeterSettings.left, MeterSettings.top);
    if (MeterSettings.showMS) {
        SetClientWidth(kWideClientWidth);
    } else {
        SetClientWidth(kNarrowClientWidth);
        MSButton->setText(QStringLiteral(">"));
    }
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
