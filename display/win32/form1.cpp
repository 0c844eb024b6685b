#include "display/win32/form1.h"

#include <windows.h>

#include <stdexcept>

#include "capture/windows_wave_in.h"
#include "config/dialog/settings_dialog.h"
#include "display/bar_geometry.h"
#include "display/win32/handler_error.h"
#include "display/win32/meter_window_class.h"

namespace kestrin {

TForm1* Form1 = nullptr;

namespace {

// Posted to the meter window to hand over the buffers held while there was no settings dialog.
constexpr UINT kDeliverHeldBuffers = WM_APP + 1;

LRESULT CALLBACK MeterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form || !form->handle()) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return form->HandleMessage(message, wParam, lParam);
}

// Whether a window is one of this program's own (the settings dialog, a message box).
bool OwnWindow(HWND window) {
    DWORD process = 0;
    return window && GetWindowThreadProcessId(window, &process) && process == GetCurrentProcessId();
}

int XOf(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int YOf(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

}  // namespace

TForm1::TForm1() {
    Form1 = this;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // A change of width repaints the whole window, as the meter expects of it.
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MeterWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.lpszClassName = kMeterWindowClass;
    RegisterClassExA(&windowClass);

    const SIZE frame = FrameSize(kDesignedClientWidth, kClientHeight);
    HWND window = CreateWindowExA(kMeterWindowExStyle, kMeterWindowClass, "      PPM",
                                  kMeterWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.cx,
                                  frame.cy, nullptr, nullptr, instance, this);
    if (!window) {
        throw std::runtime_error("The meter window could not be created.");
    }
    m_window = window;
    CreateSurface();
    CreateControls();
    FormCreate();
}

TForm1::~TForm1() {
    if (m_window) {
        HWND window = m_window;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        m_window = nullptr;
        DestroyWindow(window);
    }
    DestroySurface();
    DestroyResources();
    if (Form1 == this) {
        Form1 = nullptr;
    }
}

void TForm1::Show(int showCommand) {
    ShowWindow(m_window, showCommand);
    UpdateWindow(m_window);
}

intptr_t TForm1::HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    HWND window = m_window;
    LRESULT result = 0;
    bool handled = true;
    RunHandler([&] {
        switch (message) {
            case MM_WIM_DATA: {
                MSG native{};
                native.hwnd = window;
                native.message = message;
                native.wParam = wParam;
                native.lParam = lParam;
                HWAVEIN device = nullptr;
                WAVEHDR* header = nullptr;
                if (WimDataFromNativeMessage(&native, &device, &header)) {
                    BufferReturned(device, header);
                }
                break;
            }
            case kDeliverHeldBuffers:
                m_deliveryPosted = false;
                DeliverHeldBuffers();
                break;
            case WM_ERASEBKGND:
                // The paint erases what it paints, in the window's colour.
                result = 1;
                break;
            case WM_PAINT:
                Paint();
                break;
            case WM_ACTIVATE:
                Activated(LOWORD(wParam) != WA_INACTIVE, reinterpret_cast<HWND>(lParam));
                handled = false;  // the system gives the window the keyboard focus
                break;
            case WM_LBUTTONDOWN:
                MouseDown(MouseButton::Left, XOf(lParam), YOf(lParam));
                break;
            case WM_LBUTTONUP:
                LeftButtonUp(XOf(lParam), YOf(lParam));
                break;
            case WM_CAPTURECHANGED:
                m_leftPressed = false;
                break;
            case WM_RBUTTONDOWN:
                MouseDown(MouseButton::Right, XOf(lParam), YOf(lParam));
                break;
            case WM_MBUTTONDOWN:
                MouseDown(MouseButton::Middle, XOf(lParam), YOf(lParam));
                break;
            case WM_XBUTTONDOWN:
                MouseDown(MouseButton::Other, XOf(lParam), YOf(lParam));
                result = TRUE;
                break;
            case WM_COMMAND:
                if (HIWORD(wParam) == BN_CLICKED && reinterpret_cast<HWND>(lParam) == dBButton) {
                    dBButtonClick();
                } else if (HIWORD(wParam) == BN_CLICKED &&
                           reinterpret_cast<HWND>(lParam) == MSButton) {
                    MSButtonClick();
                } else if (HIWORD(wParam) == EN_SETFOCUS &&
                           reinterpret_cast<HWND>(lParam) == over) {
                    // The over indicator only shows a state: no text cursor in it.
                    HideCaret(over);
                } else {
                    handled = false;
                }
                break;
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLOREDIT:
                result = reinterpret_cast<LRESULT>(
                    ControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)));
                handled = result != 0;
                break;
            case WM_GETMINMAXINFO: {
                // The system's smallest window with a title bar is wider than the window without
                // M and S: the meter's own widths are its limits.
                const SIZE smallest = FrameSize(kNarrowClientWidth, kClientHeight);
                reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {smallest.cx, smallest.cy};
                break;
            }
            case WM_CLOSE:
                Close();
                break;
            case WM_DESTROY:
                PostQuitMessage(0);
                break;
            case WM_NCDESTROY:
                m_window = nullptr;
                handled = false;
                break;
            default:
                handled = false;
        }
    });
    PostHeldBufferDelivery();
    return handled ? result : DefWindowProcA(window, message, wParam, lParam);
}

// The dialog exists now: buffers held until then go through the pipeline from the message loop.
void TForm1::PostHeldBufferDelivery() {
    if (HasHeldBuffers() && TheSettingsDialog() && !m_deliveryPosted && m_window) {
        m_deliveryPosted = PostMessageA(m_window, kDeliverHeldBuffers, 0, 0) != 0;
    }
}

// FormActivate runs on the first activation, and when the focus comes back from another of the
// program's windows (the settings dialog, a message box); not when it comes back from another
// program.
void TForm1::Activated(bool active, HWND__* other) {
    if (!active) {
        m_focusToOwnWindow = OwnWindow(other);
        return;
    }
    const bool due = !m_activated || m_focusToOwnWindow || OwnWindow(other);
    m_activated = true;
    m_focusToOwnWindow = false;
    if (due) {
        FormActivate();
    }
}

bool TForm1::OnSurface(int x, int y) const {
    return ChildWindowFromPointEx(m_window, POINT{x, y}, CWP_SKIPINVISIBLE) == m_window;
}

// A press on a control (a label, the over indicator also when it is disabled) stays there: the
// right button opens the settings and a left click resets the meter only on the painted surface.
void TForm1::MouseDown(MouseButton button, int x, int y) {
    if (!OnSurface(x, y)) {
        return;
    }
    if (button == MouseButton::Left) {
        m_leftPressed = true;
        SetCapture(m_window);
    }
    FormMouseDown(button, x, y);
}

// A click is a left press and release on the surface; a release dragged off the window is none.
void TForm1::LeftButtonUp(int x, int y) {
    const bool pressed = m_leftPressed;
    m_leftPressed = false;
    if (GetCapture() == m_window) {
        ReleaseCapture();
    }
    RECT client;
    GetClientRect(m_window, &client);
    if (pressed && PtInRect(&client, POINT{x, y})) {
        FormClick();
    }
}

void TForm1::Close() {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        return;
    }
    FormClose();
    DestroyWindow(m_window);
}

}  // namespace kestrin
