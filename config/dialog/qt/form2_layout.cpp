#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <map>
#include <string_view>

#include "config/dialog/qt/about_icon.h"
#include "config/dialog/qt/colour.h"
#include "config/dialog/qt/dialog_controls.h"
#include "config/dialog/qt/form2.h"
#include "config/dialog/qt/help_address.h"
#include "config/dialog/qt/qt_controls.h"
#include "config/dialog/settings_dialog_layout.h"
#include "config/notice.h"
#include "display/window_placement.h"

namespace kestrin {
namespace {

using MadeControls = std::map<std::string_view, QWidget*>;

// A label with a size given has that room for a text that changes while the dialog lives.
QLabel* MakeRoomLabel(QWidget* parent, const ControlRow& row) {
    QLabel* label = qt::MakeLabel(parent, row.left, row.top, QString::fromUtf8(row.caption),
                                  qt::FontOf(row.font));
    label->setGeometry(row.left, row.top, row.width,
                       std::max(row.height, label->sizeHint().height()));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

// Option and check boxes carry their caption left of the mark, the mark at the right edge, with
// room for the whole caption where this face runs wider than the designed one.
template <typename Button>
Button* MakeMarkButton(QWidget* parent, const ControlRow& row) {
    auto* button = new Button(QString::fromUtf8(row.caption), parent);
    button->setLayoutDirection(Qt::RightToLeft);
    button->setFont(qt::FontOf(row.font));
    button->setGeometry(row.left, row.top, std::max(row.width, button->sizeHint().width()),
                        row.height);
    return button;
}

// The documentation's address in blue, underlined, inside its parent's bevel.
LinkLabel* MakeLink(QWidget* parent, const ControlRow& row) {
    auto* link = new LinkLabel(parent);
    link->setTextFormat(Qt::PlainText);
    link->setFont(qt::FontOf(row.font));
    QPalette blue = link->palette();
    blue.setColor(QPalette::WindowText, ToQColor(kLinkColour));
    link->setPalette(blue);
    link->setToolTip(kLinkHint);
    link->move(row.left, row.top);
    link->setAddress(HelpAddress(), parent->width() - row.left - 2);
    return link;
}

QFrame* MakePanel(QWidget* parent, const ControlRow& row) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(row.left, row.top, row.width, row.height);
    if (row.kind == ControlKind::MenuPanel) {
        QPalette menu = panel->palette();
        menu.setColor(QPalette::Window, QApplication::palette("QMenu").color(QPalette::Window));
        panel->setPalette(menu);
        panel->setAutoFillBackground(true);
    }
    return panel;
}

QWidget* MakeRow(QWidget* parent, const ControlRow& row) {
    const QString caption = QString::fromUtf8(row.caption);
    QWidget* made = nullptr;
    switch (row.kind) {
        case ControlKind::Label:
        case ControlKind::ScaleLabel:  // the dialog has no scale panel: a label as any other
            if (row.width > 0) return MakeRoomLabel(parent, row);
            return qt::MakeLabel(parent, row.left, row.top, caption, qt::FontOf(row.font));
        case ControlKind::Edit:
        case ControlKind::ReadOnlyEdit: {
            auto* edit = new QLineEdit(caption, parent);
            edit->setReadOnly(row.kind == ControlKind::ReadOnlyEdit);
            edit->setCursorPosition(0);
            made = edit;
            break;
        }
        case ControlKind::PushButton: {
            // OK has no default role: Enter presses it only when it has the focus.
            auto* button = new QPushButton(caption, parent);
            button->setAutoDefault(false);
            made = button;
            break;
        }
        case ControlKind::CheckBox:
            // The lock box reports its releases: the lock decides its state.
            if (std::string_view(row.name) == "LockSet") {
                return MakeMarkButton<LockCheckBox>(parent, row);
            }
            return MakeMarkButton<QCheckBox>(parent, row);
        case ControlKind::RadioButton:
            return MakeMarkButton<QRadioButton>(parent, row);
        case ControlKind::GroupBox:
            made = new QGroupBox(caption, parent);
            break;
        case ControlKind::Panel:
        case ControlKind::MenuPanel:
            return MakePanel(parent, row);
        case ControlKind::ComboBox: {
            auto* list = new QComboBox(parent);
            list->setEditable(true);
            list->setInsertPolicy(QComboBox::NoInsert);
            made = list;
            break;
        }
        case ControlKind::Image: {
            auto* image = new QLabel(parent);
            image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            image->setPixmap(AboutIcon());
            made = image;
            break;
        }
        case ControlKind::Link:
            return MakeLink(parent, row);
        case ControlKind::Swatch:
            made = new ColourSwatch(parent);
            break;
    }
    made->setFont(qt::FontOf(row.font));
    made->setGeometry(row.left, row.top, row.width, row.height);
    return made;
}

template <typename Widget>
void Bind(const MadeControls& made, const char* name, Widget*& member) {
    member = qobject_cast<Widget*>(made.at(name));
}

}  // namespace

void TForm2::BuildLayout() {
    setWindowTitle(kApplicationTitle);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kDialogClientWidth, kDialogClientHeight);
    setFont(qt::FontOf(ControlFont::Window));
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);

    // The controls stand on a panel of the designed size that scrolls where the screen is too low
    // for the whole dialog. The scroll area takes no focus of its own: Tab goes from control to
    // control as before, and brings the one it reaches into view.
    m_scroller = new QScrollArea(this);
    m_scroller->setFrameShape(QFrame::NoFrame);
    m_scroller->setFocusPolicy(Qt::NoFocus);
    m_scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroller->setGeometry(0, 0, kDialogClientWidth, kDialogClientHeight);
    m_contents = new QWidget;
    m_contents->setFixedSize(kDialogClientWidth, kDialogClientHeight);
    m_contents->setAutoFillBackground(true);
    m_scroller->setWidget(m_contents);

    MadeControls made;
    for (const ControlRow& row : SettingsDialogControls()) {
        made[row.name] = MakeRow(*row.parent ? made.at(row.parent) : m_contents, row);
    }
#define KESTRIN_BIND(name) Bind(made, #name, name);
    KESTRIN_SETTINGS_DIALOG_CONTROLS(KESTRIN_BIND)
#undef KESTRIN_BIND
    ShortNameBox->setMaxLength(kShortNameMaxChars);
    CheckDesignedOptions();

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setCurrentColor(Qt::black);  // the chooser opens on black the first time
}

void TForm2::FitToWorkArea(const QRect& workArea) {
    // Until the window manager has framed the dialog its frame is not known: a title bar of 24
    // pixels and sides of 3 are assumed.
    QSize frame = frameGeometry().size() - size();
    if (frame.isEmpty()) frame = QSize(6, 27);
    const PixelRect area{workArea.x(), workArea.y(), workArea.width(), workArea.height()};
    const int rows = ShownContentRows(kDialogClientHeight, frame.height(), area);
    const int columns =
        kDialogClientWidth +
        (rows < kDialogClientHeight ? m_scroller->verticalScrollBar()->sizeHint().width() : 0);
    setFixedSize(columns, rows);
    m_scroller->setGeometry(0, 0, columns, rows);
    if (workArea.isEmpty()) return;
    QRect framed(QPoint(), size() + frame);
    framed.moveCenter(workArea.center());
    move(framed.topLeft().y() < workArea.top() ? QPoint(framed.x(), workArea.top())
                                               : framed.topLeft());
}

}  // namespace kestrin
