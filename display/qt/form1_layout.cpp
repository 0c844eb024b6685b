#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "config/dialog/qt/colour.h"
#include "config/dialog/qt/qt_controls.h"
#include "display/bar_geometry.h"
#include "display/qt/form1.h"

namespace kestrin {
namespace {

// The window's labels are white; those of the scale stand on black.
QLabel* MakeMeterLabel(QWidget* parent, const ControlRow& row) {
    QLabel* label = qt::MakeLabel(parent, row.left, row.top, QString::fromLatin1(row.caption),
                                  qt::FontOf(row.font));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(kLabelTextColour));
    if (row.kind == ControlKind::ScaleLabel) {
        palette.setColor(QPalette::Window, ToQColor(kPanelColour));
        label->setAutoFillBackground(true);
    }
    label->setPalette(palette);
    if (row.width != 0) {
        label->resize(row.width, row.height);  // whatever its text
    } else if (!*row.caption) {
        label->resize(0, 0);  // shows nothing until the meter gives it a text
    }
    return label;
}

// A press on a control, with any button, stays there: the right button opens the settings and a
// left click resets the meter only on the window's painted surface.
QWidget* MakeControl(QWidget* parent, const ControlRow& row) {
    QWidget* control = nullptr;
    switch (row.kind) {
        case ControlKind::Label:
        case ControlKind::ScaleLabel:
            return MakeMeterLabel(parent, row);
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
    control->setFont(qt::FontOf(row.font));
    control->setAttribute(Qt::WA_NoMousePropagation);
    control->setGeometry(row.left, row.top, row.width, row.height);
    return control;
}

}  // namespace
void TForm1::BuildLayout() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // Everything but the controls comes from the surface, which covers every pixel.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QString::fromLatin1(kDesignedCaption));
    setFont(qt::FontOf(ControlFont::Window));
    setFixedSize(kDesignedClientWidth, kClientHeight);

    for (std::size_t i = 0; i < kMeterControls.size(); ++i) {
        m_controls[i] = MakeControl(this, kMeterControls[i]);
        if (i >= kDesignedMeterControlCount) {
            m_controls[i]->hide();  // until the meter shows the loudness column
        }
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
    connect(static_cast<QPushButton*>(m_controls[Index(MeterControl::RunButton)]),
            &QPushButton::clicked, this, [this] { RunButtonClick(); });
    connect(static_cast<QPushButton*>(m_controls[Index(MeterControl::ResetButton)]),
            &QPushButton::clicked, this, [this] { ResetButtonClick(); });
}

void TForm1::ShowLabelCaption(MeterControl which, const std::string& text) {
    auto* label = static_cast<QLabel*>(m_controls[Index(which)]);
    label->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    if (kMeterControls[Index(which)].width == 0) {
        label->adjustSize();
    }
}

void TForm1::ShowMSButtonCaption(const std::string& text) {
    MSButton->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void TForm1::ShowButtonCaption(MeterControl button, const std::string& text) {
    static_cast<QPushButton*>(m_controls[Index(button)])
        ->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void TForm1::PlaceControl(MeterControl control, bool shown, int left, int top) {
    QWidget* widget = m_controls[Index(control)];
    widget->move(left, top);
    widget->setVisible(shown);
}

void TForm1::ShowOverColour(int32_t colour) {
    QPalette palette = over->palette();
    palette.setColor(QPalette::Base, ToQColor(colour));
    over->setPalette(palette);
}

void TForm1::ShowOverEnabled(bool enabled) { over->setEnabled(enabled); }

}  // namespace kestrin
