#include <windows.h>

#include <optional>

#include "capture/capture.h"
#include "capture/windows_wave_in.h"
#include "config/dialog/win32/win32_controls.h"
#include "config/notice.h"
#include "display/bar_geometry.h"
#include "display/win32/form1.h"
#include "display/win32/meter_window_class.h"

namespace kestrin {
namespace {

// Posted to the meter window to hand over the buffers held while there was no settings dialog.
constexpr UINT kDeliverHeldBuffers = WM_APP + 1;

// Whether a window is one of this program's own (the settings dialog, a message box).
bool OwnWindow(HWND window) {
    DWORD process = 0;
    return window && GetWindowThreadProcessId(window, &process) && process == GetCurrentProcessId();
}

int XOf(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int YOf(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

}  // namespace

intptr_t TForm1::HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    HWND window = m_window;
    std::optional<intptr_t> result;
    win32::RunHandler([&] {
        result = Handle(message, wParam, lParam);
        // Should the delivery not go into the queue, the held buffers are delivered now.
        if (m_window && DeliveryDue() && !PostMessageA(m_window, kDeliverHeldBuffers, 0, 0)) {
            DeliveryArrived();
        }
    });
    return result ? *result : DefWindowProcA(window, message, wParam, lParam);
}

std::optional<intptr_t> TForm1::Handle(unsigned message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case MM_WIM_DATA:
            WimData(message, wParam, lParam);
            return 0;
        case kDeliverHeldBuffers:
            DeliveryArrived();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint erases what it paints, in the window's colour
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                Deactivated(OwnWindow(reinterpret_cast<HWND>(lParam)));
            } else {
                Activated(OwnWindow(reinterpret_cast<HWND>(lParam)));
            }
            return std::nullopt;  // the system gives the window the keyboard focus
        case WM_COMMAND:
            return Command(wParam, lParam);
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            if (HBRUSH brush =
                    ControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
                return reinterpret_cast<intptr_t>(brush);
            }
            return std::nullopt;
        case WM_GETMINMAXINFO: {
            // The system's smallest window with a title bar is wider than the window without
            // M and S: the meter's own widths are its limits.
            const SIZE smallest = FrameSize(kNarrowClientWidth, kClientHeight);
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {smallest.cx, smallest.cy};
            return 0;
        }
        case WM_CLOSE:
            if (CloseRequested()) {
                DestroyWindow(m_window);
            }
            return 0;
        case WM_ENDSESSION:
            // The session ends (log off, shut down) and takes the program with it, without a
            // close request: the meter closes now as the operator's close does, keeping its place
            // and the M/S choice, closes its input as the end of the message loop does, and then
            // ends itself rather than be ended by the system in the middle of its own end.
            if (wParam) {
                CloseRequested();
                CloseCapture();
                notifier().EndProgram();
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            m_window = nullptr;
            return std::nullopt;
        default:
            return MouseMessage(message, lParam);
    }
}

void TForm1::WimData(unsigned message, uintptr_t wParam, intptr_t lParam) {
    MSG native{};
    native.hwnd = m_window;
    native.message = message;
    native.wParam = wParam;
    native.lParam = lParam;
    HWAVEIN device = nullptr;
    WAVEHDR* header = nullptr;
    if (WimDataFromNativeMessage(&native, &device, &header)) {
        BufferReturned(device, header);
    }
}

// A press on a control (a label, the over indicator also when it is disabled) stays there: the
// right button opens the settings and a left click resets the meter only on the painted surface.
// The left button's release is reported wherever it is let go, since the window holds the mouse
// from the press on.
std::optional<intptr_t> TForm1::MouseMessage(unsigned message, intptr_t lParam) {
    const int x = XOf(lParam);
    const int y = YOf(lParam);
    switch (message) {
        case WM_LBUTTONDOWN:
            if (OnSurface(x, y)) {
                LeftPressed();
                SetCapture(m_window);
            }
            return 0;
        case WM_LBUTTONUP: {
            RECT client;
            GetClientRect(m_window, &client);
            LeftReleased(PtInRect(&client, POINT{x, y}) != 0);
            if (GetCapture() == m_window) {
                ReleaseCapture();
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            LeftReleased(false);
            return 0;
        case WM_RBUTTONDOWN:
            if (OnSurface(x, y)) {
                RightPressed();
            }
            return 0;
        case WM_MBUTTONDOWN:
            return 0;
        case WM_XBUTTONDOWN:
            return TRUE;
        default:
            return std::nullopt;
    }
}

std::optional<intptr_t> TForm1::Command(uintptr_t wParam, intptr_t lParam) {
    const HWND control = reinterpret_cast<HWND>(lParam);
    if (HIWORD(wParam) == BN_CLICKED && control == Control(MeterControl::dBButton)) {
        dBButtonClick();
    } else if (HIWORD(wParam) == BN_CLICKED && control == Control(MeterControl::MSButton)) {
        MSButtonClick();
    } else if (HIWORD(wParam) == BN_CLICKED && control == Control(MeterControl::RunButton)) {
        RunButtonClick();
    } else if (HIWORD(wParam) == BN_CLICKED && control == Control(MeterControl::ResetButton)) {
        ResetButtonClick();
    } else if (HIWORD(wParam) == EN_SETFOCUS && control == Control(MeterControl::over)) {
        // The over indicator only shows a state: no text cursor in it.
        HideCaret(control);
    } else {
        return std::nullopt;
    }
    return 0;
}

bool TForm1::OnSurface(int x, int y) const {
    return ChildWindowFromPointEx(m_window, POINT{x, y}, CWP_SKIPINVISIBLE) == m_window;
}

}  // namespace kestrin
