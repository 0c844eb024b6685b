#include "config/dialog/win32/password_box.h"

#include "config/dialog/win32/dialog_controls.h"
#include "config/dialog/win32/modal_loop.h"

namespace kestrin::win32 {
namespace {

const char* const kBoxClass = "KestrinPasswordBox";
constexpr int kClientWidth = kPasswordBoxWidth;
constexpr int kMargin = 11;        // pixels around and between the parts
constexpr int kFieldHeight = 21;   // pixels
constexpr int kButtonWidth = 75;   // pixels
constexpr int kButtonHeight = 23;  // pixels
constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kBoxExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The window of one showing of the box.
struct Box {
    HWND window = nullptr;
    HWND field = nullptr;
    PasswordEntry entry;

    HWND handle() const { return window; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case DM_GETDEFID:
                return MAKELRESULT(IDOK, DC_HASDEFID);
            case WM_COMMAND:
                if (LOWORD(wParam) == IDOK) entry.OkPressed(WindowText(field));
                if (LOWORD(wParam) == IDCANCEL) entry.Cancelled();
                return 0;
            case WM_CLOSE:
                entry.Cancelled();
                return 0;
            default:
                return DefWindowProcA(window, message, wParam, lParam);
        }
    }
};

// Height of the prompt wrapped within the box's width.
int PromptHeight(const std::string& prompt) {
    RECT room{0, 0, kClientWidth - 2 * kMargin, 0};
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, MakeFont(ControlFont::Window));
    DrawTextA(dc, prompt.c_str(), static_cast<int>(prompt.size()), &room,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return room.bottom;
}

}  // namespace

std::string AskPassword(HWND owner, const std::string& caption, const std::string& prompt) {
    RegisterFaceClass(kBoxClass, FormProc<Box>);
    Box shown;
    const int promptHeight = PromptHeight(prompt);
    const int fieldTop = kMargin + promptHeight + kMargin / 2;
    const int buttonTop = fieldTop + kFieldHeight + kMargin;
    const int clientHeight = buttonTop + kButtonHeight + kMargin;
    const RECT frame = CentredFrame(owner, kClientWidth, clientHeight, kBoxStyle, kBoxExStyle);
    HWND box = CreateWindowExA(kBoxExStyle, kBoxClass, caption.c_str(), kBoxStyle, frame.left,
                               frame.top, frame.right - frame.left, frame.bottom - frame.top, owner,
                               nullptr, GetModuleHandleA(nullptr), &shown);
    if (!box) return {};
    shown.window = box;
    const HFONT font = MakeFont(ControlFont::Window);
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    MakeControl(box, "STATIC", prompt.c_str(), SS_LEFT | SS_NOPREFIX, kMargin, kMargin,
                kClientWidth - 2 * kMargin, promptHeight, font, 0, -1);
    shown.field =
        MakeControl(box, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, kMargin, fieldTop,
                    kClientWidth - 2 * kMargin, kFieldHeight, font, WS_EX_CLIENTEDGE, 100);
    SendMessageA(shown.field, EM_LIMITTEXT, kPasswordMaxChars, 0);
    const int cancelLeft = kClientWidth - kMargin - kButtonWidth;
    const int okLeft = cancelLeft - kMargin / 2 - kButtonWidth;
    MakeControl(box, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, okLeft, buttonTop, kButtonWidth,
                kButtonHeight, font, 0, IDOK);
    MakeControl(box, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, cancelLeft, buttonTop,
                kButtonWidth, kButtonHeight, font, 0, IDCANCEL);

    RunModal(box, owner, shown.entry.Showing());
    DestroyWindow(box);
    return shown.entry.Entry();
}

}  // namespace kestrin::win32
