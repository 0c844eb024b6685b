#include <windows.h>

#include "display/bar_geometry.h"
#include "display/win32/form1.h"

namespace kestrin {
namespace {

// The faces of ControlFont, at character heights in pixels (11 is 8 points at 96 dpi).
struct FontFace {
    const char* face;
    int pixels;
    bool bold;
};
constexpr FontFace kFaces[] = {
    {"MS Sans Serif", 11, false},  // ControlFont::Window
    {"MS Sans Serif", 11, true},   // ControlFont::WindowBold
    {"MS Sans Serif", 8, true},    // ControlFont::SmallBold
    {"Arial", 11, false},          // ControlFont::Scale
};

// Fonts by character height in pixels, whatever the screen's resolution.
HFONT MeterFont(const FontFace& face) {
    return CreateFontA(-face.pixels, 0, 0, 0, face.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, face.face);
}

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

}  // namespace

void TForm1::CreateControls() {
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        m_fonts[i] = MeterFont(kFaces[i]);
    }
    SendMessageA(m_window, WM_SETFONT,
                 reinterpret_cast<WPARAM>(m_fonts[static_cast<std::size_t>(ControlFont::Window)]),
                 FALSE);
    for (std::size_t i = 0; i < kMeterControls.size(); ++i) {
        const ControlRow& row = kMeterControls[i];
        const NativeKind kind = KindOf(row.kind);
        const bool label = kind.style == kLabelStyle;
        HWND control =
            CreateWindowExA(kind.exStyle, kind.windowClass, label ? "" : row.caption,
                            WS_CHILD | WS_VISIBLE | kind.style, row.left, row.top, row.width,
                            row.height, m_window, nullptr, GetModuleHandleA(nullptr), nullptr);
        SendMessageA(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(m_fonts[static_cast<std::size_t>(row.font)]), FALSE);
        if (label && *row.caption) {
            FitLabel(control, row.caption);
        }
        m_controls[i] = control;
    }
    // No margins, so that "over" fits within the indicator's 28 pixels.
    SendMessageA(Control(MeterControl::over), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                 MAKELONG(0, 0));
}

void TForm1::DestroyResources() {
    for (HFONT& font : m_fonts) {
        if (font) DeleteObject(font);
        font = nullptr;
    }
    for (HBRUSH brush : {m_windowBrush, m_overBrush}) {
        if (brush) DeleteObject(brush);
    }
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

void TForm1::ShowLabelCaption(MeterControl label, const std::string& text) {
    FitLabel(Control(label), text);
}

void TForm1::ShowMSButtonCaption(const std::string& text) {
    SetWindowTextA(Control(MeterControl::MSButton), text.c_str());
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
