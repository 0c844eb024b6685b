#include "config/dialog/settings_dialog.h"
#include "config/settings.h"
#include "measure/level_text.h"

namespace kestrin {
namespace {

// The ballistics options, each at the index of the "ballistics" value it stands for.
constexpr DialogToggle kBallisticsOptions[] = {
    DialogToggle::RadioButton7, DialogToggle::RadioButton8, DialogToggle::RadioButton9,
    DialogToggle::RadioButton10};

bool IsBallisticsOption(DialogToggle toggle) {
    for (DialogToggle option : kBallisticsOptions) {
        if (option == toggle) return true;
    }
    return false;
}

}  // namespace

// Each option is set on or off, since a toolkit's option buttons need not switch the others off
// when one is set. A value out of range (never loaded so) shows the design's bars.
void SettingsDialog::FillModes() {
    const TMeterSettings& s = MeterSettings;
    const int32_t chosen =
        s.ballistics >= kDesignBallistics && s.ballistics <= kIecTypeIIbBallistics
            ? s.ballistics
            : kDesignBallistics;
    for (int32_t value = kDesignBallistics; value <= kIecTypeIIbBallistics; ++value) {
        SetChecked(kBallisticsOptions[value], value == chosen);
    }
    SetChecked(DialogToggle::CheckBox4, s.TPover);
    SetFieldText(DialogField::Edit3, s.TPlevel);
    SetChecked(DialogToggle::CheckBox5, s.loudness);
    SetFieldText(DialogField::Edit4, s.target);
    CheckModeField(DialogField::Edit3);
    CheckModeField(DialogField::Edit4);
    ShowDecayState();
}

// The two texts are taken as typed, as the calibration is: the meter falls back to their
// defaults while they are not numbers.
void SettingsDialog::ApplyModes() {
    TMeterSettings& s = MeterSettings;
    s.ballistics = kDesignBallistics;
    for (int32_t value = kDesignBallistics; value <= kIecTypeIIbBallistics; ++value) {
        if (Checked(kBallisticsOptions[value])) s.ballistics = value;
    }
    s.TPover = Checked(DialogToggle::CheckBox4);
    s.TPlevel = FieldText(DialogField::Edit3);
    s.loudness = Checked(DialogToggle::CheckBox5);
    s.target = FieldText(DialogField::Edit4);
}

void SettingsDialog::ToggleClicked(DialogToggle toggle) {
    if (IsBallisticsOption(toggle)) ShowDecayState();
}

void SettingsDialog::FieldEdited(DialogField field) {
    if (field == DialogField::Edit3 || field == DialogField::Edit4) CheckModeField(field);
}

void SettingsDialog::EnableLockedSettings(bool enabled) {
    m_settingsEnabled = enabled;
    SetPanel2Enabled(enabled);
    ShowDecayState();
}

// The field's text stays as it is: the meter goes on reading it at every buffer.
void SettingsDialog::ShowDecayState() {
    const bool iec = !Checked(DialogToggle::RadioButton7);
    SetFieldEnabled(DialogField::Edit2, m_settingsEnabled && !iec);
    SetDecayNoteShown(iec);
}

void SettingsDialog::CheckModeField(DialogField field) {
    SetFieldRefused(field, !ParseCalibration(FieldText(field), DecimalSeparator()));
}

}  // namespace kestrin
