#include "capture/capture.h"
#include "config/dialog/settings_dialog.h"
#include "config/settings.h"

namespace kestrin {

bool SettingsDialog::InUse(int deviceId) const {
    // The device in use is known by what it is, not by its position in a list fetched at another
    // moment; where the sound system can't tell, the position is all there is.
    const std::string inUse = CaptureIdentity();
    const std::string chosen = DeviceIdentity(deviceId);
    if (!inUse.empty() && !chosen.empty()) return chosen == inUse;
    return deviceId == DeviceIndex;
}

void SettingsDialog::Button1Click() { Close(true); }

// The dialog has no Cancel button, so Escape leaves it open: it closes only with OK, its close box
// or the system menu. OK has no default role: Enter in a field or a box leaves it open too.
void SettingsDialog::DialogKeyPressed(DialogKey) {}

void SettingsDialog::Close(bool ok) {
    if (!Showing() || m_closing) return;
    // Cleared however the close steps end, so that a dialog whose steps failed still closes.
    struct Closing {
        bool& flag;
        explicit Closing(bool& f) : flag(f) { flag = true; }
        ~Closing() { flag = false; }
    } closing(m_closing);
    FormClose();
    EndModal(ok);
}

void SettingsDialog::FormClose() {
    // With no entry selected (a name typed into the list's field, or the list shorter than the
    // device in use) the device in use stays, rather than handing the sound system an id of -1.
    const int selected = SelectedDevice();
    if (selected >= 0 && !InUse(selected)) {
        DeviceIndex = selected;
        RestartCapture();
    }
    MeterSettings.ShortName = FieldText(DialogField::ShortNameBox);
    if (selected >= 0) {
        DeviceIndex = selected;
        MeterSettings.DeviceName = DeviceName(selected);
    }
}

}  // namespace kestrin
