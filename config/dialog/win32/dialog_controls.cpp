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
// colour (0x00BBGGRR) and whether it is giving up the mouse after a release.
constexpr int kPanelColourSlot = 0;
constexpr int kSwatchColourSlot = 0;
constexpr int kSwatchReleasingSlot = sizeof(LONG_PTR);

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

void Notify(HWND control, WORD code) {
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

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
            SetCapture(hwnd);
            Notify(hwnd, kSwatchPressed);
            return 0;
        case WM_LBUTTONUP: {
            RECT rect;
            GetClientRect(hwnd, &rect);
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            // The mouse is given back first: the release may open the colour chooser.
            SetWindowLongPtrA(hwnd, kSwatchReleasingSlot, 1);
            ReleaseCapture();
            SetWindowLongPtrA(hwnd, kSwatchReleasingSlot, 0);
            Notify(hwnd, PtInRect(&rect, at) ? kSwatchReleasedInside : kSwatchReleasedOutside);
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (!GetWindowLongPtrA(hwnd, kSwatchReleasingSlot))
                Notify(hwnd, kSwatchReleasedOutside);
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK MouseUpProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, MouseUpProc, 0);
    // As the box showed before the key's release un-pushes it.
    const bool pushed =
        message == WM_KEYUP && (SendMessageA(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_XBUTTONUP:
            Notify(hwnd, kMouseReleased);
            break;
        case WM_KEYUP:
            Notify(hwnd, static_cast<WORD>(kKeyReleased | (wParam == VK_SPACE ? kSpaceKey : 0) |
                                           (pushed ? kPushed : 0)));
            break;
        default:
            break;
    }
    return result;
}

// Registers a window class of this program once, with the arrow cursor.
void RegisterOnce(const char* name, WNDPROC procedure, UINT style, int extraBytes,
                  HBRUSH background) {
    WNDCLASSA windowClass{};
    if (GetClassInfoA(Instance(), name, &windowClass)) return;
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = extraBytes;
    windowClass.hInstance = Instance();
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

}  // namespace

void RegisterFaceClass(const char* name, WNDPROC procedure) {
    RegisterOnce(name, procedure, 0, 0, GetSysColorBrush(COLOR_BTNFACE));
}

void RegisterDialogClasses() {
    RegisterOnce(kPanelClass, PanelProc, 0, sizeof(LONG_PTR), nullptr);
    RegisterOnce(kSwatchClass, SwatchProc, CS_DBLCLKS, 2 * sizeof(LONG_PTR), nullptr);
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
