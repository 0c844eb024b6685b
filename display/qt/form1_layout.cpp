#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "config/dialog/colour.h"
#include "display/bar_geometry.h"
#include "display/qt/form1.h"

namespace kestrin {
namespace {

constexpr const char* kFontFamily = "Liberation Sans";  // metrics of the designed faces

QFont MeterFont(ControlFont font) {
    QFont face(kFontFamily);
    face.setPixelSize(font == ControlFont::SmallBold ? 8 : 11);
    face.setBold(font == ControlFont::WindowBold || font == ControlFont::SmallBold);
    return face;
}

// A label in white that sizes itself to its text; one of the scale stands on black.
QLabel* MakeLabel(QWidget* parent, const ControlRow& row) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromLatin1(row.caption));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(kLabelTextColour));
    if (row.kind == ControlKind::ScaleLabel) {
        palette.setColor(QPalette::Window, ToQColor(kPanelColour));
        label->setAutoFillBackground(true);
    }
    label->setPalette(palette);
    return label;
}

QWidget* MakeControl(QWidget* parent, const ControlRow& row) {
    QWidget* control = nullptr;
    switch (row.kind) {
        case ControlKind::Label:
        case ControlKind::ScaleLabel:
            control = MakeLabel(parent, row);
            break;
        case ControlKind::ReadOnlyEdit: {
            auto* edit = new QLineEdit(QString::fromLatin1(row.caption), parent);
            edit->setReadOnly(true);
            control = edit;
            break;
        }
        default:
            control = new QPushButton(QString::fromLatin1(row.caption), parent);
            break;
    }
    control->setFont(MeterFont(row.font));
    // A press on a control, with any button, stays there: the right button opens the settings
    // and a left click resets the meter only on the window's painted surface.
    control->setAttribute(Qt::WA_NoMousePropagation);
    if (row.width > 0) {
        control->setGeometry(row.left, row.top, row.width, row.height);
    } else {
        control->move(row.left, row.top);
        if (*row.caption) {
            control->adjustSize();
        } else {
            control->resize(0, 0);
        }
    }
    return control;
}

}  // namespace

void TForm1::BuildLayout() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // Everything but the controls comes from the surface, which covers every pixel.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QString::fromLatin1(kDesignedCaption));
    setFont(MeterFont(ControlFont::Window));
    setFixedSize(kDesignedClientWidth, kClientHeight);

    for (std::size_t i = 0; i < kMeterControls.size(); ++i) {
        m_controls[i] = MakeControl(this, kMeterControls[i]);
    }
    const auto label = [this](MeterControl control) {
        return static_cast<QLabel*>(m_controls[Index(control)]);
    };
    Label1 = label(MeterControl::Label1);
    Label2 = label(MeterControl::Label2);
    dBButton = static_cast<QPushButton*>(m_controls[Index(MeterControl::dBButton)]);
    Label4 = label(MeterControl::Label4);
    Label5 = label(MeterControl::Label5);
    Label6 = label(MeterControl::Label6);
    Label7 = label(MeterControl::Label7);
    Label8 = label(MeterControl::Label8);
    Label9 = label(MeterControl::Label9);
    Label10 = label(MeterControl::Label10);
    over = static_cast<QLineEdit*>(m_controls[Index(MeterControl::over)]);
    Label3 = label(MeterControl::Label3);
    Label11 = label(MeterControl::Label11);
    MSButton = static_cast<QPushButton*>(m_controls[Index(MeterControl::MSButton)]);
    Label12 = label(MeterControl::Label12);

    connect(dBButton, &QPushButton::clicked, this, [this] { dBButtonClick(); });
    connect(MSButton, &QPushButton::clicked, this, [this] { MSButtonClick(); });
}

}  // namespace kestrin
