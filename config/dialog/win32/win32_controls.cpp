#include "config/dialog/win32/win32_controls.h"

#include <map>

#include "config/dialog/win32/message_box_text.h"
#include "config/notice.h"

namespace kestrin::win32 {

HFONT MakeFont(ControlFont face) {
    static std::map<ControlFont, HFONT> fonts;
    if (auto found = fonts.find(face); found != fonts.end()) return found->second;
    const FontSpec spec = SpecOf(face);
    LOGFONTA font{};
    font.lfHeight = -spec.pixels;
    font.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
    font.lfUnderline = spec.underline ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynA(font.lfFaceName, spec.scaleFace ? "Arial" : "MS Sans Serif", LF_FACESIZE);
    return fonts[face] = CreateFontIndirectA(&font);
}

void ReleaseForm(HWND window) { SetWindowLongPtrA(window, GWLP_USERDATA, 0); }

void ShowHandlerError(const char* text) {
    HWND owner = GetActiveWindow();
    const UINT modality = owner ? MB_APPLMODAL : MB_TASKMODAL;
    MessageBoxA(owner, FittedBoxText(owner, text).c_str(), kApplicationTitle,
                MB_OK | MB_ICONERROR | modality);
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

char DecimalSeparator() {
    char separator[4] = {};
    const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator,
                                      static_cast<int>(sizeof separator));
    return length == 2 ? separator[0] : '.';
}

}  // namespace kestrin::win32
