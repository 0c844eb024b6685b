// Tells the tests what a Windows program's top-level window holds, as the system sees it: its frame
// and client size, and every control in it with its class, place, state and text. Run under
// Wine beside the program being tested, which it never changes but for the close request.
//
//   window_probe.exe <caption>           describes the top-level window with exactly that caption
//   window_probe.exe --close <caption>   asks that window to close, as its close box does
// Either may name the window's class too, before the caption (--class <name>), where two
// windows share a caption.
//
// Exit status 0 when the window was found, 1 when there is none with that caption, 2 on a wrong
// call. Output, one line each, fields separated by tabs, texts with every byte below 0x20 or from
// 0x7F, and the backslash, written as \xNN:
//   window  class  left  top  right  bottom  clientWidth  clientHeight  enabled  style  text
//   control class  id  left  top  width  height  usable  visible  checked  icon  text
// The frame is in screen pixels; a control's place is in the window's client pixels; "usable" is
// 1 when the control and every window it lies in take input; "checked" is the check state of a
// check box or option button (-1 for any other control); "icon" is 1 for a picture control
// showing an icon, 0 for an empty one, -1 for any other control.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr UINT kAnswerTimeoutMs = 2000;  // a hung program must not hang the tests

std::string Escaped(const std::string& text) {
    std::string out;
    for (const unsigned char c : text) {
        if (c < 0x20 || c >= 0x7F || c == '\\') {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string ClassOf(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The text as the window's own program gives it (an edit box keeps its text to itself).
std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                             &length)) {
        return "<no answer>";
    }
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied);
    text.resize(copied);
    return text;
}

bool Usable(HWND control, HWND top) {
    for (HWND w = control; w; w = GetParent(w)) {
        if (!IsWindowEnabled(w)) return false;
        if (w == top) break;
    }
    return true;
}

int CheckState(HWND control) {
    if (ClassOf(control) != "Button") return -1;
    const LONG kind = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    const bool checkable = kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE ||
                           kind == BS_AUTO3STATE || kind == BS_RADIOBUTTON ||
                           kind == BS_AUTORADIOBUTTON;
    if (!checkable) return -1;
    DWORD_PTR state = 0;
    SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &state);
    return static_cast<int>(state);
}

int IconState(HWND control) {
    if (ClassOf(control) != "Static") return -1;
    if ((GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return -1;
    DWORD_PTR icon = 0;
    SendMessageTimeoutA(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &icon);
    return icon ? 1 : 0;
}

BOOL CALLBACK DescribeControl(HWND control, LPARAM topParam) {
    const HWND top = reinterpret_cast<HWND>(topParam);
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
    std::printf("control\t%s\t%d\t%ld\t%ld\t%ld\t%ld\t%d\t%d\t%d\t%d\t%s\n",
                ClassOf(control).c_str(), GetDlgCtrlID(control), r.left, r.top, r.right - r.left,
                r.bottom - r.top, Usable(control, top) ? 1 : 0, IsWindowVisible(control) ? 1 : 0,
                CheckState(control), IconState(control), Escaped(TextOf(control)).c_str());
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    bool close = false;
    const char* className = nullptr;
    int arg = 1;
    for (; arg < argc - 1; ++arg) {
        if (std::strcmp(argv[arg], "--close") == 0) {
            close = true;
        } else if (std::strcmp(argv[arg], "--class") == 0 && arg + 2 < argc) {
            className = argv[++arg];
        } else {
            break;
        }
    }
    if (arg != argc - 1) {
        std::fprintf(stderr, "usage: window_probe.exe [--close] [--class <name>] <caption>\n");
        return 2;
    }
    const HWND window = FindWindowA(className, argv[arg]);
    if (!window) return 1;
    if (close) return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;

    RECT frame;
    RECT client;
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    std::printf("window\t%s\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%d\t%08lX\t%s\n",
                ClassOf(window).c_str(), frame.left, frame.top, frame.right, frame.bottom,
                client.right, client.bottom, IsWindowEnabled(window) ? 1 : 0,
                static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                Escaped(TextOf(window)).c_str());
    EnumChildWindows(window, DescribeControl, reinterpret_cast<LPARAM>(window));
    std::fflush(stdout);
    return 0;
}
