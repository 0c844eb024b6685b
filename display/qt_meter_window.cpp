#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "capture/capture.h"
#include "config/dialog/qt/colour.h"
#include "config/dialog/qt/text_bytes.h"
#include "display/bar_geometry.h"
#include "display/display.h"
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

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* parent)
    : QWidget(parent), m_surface(kDesignedClientWidth, kClientHeight, QImage::Format_RGB32) {
    Form1 = this;
    BuildLayout();
    m_surface.fill(ToQColor(kWindowColour));
    FormCreate();
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::FormMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    (void)Shift;
    MouseButton button = MouseButton::Other;
    if (Button == Qt::LeftButton) button = MouseButton::Left;
    if (Button == Qt::RightButton) button = MouseButton::Right;
    if (Button == Qt::MiddleButton) button = MouseButton::Middle;
    MeterWindow::FormMouseDown(button, X, Y);
}

void TForm1::SetCaption(const std::string& text) { setWindowTitle(FromBytes(text)); }

QLabel* TForm1::Label(MeterLabel label) const {
    switch (label) {
        case MeterLabel::Label2:
            return Label2;
        case MeterLabel::Label4:
            return Label4;
        case MeterLabel::Label5:
            return Label5;
        case MeterLabel::Label6:
            return Label6;
        case MeterLabel::Label7:
            return Label7;
        case MeterLabel::Label8:
            return Label8;
        case MeterLabel::Label9:
            return Label9;
        case MeterLabel::Label10:
            return Label10;
        case MeterLabel::Label12:
            return Label12;
    }
    return nullptr;
}

// A label is sized to its text, and touched only when the text changes: the scale labels are set
// at every paint.
void TForm1::SetLabelCaption(MeterLabel which, const std::string& text) {
    QLabel* label = Label(which);
    const QString caption = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    if (label->text() != caption) {
        label->setText(caption);
        label->adjustSize();
    }
}

void TForm1::SetMSButtonCaption(const std::string& text) {
    MSButton->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void TForm1::SetOverColour(int32_t colour) {
    QPalette palette = over->palette();
    palette.setColor(QPalette::Base, ToQColor(colour));
    over->setPalette(palette);
}

void TForm1::SetOverEnabled(bool enabled) { over->setEnabled(enabled); }

// A change of the palette repaints the window, which erases the surface in the new colour.
void TForm1::PaintWindowColour(int32_t colour) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    setPalette(palette);
}

void TForm1::SetClientWidth(int width) { setFixedSize(width, kClientHeight); }

int TForm1::ClientHeight() const { return height(); }

// A stored position that no attached screen shows (a monitor since unplugged, a changed layout)
// would leave the window out of reach. The stored values stay; the position the window then has
// is saved when it closes, as always.
void TForm1::MoveFrameTo(int32_t left, int32_t top) {
    QSize frame = frameGeometry().size();
    if (frame == size()) {
        frame += QSize(2 * kAssumedFrameSide, kAssumedTitleHeight + kAssumedFrameSide);
    }
    std::vector<PixelRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.push_back(ToPixelRect(screen->geometry()));
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    const FramePosition place =
        PlaceWindow({left, top}, frame.width(), frame.height(), screens,
                    primary ? ToPixelRect(primary->availableGeometry()) : PixelRect{});
    move(place.left, place.top);
}

int32_t TForm1::FrameLeft() const { return pos().x(); }

int32_t TForm1::FrameTop() const { return pos().y(); }

// The meter window, looked up by its caption only.
bool TForm1::SetTopmostByCaption(const std::string& caption, bool onTop) {
    if (windowTitle() != FromBytes(caption)) {
        return false;
    }
    // The flag goes to the native window, which changes its stacking in place;
    // QWidget::setWindowFlag would hide the window and create a new one. QWidget::windowFlags()
    // does not follow, so the native window's own flags are the state.
    if (QWindow* handle = windowHandle()) {
        if (handle->flags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
            handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
        }
    } else {
        // No native window yet: the flag is taken when it is created.
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
    return true;
}

// The locale's decimal separator as the calibration parser takes it. One outside ASCII can't be
// a single byte of the field's text; the point is used then. Asking the system for it is slow,
// and the pipeline asks at every buffer: it is asked again only when the locale has changed.
char TForm1::DecimalSeparator() const {
    const QLocale locale;
    if (!m_separatorLocale || *m_separatorLocale != locale) {
        const QString point = locale.decimalPoint();
        m_separator = point.size() == 1 && point.at(0).unicode() < 0x80
                          ? static_cast<char>(point.at(0).unicode())
                          : '.';
        m_separatorLocale = locale;
    }
    return m_separator;
}

void TForm1::ReceiveCaptureBuffers() {
#ifdef _WIN32
    // The system posts MM_WIM_DATA to the native window; nativeEvent hands it on.
    SetCaptureReceiver(reinterpret_cast<WaveInReceiver>(winId()));
#else
    SetCaptureReceiver(static_cast<QObject*>(this));
#endif
}

}  // namespace kestrin
