#include "capture/capture.h"
#include "config/dialog/settings_dialog.h"
#include "config/settings.h"
#include "display/bar_geometry.h"
#include "display/meter_window.h"

namespace kestrin {

void MeterWindow::Activated(bool fromOwnWindow) {
    const bool due = !m_activated || m_focusToOwnWindow || fromOwnWindow;
    m_activated = true;
    m_focusToOwnWindow = false;
    if (due) {
        FormActivate();
    }
}

void MeterWindow::Deactivated(bool toOwnWindow) { m_focusToOwnWindow = toOwnWindow; }

void MeterWindow::LeftPressed() {
    m_leftPressed = true;
    FormMouseDown(MouseButton::Left);
}

void MeterWindow::LeftReleased(bool inside) {
    const bool click = m_leftPressed && inside;
    m_leftPressed = false;
    if (click) {
        FormClick();
    }
}

void MeterWindow::RightPressed() { FormMouseDown(MouseButton::Right); }

bool MeterWindow::CloseRequested() {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose) {
        FormClose();
    }
    return canClose;
}

// The whole surface as laid out: what lies outside the client area is the toolkit's to leave.
void MeterWindow::PaintRequested() {
    FillRect(PixelRect{0, 0, PaintedWidth(), MeterClientHeight(m_loudnessShown)}, m_windowColour);
    FormPaint();
}

// The pipeline reads and writes the settings dialog's fields. A capture failure during start-up
// shows its box before the dialog exists, and the box's loop dispatches the buffers that the
// failed device hands back: they wait here, none lost, and the program ends when the box is
// dismissed.
void MeterWindow::BufferReturned(HWAVEIN device, WAVEHDR* header) {
    if (!TheSettingsDialog()) {
        m_heldBuffers.emplace_back(device, header);
        return;
    }
    DeliverHeldBuffers();
    MMWimData(device, header);
}

// Once the dialog exists, buffers held until then go through the pipeline from the event loop.
bool MeterWindow::DeliveryDue() {
    if (m_deliveryPosted || m_heldBuffers.empty() || !TheSettingsDialog()) {
        return false;
    }
    m_deliveryPosted = true;
    return true;
}

void MeterWindow::DeliveryArrived() {
    m_deliveryPosted = false;
    DeliverHeldBuffers();
}

void MeterWindow::DeliverHeldBuffers() {
    while (TheSettingsDialog() && !m_heldBuffers.empty()) {
        const auto [device, header] = m_heldBuffers.front();
        m_heldBuffers.erase(m_heldBuffers.begin());
        MMWimData(device, header);
    }
}

void MeterWindow::FormClick() {
    SetOverState(kOverDark, false);
    ResetHolds(Bars);
}

void MeterWindow::dBButtonClick() {
    if (SPlus20) {
        SPlus20 = false;
        SetWindowColour(kWindowColour);
    } else {
        SPlus20 = true;
        SetWindowColour(kSPlus20WindowColour);
    }
}

void MeterWindow::MSButtonClick() {
    if (MeterSettings.showMS) {
        MeterSettings.showMS = false;
        SetClientSize(MeterClientWidth(false, m_loudnessShown), MeterClientHeight(m_loudnessShown));
        SetMSButtonCaption(">");
        SPlus20 = false;
        SetWindowColour(kWindowColour);
    } else {
        MeterSettings.showMS = true;
        SetClientSize(MeterClientWidth(true, m_loudnessShown), MeterClientHeight(m_loudnessShown));
        SetMSButtonCaption("<");
    }
    if (m_loudnessShown) {
        PlaceLoudnessControls();
    }
}

// The settings dialog opens on a press of the right button: filled from the settings, shown
// modally while the meter keeps running behind it (its loop goes on delivering the capture's
// buffers), applied and saved on OK, its two live fields put back otherwise. The device and the
// display name are taken by the dialog's own close steps, whichever way it closes.
void MeterWindow::FormMouseDown(MouseButton Button) {
    if (Button != MouseButton::Right) {
        return;
    }
    SettingsDialog* dialog = TheSettingsDialog();
    dialog->FillFromSettings(ListInputDevices());
    if (dialog->ShowModal()) {
        dialog->ApplyToSettings();
        SetCaption(MeterSettings.ShortName);
        SetChannelLabels();
        SetScaleLabels();
        ApplyLoudnessChoice();
        SaveSettings();  // a failed write is reported by the application and skips the rest
    } else {
        dialog->RestoreFields();
    }
    ApplyAlwaysOnTop(MeterSettings.ShortName, MeterSettings.OnTop);
}

}  // namespace kestrin
