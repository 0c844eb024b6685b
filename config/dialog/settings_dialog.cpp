#include "config/dialog/settings_dialog.h"

#include "capture/capture.h"
#include "config/settings.h"

namespace kestrin {
namespace {

const char* const kVersionCaption = "Kestrin Version 1.76";

SettingsDialog* theSettingsDialog = nullptr;

}  // namespace

SettingsDialog* TheSettingsDialog() { return theSettingsDialog; }

SettingsDialog::SettingsDialog() { theSettingsDialog = this; }

SettingsDialog::~SettingsDialog() {
    if (theSettingsDialog == this) theSettingsDialog = nullptr;
}

void SettingsDialog::FillFromSettings(const std::vector<std::string>& deviceNames) {
    if (deviceNames.size() < 2) DeviceIndex = 0;
    // The list was fetched anew, and the default input comes first: when that changed since the
    // device in use was opened, its position moved. DeviceIndex follows it there.
    const std::string inUse = CaptureIdentity();
    if (!inUse.empty()) {
        for (size_t id = 0; id < deviceNames.size(); ++id) {
            if (DeviceIdentity(static_cast<int32_t>(id)) == inUse) {
                DeviceIndex = static_cast<int32_t>(id);
            }
        }
    }
    // An id past the shortened list selects nothing; the close then keeps the device in use.
    const bool listed = DeviceIndex >= 0 && DeviceIndex < static_cast<int32_t>(deviceNames.size());
    FillDeviceList(deviceNames, listed ? DeviceIndex : -1);

    SetVersionCaption(kVersionCaption);

    const TMeterSettings& s = MeterSettings;
    SetFieldText(DialogField::Edit1, s.cal);
    SetFieldText(DialogField::Edit2, s.decay);
    // A longer name from a hand-edited file is shown whole; typing cannot lengthen it further.
    LimitShortNameTo(s.ShortName);
    SetFieldText(DialogField::ShortNameBox, s.ShortName);
    SetChecked(DialogToggle::CheckBox1, s.amber);
    SetChecked(DialogToggle::CheckBox2, s.OnTop);
    SetChecked(DialogToggle::CheckBox3, s.PeakHold);
    SetChecked(DialogToggle::RadioButton1, !s.dbScale);
    SetChecked(DialogToggle::RadioButton2, s.dbScale);
    SetChecked(DialogToggle::RadioButton3, s.Msix);
    SetChecked(DialogToggle::RadioButton4, !s.Msix);
    SetChecked(DialogToggle::RadioButton5, s.ABLR);
    SetChecked(DialogToggle::RadioButton6, !s.ABLR);
    SetSwatchColour(Swatch::Abar, s.Acolor);
    SetSwatchColour(Swatch::Bbar, s.Bcolor);
    SetSwatchColour(Swatch::Mbar, s.Mcolor);
    SetSwatchColour(Swatch::Sbar, s.Scolor);

    if (s.Locked) {
        SetChecked(DialogToggle::LockSet, true);
        SetPanel2Enabled(false);
    }
}

// The texts are taken as typed, not validated: the pipeline tells what a text that is not a
// number does.
void SettingsDialog::ApplyToSettings() {
    TMeterSettings& s = MeterSettings;
    s.cal = FieldText(DialogField::Edit1);
    s.decay = FieldText(DialogField::Edit2);
    s.amber = Checked(DialogToggle::CheckBox1);
    s.OnTop = Checked(DialogToggle::CheckBox2);
    s.PeakHold = Checked(DialogToggle::CheckBox3);
    s.dbScale = Checked(DialogToggle::RadioButton2);
    s.ABLR = Checked(DialogToggle::RadioButton5);
    s.Msix = Checked(DialogToggle::RadioButton3);
    s.Acolor = SwatchColour(Swatch::Abar);
    s.Bcolor = SwatchColour(Swatch::Bbar);
    s.Mcolor = SwatchColour(Swatch::Mbar);
    s.Scolor = SwatchColour(Swatch::Sbar);
}

void SettingsDialog::RestoreFields() {
    SetFieldText(DialogField::Edit1, MeterSettings.cal);
    SetFieldText(DialogField::Edit2, MeterSettings.decay);
}

// A click on a swatch is a left press and its release inside the same swatch.
void SettingsDialog::SwatchPressed(Swatch swatch) { m_pressedSwatch = swatch; }

void SettingsDialog::SwatchReleased(Swatch swatch, bool inside) {
    const bool click = m_pressedSwatch == swatch && inside;
    m_pressedSwatch.reset();
    if (!click) return;
    switch (swatch) {
        case Swatch::Abar:
            AbarClick();
            break;
        case Swatch::Bbar:
            BbarClick();
            break;
        case Swatch::Mbar:
            MbarClick();
            break;
        case Swatch::Sbar:
            SbarClick();
            break;
    }
}

void SettingsDialog::CheckDesignedOptions() {
    for (DialogToggle option :
         {DialogToggle::RadioButton3, DialogToggle::RadioButton1, DialogToggle::RadioButton5}) {
        SetChecked(option, true);
    }
}

void SettingsDialog::AbarClick() { ChooseSwatchColour(Swatch::Abar); }
void SettingsDialog::BbarClick() { ChooseSwatchColour(Swatch::Bbar); }
void SettingsDialog::MbarClick() { ChooseSwatchColour(Swatch::Mbar); }
void SettingsDialog::SbarClick() { ChooseSwatchColour(Swatch::Sbar); }

// The chooser opens on the colour last confirmed in it, not on the swatch's; the new colour
// reaches the meter only with OK.
void SettingsDialog::ChooseSwatchColour(Swatch swatch) {
    const std::optional<int32_t> chosen = ChooseColour(m_lastChosen);
    if (!chosen) return;
    m_lastChosen = *chosen & 0xFFFFFF;
    SetSwatchColour(swatch, m_lastChosen);
}

void SettingsDialog::Label17DblClick() { OpenHelp(); }

}  // namespace kestrin
