#include "capture/capture.h"
#include "config/dialog/text_bytes.h"
#include "config/notice.h"
#include "display/device_selection.h"
#include "display/display.h"

namespace kestrin {

void TForm1::FormCreate() {
    SPlus20 = false;
    LoadSettings();

    const std::vector<std::string> devices = ListInputDevices();
    if (MeterSettings.DeviceName.empty()) {
        DeviceIndex = 0;
    } else {
        DeviceIndex = FindDeviceIndex(MeterSettings.DeviceName, devices);
        if (DeviceIndex == -1) {
            notifier().ShowMessage(DeviceNotFoundText(MeterSettings.DeviceName), kErrorCaption);
            DeviceIndex = 0;
        }
    }

    SetChannelLabels();
    ApplySettingFallbacks();
    setWindowTitle(FromBytes(MeterSettings.ShortName));
    // The width for the M/S choice holds from the first show, also where the window manager never
    // activates the new window (focus-stealing prevention, autostart).
    ApplyMSWidth();
    MoveToStoredPosition();
    Decay = ParseDecay(MeterSettings.decay).value_or(kFallbackDecay);
    for (TBarState& bar : Bars) {
        bar.Level = 0;
    }

    // Buffers start coming back once the event loop runs; the settings dialog exists by then.
#ifdef _WIN32
    // The system posts MM_WIM_DATA to the native window; nativeEvent hands it on.
    SetCaptureReceiver(reinterpret_cast<WaveInReceiver>(winId()));
#else
    SetCaptureReceiver(this);
#endif
    OpenCapture();
}

}  // namespace kestrin
