#include "config/dialog/settings_dialog.h"

#include "capture/capture.h"
#include "config/settings.h"

namespace kestrin {
namespace {

const char* const kVersionCaption = "Kestrin Version 1.76";

SettingsDialog* theSettingsDialog = nullptr;

// The check boxes and option buttons, each checked while its setting equals `shows`, in the order
// the opening sets them.
struct ToggleSetting {
    DialogToggle toggle;
    bool TMeterSettings::*setting;
    bool shows;
};
constexpr ToggleSetting kToggleSettings[] = {
    {DialogToggle::CheckBox1, &TMeterSettings::amber, true},
    {DialogToggle::CheckBox2, &TMeterSettings::OnTop, true},
    {DialogToggle::CheckBox3, &TMeterSettings::PeakHold, true},
    {DialogToggle::RadioButton1, &TMeterSettings::dbScale, false},
    {DialogToggle::RadioButton2, &TMeterSettings::dbScale, true},
    {DialogToggle::RadioButton3, &TMeterSettings::Msix, true},
    {DialogToggle::RadioButton4, &TMeterSettings::Msix, false},
    {DialogToggle::RadioButton5, &TMeterSettings::ABLR, true},
    {DialogToggle::RadioButton6, &TMeterSettings::ABLR, false},
};

// The colour each swatch shows.
int32_t TMeterSettings::*SwatchSetting(Swatch swatch) {
    constexpr int32_t TMeterSettings::*kColours[] = {
        &TMeterSettings::Acolor, &TMeterSettings::Bcolor, &TMeterSettings::Mcolor,
        &TMeterSettings::Scolor};
    return kColours[static_cast<size_t>(swatch)];
}

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
    for (const ToggleSetting& t : kToggleSettings) SetChecked(t.toggle, s.*t.setting == t.shows);
    for (Swatch swatch : kSwatches) SetSwatchColour(swatch, s.*SwatchSetting(swatch));
    FillModes();

    if (s.Locked) {
        SetChecked(DialogToggle::LockSet, true);
        EnableLockedSettings(false);
    }
}

// The texts are taken as typed, not validated: the pipeline tells what a text that is not a
// number does.
void SettingsDialog::ApplyToSettings() {
    TMeterSettings& s = MeterSettings;
    s.cal = FieldText(DialogField::Edit1);
    s.decay = FieldText(DialogField::Edit2);
    // Each option pair is read from the button that shows the setting on.
    for (const ToggleSetting& t : kToggleSettings) {
        if (t.shows) s.*t.setting = Checked(t.toggle);
    }
    for (Swatch swatch : kSwatches) s.*SwatchSetting(swatch) = SwatchColour(swatch);
    ApplyModes();
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
            return AbarClick();
        case Swatch::Bbar:
            return BbarClick();
        case Swatch::Mbar:
            return MbarClick();
        case Swatch::Sbar:
            return SbarClick();
    }
}

void SettingsDialog::CheckDesignedOptions() {
    for (DialogToggle option : {DialogToggle::RadioButton3, DialogToggle::RadioButton1,
                                DialogToggle::RadioButton5, DialogToggle::RadioButton7}) {
        SetChecked(option, true);
    }
    SetDecayNoteShown(false);
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
