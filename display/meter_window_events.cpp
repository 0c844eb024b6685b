#include "capture/capture.h"
#include "config/dialog/settings_dialog.h"
#include "config/settings.h"
#include "display/bar_geometry.h"
#include "display/meter_window.h"

namespace kestrin {

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
        SetClientWidth(kNarrowClientWidth);
        SetMSButtonCaption(">");
        SPlus20 = false;
        SetWindowColour(kWindowColour);
    } else {
        MeterSettings.showMS = true;
        SetClientWidth(kWideClientWidth);
        SetMSButtonCaption("<");
    }
}

// The settings dialog opens on a press of the right button: filled from the settings, shown
// modally while the meter keeps running behind it (its loop goes on delivering the capture's
// buffers), applied and saved on OK, its two live fields put back otherwise. The device and the
// display name are taken by the dialog's own close steps, whichever way it closes.
void MeterWindow::FormMouseDown(MouseButton Button, int X, int Y) {
    (void)X;
    (void)Y;
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
        SaveSettings();  // a failed write is reported by the application and skips the rest
    } else {
        dialog->RestoreFields();
    }
    ApplyAlwaysOnTop(MeterSettings.ShortName, MeterSettings.OnTop);
}

void MeterWindow::SetChannelLabels() {
    SetLabelCaption(MeterLabel::Label2, MeterSettings.ABLR ? "A  B" : "L  R");
}

void MeterWindow::SetScaleLabels() {
    struct Captions {
        const char* marks[7];  // Label4 (mark 1) to Label10 (mark 7)
        const char* unit;      // Label12
    };
    static constexpr Captions kDecibels = {{"-12", " -8", " -4", "  0", " +4", " +8", "+12"}, "dB"};
    static constexpr Captions kMarks = {{"  1", "  2", "  3", "  4", "  5", "  6", "  7"}, ""};
    static constexpr MeterLabel kMarkLabels[7] = {
        MeterLabel::Label4, MeterLabel::Label5, MeterLabel::Label6, MeterLabel::Label7,
        MeterLabel::Label8, MeterLabel::Label9, MeterLabel::Label10};
    const Captions& captions = MeterSettings.dbScale ? kDecibels : kMarks;
    for (int i = 0; i < 7; ++i) {
        SetLabelCaption(kMarkLabels[i], captions.marks[i]);
    }
    SetLabelCaption(MeterLabel::Label12, captions.unit);
}

// A change of colour repaints the window, which erases it in the new colour.
void MeterWindow::SetWindowColour(int32_t colour) {
    if (colour == m_windowColour) {
        return;
    }
    m_windowColour = colour;
    PaintWindowColour(colour);
}

// The colour is touched only on a change: the pipeline asks for one at every buffer.
void MeterWindow::SetOverState(int32_t colour, bool enabled) {
    if (colour != m_overColour) {
        m_overColour = colour;
        SetOverColour(colour);
    }
    SetOverEnabled(enabled);
}

}  // namespace kestrin
