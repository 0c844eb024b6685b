#include <windows.h>

#include "display/bar_geometry.h"
#include "display/win32/form1.h"

namespace kestrin {
namespace {

constexpr const char* kWindowFace = "MS Sans Serif";  // the window's own font
constexpr const char* kScaleFace = "Arial";           // the scale marks
constexpr int kFontPixels = 11;                       // character height, 8 points at 96 dpi
constexpr int kSPlus20LabelPixels = 8;
constexpr int32_t kOverDesignedColour = 70;  // 0x00BBGGRR: dark red until the first buffer
constexpr COLORREF kLabelText = RGB(255, 255, 255);

// Fonts by character height in pixels, whatever the screen's resolution.
HFONT MeterFont(const char* face, int pixels, bool bold) {
    return CreateFontA(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, face);
}

HWND MakeControl(HWND parent, const char* kind, const char* text, DWORD style, DWORD exStyle, int x,
                 int y, int width, int height, HFONT font) {
    HWND control = CreateWindowExA(exStyle, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                                   height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

// A label shows its text as it stands (an ampersand is no accelerator) on one line.
constexpr DWORD kLabelStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX;

std::string TextOf(HWND control) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(
        static_cast<size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

void TForm1::CreateControls() {
    m_font = MeterFont(kWindowFace, kFontPixels, false);
    m_boldFont = MeterFont(kWindowFace, kFontPixels, true);
    m_smallBoldFont = MeterFont(kWindowFace, kSPlus20LabelPixels, true);
    m_scaleFont = MeterFont(kScaleFace, kFontPixels, false);
    SendMessageA(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);

    const auto label = [this](int x, int y, const char* text, HFONT font) {
        HWND control = MakeControl(m_window, "STATIC", "", kLabelStyle, 0, x, y, 0, 0, font);
        FitLabel(control, text);
        return control;
    };
    Label1 = MakeControl(m_window, "STATIC", "", kLabelStyle, 0, 0, 0, 0, 0, m_font);
    Label2 = label(32, 322, "L  R", m_boldFont);
    dBButton = MakeControl(m_window, "BUTTON", "", BS_PUSHBUTTON, 0, 100, 13, 14, 14, m_font);
    Label10 = label(5, 42, "", m_scaleFont);
    Label9 = label(6, 79, "", m_scaleFont);
    Label8 = label(6, 116, "", m_scaleFont);
    Label7 = label(6, 149, "", m_scaleFont);
    Label6 = label(6, 188, "", m_scaleFont);
    Label5 = label(6, 224, "", m_scaleFont);
    Label4 = label(6, 260, "", m_scaleFont);
    over = MakeControl(m_window, "EDIT", "over", ES_READONLY | ES_LEFT | ES_AUTOHSCROLL,
                       WS_EX_CLIENTEDGE, 32, 10, 28, 18, m_font);
    // No margins, so that "over" fits within the indicator's 28 pixels.
    SendMessageA(over, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(0, 0));
    SetOverColour(kOverDesignedColour);
    Label3 = label(74, 322, "M    S", m_boldFont);
    Label11 = label(66, 13, "S+20", m_smallBoldFont);
    MSButton = MakeControl(m_window, "BUTTON", "<", BS_PUSHBUTTON, 0, 8, 320, 17, 17, m_font);
    Label12 = label(8, 295, "", m_font);
    SetScaleLabels();
}

void TForm1::DestroyResources() {
    for (HFONT font : {m_font, m_boldFont, m_smallBoldFont, m_scaleFont}) {
        if (font) DeleteObject(font);
    }
    for (HBRUSH brush : {m_windowBrush, m_overBrush}) {
        if (brush) DeleteObject(brush);
    }
    m_font = m_boldFont = m_smallBoldFont = m_scaleFont = nullptr;
    m_windowBrush = m_overBrush = nullptr;
}

void TForm1::FitLabel(HWND__* label, const std::string& text) {
    HDC dc = GetDC(label);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    SetWindowTextA(label, text.c_str());
    SetWindowPos(label, nullptr, 0, 0, size.cx, metrics.tmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::SetLabelCaption(MeterLabel label, const std::string& text) {
    HWND control = nullptr;
    switch (label) {
        case MeterLabel::Label2:
            control = Label2;
            break;
        case MeterLabel::Label4:
            control = Label4;
            break;
        case MeterLabel::Label5:
            control = Label5;
            break;
        case MeterLabel::Label6:
            control = Label6;
            break;
        case MeterLabel::Label7:
            control = Label7;
            break;
        case MeterLabel::Label8:
            control = Label8;
            break;
        case MeterLabel::Label9:
            control = Label9;
            break;
        case MeterLabel::Label10:
            control = Label10;
            break;
        case MeterLabel::Label12:
            control = Label12;
            break;
    }
    // Every paint sets the scale labels: only a change touches the control.
    if (control && TextOf(control) != text) {
        FitLabel(control, text);
    }
}

void TForm1::SetMSButtonCaption(const std::string& text) {
    if (TextOf(MSButton) != text) {
        SetWindowTextA(MSButton, text.c_str());
    }
}

void TForm1::SetOverColour(int32_t colour) {
    if (colour == m_overColour && m_overBrush) {
        return;
    }
    HBRUSH previous = m_overBrush;
    m_overBrush = CreateSolidBrush(static_cast<COLORREF>(colour));
    m_overColour = colour;
    InvalidateRect(over, nullptr, TRUE);
    if (previous) DeleteObject(previous);
}

void TForm1::SetOverEnabled(bool enabled) {
    if (enabled != m_overEnabled) {
        m_overEnabled = enabled;
        EnableWindow(over, enabled ? TRUE : FALSE);
    }
}

// Scale labels are white on black, on the black scale panel; the names beside and under the bars
// are white on the window's colour; the over indicator black on its own colour.
HBRUSH__* TForm1::ControlColours(HWND__* control, HDC__* dc) {
    if (control == over) {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, static_cast<COLORREF>(m_overColour));
        return m_overBrush;
    }
    for (HWND scaleLabel : {Label4, Label5, Label6, Label7, Label8, Label9, Label10, Label12}) {
        if (control == scaleLabel) {
            SetTextColor(dc, kLabelText);
            SetBkColor(dc, static_cast<COLORREF>(kPanelColour));
            return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        }
    }
    for (HWND label : {Label1, Label2, Label3, Label11}) {
        if (control == label) {
            SetTextColor(dc, kLabelText);
            SetBkColor(dc, static_cast<COLORREF>(m_windowColour));
            return m_windowBrush;
        }
    }
    return nullptr;
}

}  // namespace kestrin
