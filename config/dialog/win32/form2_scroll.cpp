// windows.h first: the other headers build on it.
// clang-format off
#include <windows.h>
// clang-format on

#include <algorithm>

#include "config/dialog/settings_dialog_layout.h"
#include "config/dialog/win32/dialog_controls.h"
#include "config/dialog/win32/form2.h"
#include "display/window_placement.h"

namespace kestrin {
namespace {

// How far one step of the scroll bar's arrows, and one notch of the mouse wheel, move the controls.
constexpr int kLineRows = 16;
constexpr int kWheelRows = 48;

PixelRect WorkAreaOf(HWND reference) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoA(MonitorFromWindow(reference, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        return {};
    }
    const RECT& work = monitor.rcWork;
    return {work.left, work.top, work.right - work.left, work.bottom - work.top};
}

}  // namespace

void TForm2::FitToWorkArea(HWND__* reference) {
    RECT bare{0, 0, kDialogClientWidth, kDialogClientHeight};
    AdjustWindowRectEx(&bare, win32::kDialogStyle, FALSE, win32::kDialogExStyle);
    const int frameRows = bare.bottom - bare.top - kDialogClientHeight;
    ScrollTo(0);
    m_shownRows = ShownContentRows(kDialogClientHeight, frameRows, WorkAreaOf(reference));
    // The system shows the bar only while the page is shorter than the range.
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = kDialogClientHeight - 1;
    info.nPage = static_cast<UINT>(m_shownRows);
    SetScrollInfo(m_hwnd, SB_VERT, &info, FALSE);
    const bool scrolls = m_shownRows < kDialogClientHeight;
    const int columns = kDialogClientWidth + (scrolls ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    const RECT frame = win32::CentredFrame(reference, columns, m_shownRows, win32::kDialogStyle,
                                           win32::kDialogExStyle);
    SetWindowPos(m_hwnd, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TForm2::ScrollTo(int top) {
    top = std::clamp(top, 0, std::max(0, kDialogClientHeight - m_shownRows));
    if (top == m_scrollTop) return;
    ScrollWindowEx(m_hwnd, 0, m_scrollTop - top, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    m_scrollTop = top;
    SetScrollPos(m_hwnd, SB_VERT, top, TRUE);
}

void TForm2::ScrollToFocus() {
    HWND focus = GetFocus();
    if (!focus || !IsChild(m_hwnd, focus)) return;
    RECT shown{};
    GetWindowRect(focus, &shown);
    MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&shown), 2);
    if (shown.top < 0) {
        ScrollTo(m_scrollTop + shown.top - kLineRows);
    } else if (shown.bottom > m_shownRows) {
        ScrollTo(m_scrollTop + shown.bottom - m_shownRows + kLineRows);
    }
}

void TForm2::OnVerticalScroll(int request) {
    switch (request) {
        case SB_LINEUP:
            ScrollTo(m_scrollTop - kLineRows);
            break;
        case SB_LINEDOWN:
            ScrollTo(m_scrollTop + kLineRows);
            break;
        case SB_PAGEUP:
            ScrollTo(m_scrollTop - m_shownRows);
            break;
        case SB_PAGEDOWN:
            ScrollTo(m_scrollTop + m_shownRows);
            break;
        case SB_TOP:
            ScrollTo(0);
            break;
        case SB_BOTTOM:
            ScrollTo(kDialogClientHeight);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO info{};
            info.cbSize = sizeof(info);
            info.fMask = SIF_TRACKPOS;
            GetScrollInfo(m_hwnd, SB_VERT, &info);
            ScrollTo(info.nTrackPos);
            break;
        }
        default:
            break;
    }
}

void TForm2::OnWheel(int delta) { ScrollTo(m_scrollTop - delta * kWheelRows / WHEEL_DELTA); }

}  // namespace kestrin
