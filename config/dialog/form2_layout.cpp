#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "config/dialog/about_icon.h"
#include "config/dialog/dialog_widgets.h"
#include "config/dialog/form2.h"
#include "config/dialog/help_address.h"
#include "config/dialog/qt/qt_controls.h"
#include "config/notice.h"

namespace kestrin {
namespace {

constexpr int kClientWidth = 356;   // pixels
constexpr int kClientHeight = 633;  // pixels

const char* const kMakerLine = "by the Kestrin developers";
// Help is in the program's own documentation, which Label17 opens.
const char* const kContactLine = "Help: the Kestrin README";
constexpr int kPanel1Width = 337;  // pixels
constexpr int kLabel17Left = 64;   // pixels in Panel1

QFont PixelFont(int pixels, bool bold = false, bool underline = false) {
    return qt::PixelFont(pixels, bold, underline);
}

constexpr int kDialogFontPixels = 11;

// A label sizes itself to its text, from its top-left corner.
QLabel* MakeLabel(QWidget* parent, const char* text, int x, int y,
                  int fontPixels = kDialogFontPixels, bool bold = false) {
    return qt::MakeLabel(parent, x, y, QString::fromUtf8(text), PixelFont(fontPixels, bold));
}

// A label whose text changes while the dialog lives gets a fixed room for it.
QLabel* MakeFixedLabel(QWidget* parent, const char* text, int x, int y, int width, int height,
                       int fontPixels, bool bold) {
    QLabel* label = MakeLabel(parent, text, x, y, fontPixels, bold);
    label->setGeometry(x, y, width, std::max(height, label->sizeHint().height()));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* text, int x, int y, int width, int height) {
    auto* edit = new QLineEdit(QString::fromUtf8(text), parent);
    edit->setGeometry(x, y, width, height);
    edit->setCursorPosition(0);
    return edit;
}

// Radio and check boxes carry their caption left of the button, the button at the right edge.
template <typename Button>
Button* MakeButton(QWidget* parent, const char* text, int x, int y, int width, int height,
                   int fontPixels = 0) {
    auto* button = new Button(QString::fromUtf8(text), parent);
    button->setLayoutDirection(Qt::RightToLeft);
    if (fontPixels) button->setFont(PixelFont(fontPixels));
    // Room for the whole caption where this face runs wider than the designed one.
    button->setGeometry(x, y, std::max(width, button->sizeHint().width()), height);
    return button;
}

QGroupBox* MakeGroup(QWidget* parent, const char* title, int x, int y, int width, int height,
                     int fontPixels = 0) {
    auto* group = new QGroupBox(QString::fromUtf8(title), parent);
    if (fontPixels) group->setFont(PixelFont(fontPixels));
    group->setGeometry(x, y, width, height);
    return group;
}

QFrame* MakePanel(QWidget* parent, int x, int y, int width, int height) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(x, y, width, height);
    return panel;
}

ColourSwatch* MakeSwatch(QWidget* parent, int x, int y) {
    auto* swatch = new ColourSwatch(parent);
    swatch->setGeometry(x, y, 9, 40);
    return swatch;
}

}  // namespace

