#include "config/dialog/settings_dialog_layout.h"

namespace kestrin {
namespace {

using enum ControlKind;
constexpr ControlFont Window = ControlFont::Window;
constexpr ControlFont Large = ControlFont::Large;
constexpr ControlFont LargeBold = ControlFont::LargeBold;
constexpr ControlFont Text = ControlFont::Text;
constexpr ControlFont Title = ControlFont::Title;

// Panel2's inside, right of Label14: the headroom is shown within the panel's bevel.
constexpr int kLabel14Width = 338 - 275 - 2;

constexpr ControlRow kControls[] = {
    // The about panel.
    {"Panel1", MenuPanel, "", "", 8, 8, 337, 105, Window},
    {"Image1", Image, "Panel1", "", 24, 25, 41, 40, Window},
    {"Label1", ControlKind::Label, "Panel1", "version", 95, 13, 240, 19, Title},
    {"Label2", ControlKind::Label, "Panel1", "by the Kestrin developers", 93, 36, 0, 0, Text},
    // Help is in the program's own documentation, which Label17 opens.
    {"Label3", ControlKind::Label, "Panel1", "Help: the Kestrin README", 92, 57, 0, 0, Text},
    {"Label17", ControlKind::Link, "Panel1", "", 64, 80, 0, 0, ControlFont::Link},
    // The settings the lock protects.
    {"Panel2", Panel, "", "", 7, 120, 338, 377, Window},
    {"Label9", ControlKind::Label, "Panel2", "Calibration:", 12, 11, 0, 0, Large},
    {"Label5", ControlKind::Label, "Panel2", "PPM '4' or 0dB  reference = ", 12, 38, 0, 0, Text},
    {"Edit1", Edit, "Panel2", " 0", 196, 34, 36, 24, Window},
    {"Label7", ControlKind::Label, "Panel2", "dB", 242, 40, 0, 0, Window},
    {"Label6", ControlKind::Label, "Panel2", "( eg. SMPTE -20,  Consumer - 12 )", 12, 64, 0, 0,
     Window},
    {"Label13", ControlKind::Label, "Panel2", "Headroom = ", 196, 62, 0, 0, Text},
    {"Label14", ControlKind::Label, "Panel2", "0", 275, 62, kLabel14Width, 16, LargeBold},
    {"Label10", ControlKind::Label, "Panel2", "Decay Rate", 12, 94, 0, 0, Large},
    {"Edit2", Edit, "Panel2", " 2", 100, 90, 36, 24, Window},
    {"Label11", ControlKind::Label, "Panel2", "( arbitary value, 1 - 10   BBC = 2 )  ", 144, 96, 0,
     0, Window},
    // Shown only while an IEC ballistics sets the bars' fall instead of the decay field.
    {"Label18", ControlKind::Label, "Panel2", "( fall set by the IEC type )", 144, 113, 0, 0,
     Window},
    {"GroupBox3", GroupBox, "Panel2", " M-S Mode ", 20, 136, 297, 49, Window},
    {"RadioButton3", RadioButton, "GroupBox3", "M = (A+B)- 6dB", 16, 24, 97, 17, Window},
    {"RadioButton4", RadioButton, "GroupBox3", "M = (A+B) - 3dB", 168, 24, 113, 17, Window},
    {"GroupBox2", GroupBox, "Panel2", "  Scale  ", 20, 196, 145, 49, Large},
    {"RadioButton1", RadioButton, "GroupBox2", "1 - 7", 16, 24, 49, 17, Large},
    {"RadioButton2", RadioButton, "GroupBox2", "dB", 80, 24, 49, 17, Large},
    {"GroupBox1", GroupBox, "Panel2", " Label ", 20, 257, 145, 49, Large},
    {"RadioButton5", RadioButton, "GroupBox1", "A B", 16, 24, 49, 17, Large},
    {"RadioButton6", RadioButton, "GroupBox1", "LR", 80, 24, 49, 17, Large},
    {"CheckBox1", CheckBox, "Panel2", "Yellow Segment", 185, 202, 133, 17, Large},
    {"CheckBox2", CheckBox, "Panel2", "Always on top", 185, 231, 133, 16, Large},
    {"CheckBox3", CheckBox, "Panel2", "Peak Hold", 185, 260, 133, 17, Large},
    {"Label8", ControlKind::Label, "Panel2", "( Click on display to reset )", 185, 289, 0, 0,
     Window},
    {"Label4", ControlKind::Label, "Panel2", "Display colour", 24, 321, 0, 0, Large},
    {"Label12", ControlKind::Label, "Panel2", "( click bar to adjust )", 24, 340, 0, 0, Window},
    {"Abar", Swatch, "Panel2", "", 184, 321, 9, 40, Window},
    {"Bbar", Swatch, "Panel2", "", 200, 321, 9, 40, Window},
    {"Mbar", Swatch, "Panel2", "", 216, 321, 9, 40, Window},
    // Within Panel2's rectangle, but the dialog's: it takes its clicks while the lock disables
    // the panel.
    {"Sbar", Swatch, "", "", 240, 441, 9, 40, Window},
    // What the lock leaves open.
    {"Label16", ControlKind::Label, "", "Input Device", 40, 520, 0, 0, Window},
    {"ComboBox1", ComboBox, "", "", 128, 516, 169, 21, Window},
    {"Label15", ControlKind::Label, "", "Display Name", 40, 552, 0, 0, Window},
    {"ShortNameBox", Edit, "", "", 128, 548, 81, 21, Window},
    {"LockSet", CheckBox, "", "LockSettings", 40, 592, 89, 17, Window},
    {"Button1", PushButton, "", "OK", 233, 588, 64, 25, Window},
    // The standard meter modes, below the design's controls; the lock disables them with Panel2.
    {"GroupBox4", GroupBox, "", " Meter modes ", 7, 620, 338, 106, Window},
    {"RadioButton7", RadioButton, "GroupBox4", "Design bars", 16, 18, 129, 17, Window},
    {"RadioButton8", RadioButton, "GroupBox4", "IEC Type I (DIN)", 168, 18, 129, 17, Window},
    {"RadioButton9", RadioButton, "GroupBox4", "IEC Type IIa (BBC)", 16, 38, 129, 17, Window},
    {"RadioButton10", RadioButton, "GroupBox4", "IEC Type IIb (EBU)", 168, 38, 129, 17, Window},
    {"CheckBox4", CheckBox, "GroupBox4", "True-peak over lamp at", 16, 60, 152, 17, Window},
    {"Edit3", Edit, "GroupBox4", "", 176, 58, 40, 20, Window},
    {"Label19", ControlKind::Label, "GroupBox4", "dBTP", 222, 62, 0, 0, Window},
    {"CheckBox5", CheckBox, "GroupBox4", "Loudness column, target", 16, 83, 152, 17, Window},
    {"Edit4", Edit, "GroupBox4", "", 176, 81, 40, 20, Window},
    {"Label20", ControlKind::Label, "GroupBox4", "LUFS", 222, 85, 0, 0, Window},
};

}  // namespace

std::span<const ControlRow> SettingsDialogControls() { return kControls; }

}  // namespace kestrin
