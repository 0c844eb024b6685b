#include "display/qt/form1.h"

#include <QGuiApplication>
#include <QWindow>

#include "config/dialog/qt/colour.h"
#include "display/bar_geometry.h"

namespace kestrin {

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* parent)
    : QWidget(parent), m_surface(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32) {
    Form1 = this;
    BuildLayout();
    m_surface.fill(ToQColor(kWindowColour));
    m_lastFocus = QGuiApplication::focusWindow();
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            [this](QWindow* focus) { m_lastFocus = focus; });
    FormCreate();
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

}  // namespace kestrin
