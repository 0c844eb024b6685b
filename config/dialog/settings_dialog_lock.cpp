#include "config/dialog/settings_dialog.h"
#include "config/notice.h"
#include "config/settings.h"

namespace kestrin {
namespace {

const char* const kUnfitPasswordText =
    "The password contains characters that the settings file cannot keep. "
    "Please choose another password.";

}  // namespace

// The box toggles itself on the release of a space bar that pressed it down.
void SettingsDialog::LockSetKeyReleased(bool space, bool pushed) {
    if (space && pushed) LockSetMouseUp();
}

// Whatever the box did on its own, it ends showing Locked. The entry is compared and stored as
// bytes: case counts and nothing is trimmed.
void SettingsDialog::LockSetMouseUp() {
    TMeterSettings& s = MeterSettings;
    if (!s.Locked) {
        const std::string entry = AskPassword("LOCK Settings", "Enter password required to unlock");
        if (entry.empty()) {
            SetChecked(DialogToggle::LockSet, false);
            return;
        }
        // A password the file would give back changed could never unlock after a restart.
        if (!PasswordFitsFile(entry)) {
            SetChecked(DialogToggle::LockSet, false);
            notifier().ShowMessage(kUnfitPasswordText, kErrorCaption);
            return;
        }
        s.Locked = true;
        s.password = entry;
        SetChecked(DialogToggle::LockSet, true);
        EnableLockedSettings(false);
        SetComboBox1Enabled(false);
        return;
    }

    const std::string entry = AskPassword("Unlock Settings", "Enter password to unlock");
    if (entry.empty() || entry != s.password) {
        SetChecked(DialogToggle::LockSet, true);
        return;
    }
    SetChecked(DialogToggle::LockSet, false);
    s.Locked = false;
    EnableLockedSettings(true);
    SetComboBox1Enabled(true);
    s.password.clear();
}

}  // namespace kestrin
