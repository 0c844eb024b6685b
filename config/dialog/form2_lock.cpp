#include <QComboBox>
#include <QFrame>

#include "config/dialog/dialog_widgets.h"
#include "config/dialog/form2.h"
#include "config/notice.h"
#include "config/settings.h"

namespace kestrin {
namespace {

const char* const kUnfitPasswordText =
    "The password contains characters that the settings file cannot keep. "
    "Please choose another password.";
const char* const kErrorCaption = " Kestrin Error";

}  // namespace

// Whatever the box did on its own, it ends showing Locked. The entry is compared and stored as
// bytes: case counts and nothing is trimmed.
void TForm2::LockSetMouseUp() {
    TMeterSettings& s = MeterSettings;
    if (!s.Locked) {
        const std::string entry =
            PasswordPrompt("LOCK Settings", "Enter password required to unlock").toStdString();
        if (entry.empty()) {
            LockSet->setChecked(false);
            return;
        }
        // A password the file would give back changed could never unlock after a restart.
        if (!PasswordFitsFile(entry)) {
            LockSet->setChecked(false);
            notifier().ShowMessage(kUnfitPasswordText, kErrorCaption);
            return;
        }
        s.Locked = true;
        s.password = entry;
        LockSet->setChecked(true);
        Panel2->setEnabled(false);
        ComboBox1->setEnabled(false);
        return;
    }

    const std::string entry =
        PasswordPrompt("Unlock Settings", "Enter password to unlock").toStdString();
    if (entry.empty() || entry != s.password) {
        LockSet->setChecked(true);
        return;
    }
    LockSet->setChecked(false);
    s.Locked = false;
    Panel2->setEnabled(true);
    ComboBox1->setEnabled(true);
    s.password.clear();
}

}  // namespace kestrin