void TForm2::BuildLayout() {
    setWindowTitle(kApplicationTitle);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(PixelFont(kDialogFontPixels));
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);

    Panel1 = MakePanel(this, 8, 8, kPanel1Width, 105);
    QPalette menu = Panel1->palette();
    menu.setColor(QPalette::Window, QApplication::palette("QMenu").color(QPalette::Window));
    Panel1->setPalette(menu);
    Panel1->setAutoFillBackground(true);
    Image1 = new QLabel(Panel1);
    Image1->setGeometry(24, 25, 41, 40);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(AboutIcon());
    Label1 = MakeFixedLabel(Panel1, "version", 95, 13, 240, 19, 16, true);
    Label2 = MakeLabel(Panel1, kMakerLine, 93, 36, 13);
    Label3 = MakeLabel(Panel1, kContactLine, 92, 57, 13);
    Label17 = new LinkLabel(Panel1);
    Label17->setTextFormat(Qt::PlainText);
    Label17->setFont(PixelFont(13, false, true));
    QPalette blue = Label17->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label17->setPalette(blue);
    Label17->setToolTip("Double-click to visit Web Site");
    Label17->move(kLabel17Left, 80);
    // Inside the panel's bevel, however long the path of the README.
    Label17->setAddress(HelpAddress(), kPanel1Width - kLabel17Left - 2);

    Panel2 = MakePanel(this, 7, 120, 338, 377);
    Label9 = MakeLabel(Panel2, "Calibration:", 12, 11, 13);
    Label5 = MakeLabel(Panel2, "PPM '4' or 0dB  reference = ", 12, 38, 13);
    Edit1 = MakeEdit(Panel2, " 0", 196, 34, 36, 24);
    Label7 = MakeLabel(Panel2, "dB", 242, 40);
    Label6 = MakeLabel(Panel2, "( eg. SMPTE -20,  Consumer - 12 )", 12, 64);
    Label13 = MakeLabel(Panel2, "Headroom = ", 196, 62, 13);
    Label14 = MakeFixedLabel(Panel2, "0", 275, 62, 338 - 275 - 2, 16, 13, true);
    Label10 = MakeLabel(Panel2, "Decay Rate", 12, 94, 13);
    Edit2 = MakeEdit(Panel2, " 2", 100, 90, 36, 24);
    Label11 = MakeLabel(Panel2, "( arbitary value, 1 - 10   BBC = 2 )  ", 144, 96);

    GroupBox3 = MakeGroup(Panel2, " M-S Mode ", 20, 136, 297, 49);
    RadioButton3 = MakeButton<QRadioButton>(GroupBox3, "M = (A+B)- 6dB", 16, 24, 97, 17);
    RadioButton3->setChecked(true);
    RadioButton4 = MakeButton<QRadioButton>(GroupBox3, "M = (A+B) - 3dB", 168, 24, 113, 17);
    GroupBox2 = MakeGroup(Panel2, "  Scale  ", 20, 196, 145, 49, 13);
    RadioButton1 = MakeButton<QRadioButton>(GroupBox2, "1 - 7", 16, 24, 49, 17);
    RadioButton1->setChecked(true);
    RadioButton2 = MakeButton<QRadioButton>(GroupBox2, "dB", 80, 24, 49, 17);
    GroupBox1 = MakeGroup(Panel2, " Label ", 20, 257, 145, 49, 13);
    RadioButton5 = MakeButton<QRadioButton>(GroupBox1, "A B", 16, 24, 49, 17);
    RadioButton5->setChecked(true);
    RadioButton6 = MakeButton<QRadioButton>(GroupBox1, "LR", 80, 24, 49, 17);

    CheckBox1 = MakeButton<QCheckBox>(Panel2, "Yellow Segment", 185, 202, 133, 17, 13);
    CheckBox2 = MakeButton<QCheckBox>(Panel2, "Always on top", 185, 231, 133, 16, 13);
    CheckBox3 = MakeButton<QCheckBox>(Panel2, "Peak Hold", 185, 260, 133, 17, 13);
    Label8 = MakeLabel(Panel2, "( Click on display to reset )", 185, 289);
    Label4 = MakeLabel(Panel2, "Display colour", 24, 321, 13);
    Label12 = MakeLabel(Panel2, "( click bar to adjust )", 24, 340);
    Abar = MakeSwatch(Panel2, 184, 321);
    Bbar = MakeSwatch(Panel2, 200, 321);
    Mbar = MakeSwatch(Panel2, 216, 321);
    Sbar = MakeSwatch(this, 240, 441);

    Label16 = MakeLabel(this, "Input Device", 40, 520);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setGeometry(128, 516, 169, 21);
    Label15 = MakeLabel(this, "Display Name", 40, 552);
    ShortNameBox = MakeEdit(this, "", 128, 548, 81, 21);
    ShortNameBox->setMaxLength(kShortNameMaxChars);
    LockSet = MakeButton<LockCheckBox>(this, "LockSettings", 40, 592, 89, 17);
    Button1 = new QPushButton("OK", this);
    Button1->setGeometry(233, 588, 64, 25);
    Button1->setAutoDefault(false);

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setCurrentColor(Qt::black);  // the chooser opens on black the first time
}

}  // namespace kestrin
