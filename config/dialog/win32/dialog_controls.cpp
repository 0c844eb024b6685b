#include "config/dialog/win32/dialog_controls.h"

// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

namespace kestrin::win32 {
namespace {

const char* const kPanelClass = "KestrinPanel";
const char* const kSwatchClass = "KestrinSwatch";

// Window extra bytes of a panel: the system colour index of its background. Of a swatch: its
// colour (0x00BBGGRR) and whether a left press on it awaits its release.
constexpr int kPanelColourSlot = 0;
constexpr int kSwatchColourSlot = 0;
constexpr int kSwatchPressedSlot = sizeof(LONG_PTR);

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// Commands and colour requests of the controls inside go to the dialog that holds the panel.
bool ForwardedToParent(UINT message) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            return true;
        default:
            return false;
    }
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ForwardedToParent(message)) return SendMessageA(GetParent(hwnd), message, wParam, lParam);
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(hwnd, kPanelColourSlot,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_ERASEBKGND: {
            RECT rect;
            GetClientRect(hwnd, &rect);
            const auto colour = static_cast<int>(GetWindowLongPtrA(hwnd, kPanelColourSlot));
            FillRect(reinterpret_cast<HDC>(wParam), &rect, GetSysColorBrush(colour));
            DrawEdge(reinterpret_cast<HDC>(wParam), &rect, BDR_SUNKENINNER, BF_RECT);
            return 1;
        }
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void PaintSwatch(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT rect;
    GetClientRect(hwnd, &rect);
    DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    HBRUSH fill = CreateSolidBrush(static_cast<COLORREF>(SwatchColour(hwnd)));
    FillRect(dc, &rect, fill);
    DeleteObject(fill);
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK SwatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            PaintSwatch(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            SetWindowLongPtrA(hwnd, kSwatchPressedSlot, 1);
            SetCapture(hwnd);
            return 0;
        case WM_LBUTTONUP: {
            const bool pressed = GetWindowLongPtrA(hwnd, kSwatchPressedSlot) != 0;
            SetWindowLongPtrA(hwnd, kSwatchPressedSlot, 0);
            ReleaseCapture();
            RECT rect;
            GetClientRect(hwnd, &rect);
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (pressed && PtInRect(&rect, at)) {
                SendMessageA(GetParent(hwnd), WM_COMMAND,
                             MAKEWPARAM(GetDlgCtrlID(hwnd), kSwatchClicked),
                             reinterpret_cast<LPARAM>(hwnd));
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            SetWindowLongPtrA(hwnd, kSwatchPressedSlot, 0);
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK MouseUpProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
    bool report = false;
    switch (message) {
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_XBUTTONUP:
            report = true;
            break;
        case WM_KEYUP:
            // The box toggles itself on the release of a space bar that pressed it down.
            report = wParam == VK_SPACE && (SendMessageA(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED);
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, MouseUpProc, 0);
            break;
        default:
            break;
    }
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    if (report) {
        SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), kMouseUp),
                     reinterpret_cast<LPARAM>(hwnd));
    }
    return result;
}

}  // namespace

void RegisterFaceClass(const char* name, WNDPROC procedure) {
    WNDCLASSA face{};
    if (GetClassInfoA(Instance(), name, &face)) return;
    face.lpfnWndProc = procedure;
    face.hInstance = Instance();
    face.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    face.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    face.lpszClassName = name;
    RegisterClassA(&face);
}

void RegisterDialogClasses() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA panel{};
    panel.lpfnWndProc = PanelProc;
    panel.cbWndExtra = sizeof(LONG_PTR);
    panel.hInstance = Instance();
    panel.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    panel.lpszClassName = kPanelClass;
    RegisterClassA(&panel);

    WNDCLASSA swatch{};
    swatch.style = CS_DBLCLKS;
    swatch.lpfnWndProc = SwatchProc;
    swatch.cbWndExtra = 2 * sizeof(LONG_PTR);
    swatch.hInstance = Instance();
    swatch.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    swatch.lpszClassName = kSwatchClass;
    RegisterClassA(&swatch);
    registered = true;
}

HWND MakePanel(HWND parent, int x, int y, int width, int height, int systemColour) {
    return CreateWindowExA(WS_EX_CONTROLPARENT, kPanelClass, "",
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, width, height, parent,
                           nullptr, Instance(), reinterpret_cast<void*>(LONG_PTR{systemColour}));
}

HWND MakeSwatch(HWND parent, int x, int y) {
    return CreateWindowExA(0, kSwatchClass, "", WS_CHILD | WS_VISIBLE, x, y, 9, 40, parent, nullptr,
                           Instance(), nullptr);
}

void SetSwatchColour(HWND swatch, int32_t colour) {
    SetWindowLongPtrA(swatch, kSwatchColourSlot, colour & 0xFFFFFF);
    InvalidateRect(swatch, nullptr, FALSE);
}

int32_t SwatchColour(HWND swatch) {
    return static_cast<int32_t>(GetWindowLongPtrA(swatch, kSwatchColourSlot));
}

void WatchMouseUp(HWND checkBox) { SetWindowSubclass(checkBox, MouseUpProc, 0, 0); }

RECT CentredFrame(HWND reference, int clientWidth, int clientHeight, DWORD style, DWORD exStyle) {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromWindow(reference, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    const LONG left = work.left + (work.right - work.left - width) / 2;
    const LONG top = work.top + (work.bottom - work.top - height) / 2;
    return RECT{left, top, left + width, top + height};
}

}  // namespace kestrin::win32
