#include "config/dialog/win32/win32_controls.h"

#include <map>
#include <tuple>

#include "config/notice.h"

namespace kestrin::win32 {

HFONT MakeFont(const FontSpec& spec) {
    static std::map<std::tuple<Face, int, bool, bool>, HFONT> fonts;
    const auto key = std::make_tuple(spec.face, spec.pixels, spec.bold, spec.underline);
    if (auto found = fonts.find(key); found != fonts.end()) return found->second;
    LOGFONTA font{};
    font.lfHeight = -spec.pixels;
    font.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
    font.lfUnderline = spec.underline ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynA(font.lfFaceName, spec.face == Face::Arial ? "Arial" : "MS Sans Serif", LF_FACESIZE);
    HFONT handle = CreateFontIndirectA(&font);
    fonts.emplace(key, handle);
    return handle;
}

HFONT MakeFont(ControlFont font) {
    switch (font) {
        case ControlFont::Window:
            break;
        case ControlFont::WindowBold:
            return MakeFont({Face::SansSerif, 11, true});
        case ControlFont::SmallBold:
            return MakeFont({Face::SansSerif, 8, true});
        case ControlFont::Scale:
            return MakeFont({Face::Arial, 11});
        case ControlFont::Large:
            return MakeFont({Face::SansSerif, 13});
        case ControlFont::LargeBold:
            return MakeFont({Face::SansSerif, 13, true});
        case ControlFont::Text:
            return MakeFont({Face::Arial, 13});
        case ControlFont::Link:
            return MakeFont({Face::Arial, 13, false, true});
        case ControlFont::Title:
            return MakeFont({Face::Arial, 16, true});
    }
    return MakeFont(FontSpec{});
}

void ReleaseForm(HWND window) { SetWindowLongPtrA(window, GWLP_USERDATA, 0); }

void ShowHandlerError(const char* text) {
    HWND owner = GetActiveWindow();
    const UINT modality = owner ? MB_APPLMODAL : MB_TASKMODAL;
    MessageBoxA(owner, text, kApplicationTitle, MB_OK | MB_ICONERROR | modality);
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

SIZE TextSize(HFONT font, const std::string& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size;
}

HWND MakeControl(HWND parent, const char* windowClass, const char* text, DWORD style, int x, int y,
                 int width, int height, HFONT font, DWORD exStyle, int id) {
    static int lastId = 100;
    HWND control = CreateWindowExA(
        exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id ? id : ++lastId)),
        GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

HWND MakeLabel(HWND parent, const char* text, int x, int y, HFONT font) {
    const SIZE size = TextSize(font, text);
    return MakeControl(parent, "STATIC", text, SS_LEFTNOWORDWRAP | SS_NOPREFIX, x, y, size.cx,
                       size.cy, font);
}

void FitLabel(HWND label, const std::string& text) {
    HDC dc = GetDC(label);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    // An empty text still takes a line's height.
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    SetWindowTextA(label, text.c_str());
    SetWindowPos(label, nullptr, 0, 0, size.cx, metrics.tmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace kestrin::win32
