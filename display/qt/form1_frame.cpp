#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QWindow>

#include "capture/capture.h"
#include "config/dialog/qt/qt_controls.h"
#include "config/dialog/qt/text_bytes.h"
#include "display/bar_geometry.h"
#include "display/qt/form1.h"
#include "display/window_placement.h"

namespace kestrin {
namespace {

// The frame assumed around the client area until the window manager has put its own: 3 pixels
// at the sides and bottom, a title bar of 24.
constexpr int kAssumedFrameSide = 3;
constexpr int kAssumedTitleHeight = 24;

PixelRect ToPixelRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

}  // namespace

void TForm1::ShowCaption(const std::string& text) { setWindowTitle(FromBytes(text)); }

void TForm1::SetClientSize(int width, int height) { setFixedSize(width, height); }

int TForm1::ClientHeight() const { return height(); }

// A stored position that no attached screen shows (a monitor since unplugged, a changed layout)
// would leave the window out of reach, and one near a screen's edge would hide part of it: it
// goes where it stands whole. The stored values stay; the position the window then has is saved
// when it closes, as always.
void TForm1::MoveFrameTo(int32_t left, int32_t top) {
    QSize frame = frameGeometry().size();
    if (frame == size()) {
        frame += QSize(2 * kAssumedFrameSide, kAssumedTitleHeight + kAssumedFrameSide);
    }
    std::vector<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.push_back(
            {ToPixelRect(screen->geometry()), ToPixelRect(screen->availableGeometry())});
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    const FramePosition place =
        PlaceWindow({left, top}, frame.width(), frame.height(), screens,
                    primary ? ToPixelRect(primary->availableGeometry()) : PixelRect{});
    move(place.left, place.top);
}

int32_t TForm1::FrameLeft() const { return pos().x(); }

int32_t TForm1::FrameTop() const { return pos().y(); }

// The native window's own flags are the state: QWidget::windowFlags() does not follow them.
bool TForm1::Topmost() const {
    const QWindow* handle = windowHandle();
    return (handle ? handle->flags() : windowFlags()).testFlag(Qt::WindowStaysOnTopHint);
}

// The flag goes to the native window, which changes its stacking in place;
// QWidget::setWindowFlag would hide the window and create a new one. Before there is a native
// window, the flag is taken when it is created.
void TForm1::SetTopmost(bool onTop) {
    if (QWindow* handle = windowHandle()) {
        handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
    } else {
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
}

// The locale's decimal separator as the calibration parser takes it. One outside ASCII can't be
// a single byte of the field's text; the point is used then. Asking the system for it is slow,
// and the pipeline asks at every buffer: it is asked again only when the locale has changed.
char TForm1::DecimalSeparator() const {
    const QLocale locale;
    if (!m_separatorLocale || *m_separatorLocale != locale) {
        m_separator = qt::DecimalSeparator(locale);
        m_separatorLocale = locale;
    }
    return m_separator;
}

void TForm1::ReceiveCaptureBuffers() { SetCaptureReceiver(static_cast<QObject*>(this)); }

}  // namespace kestrin
