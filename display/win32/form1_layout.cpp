#include <windows.h>

#include "config/dialog/win32/win32_controls.h"
#include "display/bar_geometry.h"
#include "display/win32/form1.h"

namespace kestrin {
namespace {

// A label shows its text as it stands (an ampersand is no accelerator) on one line.
constexpr DWORD kLabelStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX;

struct NativeKind {
    const char* windowClass;
    DWORD style;
    DWORD exStyle;
};

NativeKind KindOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::ReadOnlyEdit:
            return {"EDIT", ES_READONLY | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::PushButton:
            return {"BUTTON", BS_PUSHBUTTON, 0};
        default:
            return {"STATIC", kLabelStyle, 0};
    }
}

constexpr COLORREF kLabelText = static_cast<COLORREF>(kLabelTextColour);
// The loudness column's controls take ids of their own, so that those of the settings dialog,
// created after the meter window, stay what they were.
constexpr int kLoudnessControlIds = 900;

}  // namespace

void TForm1::CreateControls() {
    SendMessageA(m_window, WM_SETFONT,
                 reinterpret_cast<WPARAM>(win32::MakeFont(ControlFont::Window)), FALSE);
    for (std::size_t i = 0; i < kMeterControls.size(); ++i) {
        const ControlRow& row = kMeterControls[i];
        const NativeKind kind = KindOf(row.kind);
        const bool label = kind.style == kLabelStyle;
        const bool designed = i < kDesignedMeterControlCount;
        m_controls[i] = win32::MakeControl(
            m_window, kind.windowClass, label ? "" : row.caption, kind.style, row.left, row.top,
            row.width, row.height, win32::MakeFont(row.font), kind.exStyle,
            designed ? 0 : kLoudnessControlIds + static_cast<int>(i));
        if (label && *row.caption) {
            win32::FitLabel(m_controls[i], row.caption);
        }
        if (!designed) {
            ShowWindow(m_controls[i], SW_HIDE);  // until the meter shows the loudness column
        }
    }
    // No margins, so that "over" fits within the indicator's 28 pixels.
    SendMessageA(Control(MeterControl::over), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                 MAKELONG(0, 0));
}

// The fonts live for the run.
void TForm1::DestroyResources() {
    for (HBRUSH brush : {m_windowBrush, m_overBrush}) {
        if (brush) DeleteObject(brush);
    }
    m_windowBrush = m_overBrush = nullptr;
}

void TForm1::ShowLabelCaption(MeterControl label, const std::string& text) {
    if (kMeterControls[Index(label)].width != 0) {
        SetWindowTextA(Control(label), text.c_str());  // a label of a fixed size
    } else {
        win32::FitLabel(Control(label), text);
    }
}

void TForm1::ShowMSButtonCaption(const std::string& text) {
    SetWindowTextA(Control(MeterControl::MSButton), text.c_str());
}

void TForm1::ShowButtonCaption(MeterControl button, const std::string& text) {
    SetWindowTextA(Control(button), text.c_str());
}

void TForm1::PlaceControl(MeterControl control, bool shown, int left, int top) {
    SetWindowPos(
        Control(control), nullptr, left, top, 0, 0,
        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TForm1::ShowOverColour(int32_t colour) {
    HBRUSH previous = m_overBrush;
    m_overBrush = CreateSolidBrush(static_cast<COLORREF>(colour));
    m_overColour = colour;
    InvalidateRect(Control(MeterControl::over), nullptr, TRUE);
    if (previous) DeleteObject(previous);
}

void TForm1::ShowOverEnabled(bool enabled) {
    EnableWindow(Control(MeterControl::over), enabled ? TRUE : FALSE);
}

// Scale labels are white on black, on the black scale panel; the names beside and under the bars
// are white on the window's colour; the over indicator black on its own colour.
HBRUSH__* TForm1::ControlColours(HWND__* control, HDC__* dc) {
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        if (m_controls[i] != control) {
            continue;
        }
        switch (kMeterControls[i].kind) {
            case ControlKind::ReadOnlyEdit:
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                SetBkColor(dc, static_cast<COLORREF>(m_overColour));
                return m_overBrush;
            case ControlKind::ScaleLabel:
                SetTextColor(dc, kLabelText);
                SetBkColor(dc, static_cast<COLORREF>(kPanelColour));
                return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
            case ControlKind::Label:
                SetTextColor(dc, kLabelText);
                SetBkColor(dc, static_cast<COLORREF>(m_windowColour));
                return m_windowBrush;
            default:
                return nullptr;
        }
    }
    return nullptr;
}

}  // namespace kestrin
