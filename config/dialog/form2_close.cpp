#include <QComboBox>
#include <QLineEdit>

#include "capture/capture.h"
#include "config/dialog/form2.h"
#include "config/dialog/text_bytes.h"
#include "config/settings.h"

namespace kestrin {

void TForm2::done(int result) {
    // QDialog::done() sends no close event: the close steps run here, for OK, the close box and
    // Escape alike. A dialog that is not showing has nothing to close.
    if (isVisible()) FormClose();
    QDialog::done(result);
}

int TForm2::SelectedDevice() const {
    const int index = ComboBox1->currentIndex();
    if (index < 0 || index >= ComboBox1->count()) return -1;
    if (ComboBox1->currentText() != ComboBox1->itemText(index)) return -1;
    return index;
}

bool TForm2::InUse(int deviceId) const {
    // The device in use is known by what it is, not by its position in a list fetched at another
    // moment; where the sound system can't tell, the position is all there is.
    const std::string inUse = CaptureIdentity();
    const std::string chosen = DeviceIdentity(deviceId);
    if (!inUse.empty() && !chosen.empty()) return chosen == inUse;
    return deviceId == DeviceIndex;
}

void TForm2::FormClose() {
    // With no entry selected (a name typed into the list's field, or the list shorter than the
    // device in use) the device in use stays, rather than handing the sound system an id of -1.
    const int selected = SelectedDevice();
    if (selected >= 0 && !InUse(selected)) {
        DeviceIndex = selected;
        RestartCapture();
    }
    TakeText(MeterSettings.ShortName, ShortNameBox->text());
    if (selected >= 0) {
        DeviceIndex = selected;
        MeterSettings.DeviceName = ComboBox1->itemData(selected).toByteArray().toStdString();
    }
}

}  // namespace kestrin
