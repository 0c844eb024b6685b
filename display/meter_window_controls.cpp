#include "config/settings.h"
#include "display/bar_geometry.h"
#include "display/meter_window.h"

// What the meter shows in its controls and colours. The scale labels are set at every paint and
// the over indicator at every buffer: a control is touched only when what it shows changes.

namespace kestrin {

void MeterWindow::SetChannelLabels() {
    SetLabelCaption(MeterControl::Label2, MeterSettings.ABLR ? "A  B" : "L  R");
}

void MeterWindow::SetScaleLabels() {
    struct Captions {
        const char* marks[7];  // Label4 (mark 1) to Label10 (mark 7)
        const char* unit;      // Label12
    };
    static constexpr Captions kDecibels = {{"-12", " -8", " -4", "  0", " +4", " +8", "+12"}, "dB"};
    static constexpr Captions kMarks = {{"  1", "  2", "  3", "  4", "  5", "  6", "  7"}, ""};
    static constexpr MeterControl kMarkLabels[7] = {
        MeterControl::Label4, MeterControl::Label5, MeterControl::Label6, MeterControl::Label7,
        MeterControl::Label8, MeterControl::Label9, MeterControl::Label10};
    const Captions& captions = MeterSettings.dbScale ? kDecibels : kMarks;
    for (int i = 0; i < 7; ++i) {
        SetLabelCaption(kMarkLabels[i], captions.marks[i]);
    }
    SetLabelCaption(MeterControl::Label12, captions.unit);
}

void MeterWindow::SetCaption(const std::string& text) {
    if (text != m_caption) {
        m_caption = text;
        ShowCaption(text);
    }
}

void MeterWindow::SetLabelCaption(MeterControl label, const std::string& text) {
    std::string& shown = m_captions[Index(label)];
    if (text != shown) {
        shown = text;
        ShowLabelCaption(label, text);
    }
}

void MeterWindow::SetMSButtonCaption(const std::string& text) {
    std::string& shown = m_captions[Index(MeterControl::MSButton)];
    if (text != shown) {
        shown = text;
        ShowMSButtonCaption(text);
    }
}

// A change of colour repaints the window, which erases it in the new colour.
void MeterWindow::SetWindowColour(int32_t colour) {
    if (colour != m_windowColour) {
        m_windowColour = colour;
        PaintWindowColour(colour);
    }
}

void MeterWindow::SetOverState(int32_t colour, bool enabled) {
    if (colour != m_overColour) {
        m_overColour = colour;
        ShowOverColour(colour);
    }
    if (enabled != m_overEnabled) {
        m_overEnabled = enabled;
        ShowOverEnabled(enabled);
    }
}

}  // namespace kestrin
