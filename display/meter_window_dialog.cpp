#include "capture/capture.h"
#include "config/dialog/form2.h"
#include "config/dialog/text_bytes.h"
#include "config/settings.h"
#include "display/display.h"

namespace kestrin {

// The settings dialog opens on a press of the right button: filled from the settings, shown
// modally while the meter keeps running behind it (its loop goes on delivering the capture's
// buffers), applied and saved on OK, its two live fields put back otherwise. The device and the
// display name are taken by the dialog's own close steps, whichever way it closes.
void TForm1::FormMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    (void)Shift;
    (void)X;
    (void)Y;
    if (Button != Qt::RightButton) {
        return;
    }
    Form2->FillFromSettings(ListInputDevices());
    if (Form2->exec() == QDialog::Accepted) {
        Form2->ApplyToSettings();
        setWindowTitle(FromBytes(MeterSettings.ShortName));
        SetChannelLabels();
        SetScaleLabels();
        SaveSettings();  // a failed write is reported by the application and skips the rest
    } else {
        Form2->RestoreFields();
    }
    ApplyAlwaysOnTop(MeterSettings.ShortName, MeterSettings.OnTop);
}

}  // namespace kestrin
