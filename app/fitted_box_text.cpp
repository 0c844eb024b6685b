#include "app/fitted_box_text.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>

#include "config/box_text.h"

namespace kestrin {
namespace {

// Room kept for the frame the window manager puts around a box, which is not known before the
// box is shown: its sides and bottom, and its title bar.
constexpr int kFrameSideAllowance = 8;  // pixels
constexpr int kTitleBarAllowance = 40;  // pixels

// The work area of the screen a box without a parent opens on: the active window's, else the
// one under the pointer, else the primary screen's.
QRect BoxWorkArea() {
    const QWidget* active = QApplication::activeWindow();
    const QScreen* screen = active ? active->screen() : QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

QString FittedBoxText(QMessageBox::Icon icon, const std::string& text) {
    return FittedBoxText(icon, text, BoxWorkArea());
}

QString FittedBoxText(QMessageBox::Icon icon, const std::string& text, const QRect& workArea) {
    if (workArea.isEmpty()) return QString::fromLocal8Bit(text);
    // A box that is never drawn: a message box sizes itself to its text only while it is shown.
    QMessageBox probe(icon, QString(), QString(), QMessageBox::Ok);
    probe.setTextFormat(Qt::PlainText);
    probe.setAttribute(Qt::WA_DontShowOnScreen);
    probe.show();
    const QSize room(workArea.width() - 2 * kFrameSideAllowance,
                     workArea.height() - kTitleBarAllowance - kFrameSideAllowance);
    const std::string shown = FitBoxText(text, [&](const std::string& candidate) {
        probe.setText(QString::fromLocal8Bit(candidate));
        const QSize size = probe.size();
        return size.width() <= room.width() && size.height() <= room.height();
    });
    probe.hide();
    return QString::fromLocal8Bit(shown);
}

}  // namespace kestrin
