#pragma once

#include <windows.h>

namespace kestrin {

// The meter window's class, as the designer named it.
constexpr const char* kMeterWindowClass = "TForm1";
// A fixed dialog frame with a title bar and a close box: no minimise or maximise box, not
// resizable. Controls are left out of what the window paints, so that the scale and the bars
// never cover them. It gets a button of its own on the task bar, as the program's main window.
constexpr DWORD kMeterWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMeterWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW;

// The size of the meter window's frame around a client area of that size.
inline SIZE FrameSize(int clientWidth, int clientHeight) {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, kMeterWindowStyle, FALSE, kMeterWindowExStyle);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace kestrin
