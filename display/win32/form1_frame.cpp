#include <windows.h>

#include <utility>

#include "capture/capture.h"
#include "config/dialog/win32/win32_controls.h"
#include "display/bar_geometry.h"
#include "display/win32/form1.h"
#include "display/win32/meter_window_class.h"
#include "display/window_placement.h"

namespace kestrin {
namespace {

RECT FrameOf(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    return frame;
}

PixelRect ToPixelRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM screens) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        reinterpret_cast<std::vector<ScreenArea>*>(screens)->push_back(
            {ToPixelRect(info.rcMonitor), ToPixelRect(info.rcWork)});
    }
    return TRUE;
}

// The primary screen's area that task bars leave free.
PixelRect PrimaryWorkArea() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) {
        return {};
    }
    return ToPixelRect(info.rcWork);
}

bool IsTopmost(HWND window) {
    return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Topmost or ordinary, without moving, sizing or activating the window.
void SetStacking(HWND window, bool onTop) {
    SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

BOOL CALLBACK AddOwned(HWND window, LPARAM search) {
    auto* found = reinterpret_cast<std::pair<HWND, std::vector<HWND>>*>(search);
    if (GetWindow(window, GW_OWNER) == found->first) {
        found->second.push_back(window);
    }
    return TRUE;
}

// The program's windows that the window owns.
std::vector<HWND> OwnedWindows(HWND owner) {
    std::pair<HWND, std::vector<HWND>> search{owner, {}};
    EnumThreadWindows(GetCurrentThreadId(), AddOwned, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

}  // namespace

void TForm1::ShowCaption(const std::string& text) { SetWindowTextA(m_window, text.c_str()); }

void TForm1::SetClientSize(int width, int height) {
    RECT client{};
    GetClientRect(m_window, &client);
    if (client.right == width && client.bottom == height) {
        return;
    }
    const SIZE frame = FrameSize(width, height);
    SetWindowPos(m_window, nullptr, 0, 0, frame.cx, frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TForm1::ClientHeight() const {
    RECT client{};
    GetClientRect(m_window, &client);
    return client.bottom;
}

// A stored position that no attached screen shows (a monitor since unplugged, a changed layout)
// would leave the window out of reach: it goes onto the primary screen then. One near a screen's
// edge would hide part of the window: it goes where it stands whole. The stored values stay; the
// position the window then has is saved when it closes, as always.
void TForm1::MoveFrameTo(int32_t left, int32_t top) {
    std::vector<ScreenArea> screens;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&screens));
    const RECT frame = FrameOf(m_window);
    const FramePosition placed = PlaceWindow({left, top}, frame.right - frame.left,
                                             frame.bottom - frame.top, screens, PrimaryWorkArea());
    if (placed.left != frame.left || placed.top != frame.top) {
        SetWindowPos(m_window, nullptr, placed.left, placed.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

int32_t TForm1::FrameLeft() const { return FrameOf(m_window).left; }

int32_t TForm1::FrameTop() const { return FrameOf(m_window).top; }

bool TForm1::Topmost() const { return IsTopmost(m_window); }

void TForm1::SetTopmost(bool onTop) {
    SetStacking(m_window, onTop);
    if (IsTopmost(m_window) != onTop) {
        // Wine puts the window just below the windows it owns (the settings dialog), finds it
        // there already and leaves its stacking as it was: asked again with them let go of for
        // the moment, it takes it. Windows itself takes it at the first asking.
        const std::vector<HWND> owned = OwnedWindows(m_window);
        for (HWND window : owned) {
            SetWindowLongPtrA(window, GWLP_HWNDPARENT, 0);
        }
        SetStacking(m_window, onTop);
        for (HWND window : owned) {
            SetWindowLongPtrA(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(m_window));
            SetStacking(window, onTop);
        }
    }
}

char TForm1::DecimalSeparator() const { return win32::DecimalSeparator(); }

void TForm1::ReceiveCaptureBuffers() {
    SetCaptureReceiver(reinterpret_cast<WaveInReceiver>(m_window));
}

}  // namespace kestrin
