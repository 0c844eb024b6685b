#pragma once

#include <cstdint>
#include <span>

#include "config/dialog/control_table.h"

namespace kestrin {

constexpr int kDialogClientWidth = 356;  // pixels
// The design's 633 rows, and below them the meter modes group.
constexpr int kDialogClientHeight = 733;  // pixels
// Label17's hint, and the colour of its text (0x00BBGGRR).
constexpr const char* kLinkHint = "Double-click to visit Web Site";
constexpr int32_t kLinkColour = 0xFF0000;

// The group of the meter modes, which the lock disables with Panel2 although it stands outside.
constexpr const char* kModesGroup = "GroupBox4";

// Every control of the settings dialog, each parent before the controls it holds, in the order the
// keyboard's Tab visits them. Option buttons stand in their group box; Label17's caption is the
// address of the documentation.
std::span<const ControlRow> SettingsDialogControls();

// The dialog's controls by name, for each toolkit's dialog to bind its members to the controls
// its layout made: X(name) for every row above.
#define KESTRIN_SETTINGS_DIALOG_CONTROLS(X)                                                      \
    X(Panel1)                                                                                    \
    X(Image1)                                                                                    \
    X(Label1)                                                                                    \
    X(Label2)                                                                                    \
    X(Label3) X(Label17) X(Panel2) X(Label9) X(Label5) X(Edit1) X(Label7) X(Label6) X(Label13)   \
        X(Label14) X(Label10) X(Edit2) X(Label11) X(Label18) X(GroupBox3) X(RadioButton3)        \
            X(RadioButton4) X(GroupBox2) X(RadioButton1) X(RadioButton2) X(GroupBox1)            \
                X(RadioButton5) X(RadioButton6) X(CheckBox1) X(CheckBox2) X(CheckBox3) X(Label8) \
                    X(Label4) X(Label12) X(Abar) X(Bbar) X(Mbar) X(Sbar) X(Label16) X(ComboBox1) \
                        X(Label15) X(ShortNameBox) X(LockSet) X(Button1) X(GroupBox4)            \
                            X(RadioButton7) X(RadioButton8) X(RadioButton9) X(RadioButton10)     \
                                X(CheckBox4) X(Edit3) X(Label19) X(CheckBox5) X(Edit4) X(Label20)

}  // namespace kestrin
