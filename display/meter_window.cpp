#include "display/meter_window.h"

#include "capture/capture.h"
#include "config/dialog/settings_dialog.h"
#include "config/notice.h"
#include "config/settings.h"
#include "display/bar_geometry.h"
#include "display/device_selection.h"
#include "measure/level_text.h"

namespace kestrin {

bool SPlus20 = false;
int32_t Decay = kFallbackDecay;
int32_t OverCount = 0;
int32_t Baseline = 0;
TLevelTable LevelTable = {};

namespace {

MeterWindow* theMeterWindow = nullptr;

// The store's view of the windows: the lock check box of the settings dialog (the stored lock
// state while there is no dialog) and the meter window's frame position (the stored one while
// there is no meter window).
class MeterSettingsHost : public SettingsHost {
  public:
    bool LockSetChecked() const override {
        const SettingsDialog* dialog = TheSettingsDialog();
        return dialog ? dialog->Checked(DialogToggle::LockSet) : MeterSettings.Locked;
    }
    int32_t WindowLeft() const override {
        return theMeterWindow ? theMeterWindow->FrameLeft() : MeterSettings.left;
    }
    int32_t WindowTop() const override {
        return theMeterWindow ? theMeterWindow->FrameTop() : MeterSettings.top;
    }
};

MeterSettingsHost settingsHost;

}  // namespace

bool ApplyAlwaysOnTop(const std::string& caption, bool onTop) {
    return theMeterWindow && theMeterWindow->ApplyTopmost(caption, onTop);
}

MeterWindow::MeterWindow() {
    theMeterWindow = this;
    SetSettingsHost(&settingsHost);
}

MeterWindow::~MeterWindow() {
    if (theMeterWindow == this) {
        theMeterWindow = nullptr;
        SetSettingsHost(nullptr);
    }
}

void MeterWindow::FormCreate() {
    SetWindowColour(kWindowColour);
    SetOverState(kOverDesigned, true);
    SetScaleLabels();  // as laid out, until the first paint sets them from the settings
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
    SetCaption(MeterSettings.ShortName);
    ApplyLoudnessChoice();
    // The width for the M/S choice holds from the first show, also where the window manager never
    // activates the new window (focus-stealing prevention, autostart).
    ApplyMSWidth();
    MoveFrameTo(MeterSettings.left, MeterSettings.top);
    Decay = ParseDecay(MeterSettings.decay).value_or(kFallbackDecay);
    for (TBarState& bar : Bars) {
        bar.Level = 0;
    }

    // Buffers start coming back once the event loop runs; the settings dialog exists by then.
    ReceiveCaptureBuffers();
    OpenCapture();
}

void MeterWindow::FormCloseQuery(bool& CanClose) { (void)CanClose; }

// The width is set first, so that the placement knows the size of the frame it places.
void MeterWindow::FormActivate() {
    ApplyMSWidth();
    MoveFrameTo(MeterSettings.left, MeterSettings.top);
}

void MeterWindow::FormClose() {
    // A position that can't be written is reported; the window closes all the same, since the
    // operator asked to end the program and nothing else is lost.
    try {
        SavePosition();
    } catch (const SettingsWriteError& error) {
        notifier().ShowError(error.what());
    }
}

void MeterWindow::ApplyMSWidth() {
    SetClientSize(MeterClientWidth(MeterSettings.showMS, m_loudnessShown),
                  MeterClientHeight(m_loudnessShown));
    if (!MeterSettings.showMS) {
        SetMSButtonCaption(">");
    }
}

// The meter window is looked up by its caption alone, as the step asks: under a display name
// changed in the dialog without OK it is not found, and its stacking stays as it was. Its
// stacking is touched only when it differs, since every paint asks.
bool MeterWindow::ApplyTopmost(const std::string& caption, bool onTop) {
    if (caption != m_caption) {
        return false;
    }
    if (Topmost() != onTop) {
        SetTopmost(onTop);
    }
    return true;
}

}  // namespace kestrin
