#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "config/dialog/qt/colour.h"
#include "display/bar_geometry.h"
#include "display/display.h"

namespace kestrin {
namespace {

constexpr const char* kFontFamily = "Liberation Sans";  // metrics of the designed face
constexpr int kFontPixels = 11;
constexpr int kSPlus20LabelPixels = 8;
constexpr int32_t kOverDesignedColour = 70;  // 0x00BBGGRR: dark red until the first buffer

QFont MeterFont(int pixels, bool bold) {
    QFont font(kFontFamily);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A label that sizes itself to its text and keeps clicks from the window: a click on a label
// neither resets the meter nor opens the settings.
QLabel* MakeLabel(QWidget* parent, int x, int y, const QString& text, const QFont& font) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAttribute(Qt::WA_NoMousePropagation);
    label->setFont(font);
    label->setText(text);
    label->move(x, y);
    label->adjustSize();
    return label;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// White text on black: the scale labels stand on the black scale panel.
QLabel* MakeScaleLabel(QWidget* parent, int x, int y) {
    QLabel* label = MakeLabel(parent, x, y, QString(), MeterFont(kFontPixels, false));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Window, Qt::black);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    return label;
}

}  // namespace

void TForm1::BuildLayout() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // Everything but the controls comes from the surface, which covers every pixel.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("      PPM"));
    setFont(MeterFont(kFontPixels, false));
    setFixedSize(kDesignedClientWidth, kClientHeight);

    const QFont bold = MeterFont(kFontPixels, true);
    Label1 = MakeLabel(this, 0, 0, QString(), font());
    Label1->resize(0, 0);
    Label2 = MakeLabel(this, 32, 322, QStringLiteral("L  R"), bold);
    SetTextColour(Label2, Qt::white);

    dBButton = new QPushButton(this);
    dBButton->setGeometry(100, 13, 14, 14);

    Label10 = MakeScaleLabel(this, 5, 42);
    Label9 = MakeScaleLabel(this, 6, 79);
    Label8 = MakeScaleLabel(this, 6, 116);
    Label7 = MakeScaleLabel(this, 6, 149);
    Label6 = MakeScaleLabel(this, 6, 188);
    Label5 = MakeScaleLabel(this, 6, 224);
    Label4 = MakeScaleLabel(this, 6, 260);

    over = new QLineEdit(QStringLiteral("over"), this);
    over->setReadOnly(true);
    over->setGeometry(32, 10, 28, 18);
    SetOverColour(kOverDesignedColour);

    Label3 = MakeLabel(this, 74, 322, QStringLiteral("M    S"), bold);
    SetTextColour(Label3, Qt::white);
    Label11 = MakeLabel(this, 66, 13, QStringLiteral("S+20"), MeterFont(kSPlus20LabelPixels, true));
    SetTextColour(Label11, Qt::white);

    MSButton = new QPushButton(QStringLiteral("<"), this);
    MSButton->setGeometry(8, 320, 17, 17);

    Label12 = MakeScaleLabel(this, 8, 295);
    SetScaleLabels();

    // A press on a control, with any button, stays there: the right button opens the settings and
    // a left click resets the meter only on the window's painted surface.
    for (QWidget* control : {static_cast<QWidget*>(dBButton), static_cast<QWidget*>(MSButton),
                             static_cast<QWidget*>(over)}) {
        control->setAttribute(Qt::WA_NoMousePropagation);
    }

    connect(dBButton, &QPushButton::clicked, this, [this] { dBButtonClick(); });
    connect(MSButton, &QPushButton::clicked, this, [this] { MSButtonClick(); });
}

}  // namespace kestrin
