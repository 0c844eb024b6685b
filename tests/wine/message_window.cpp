#include "tests/wine/message_window.h"

#include "capture/windows_wave_in.h"

// Without the multimedia headers, whose macros would stand for the meter's own names.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace kestrin::wine_test {
namespace {

constexpr const char* kWindowClass = "KestrinWineCaptureTest";

HWND Window(void* handle) { return static_cast<HWND>(handle); }

}  // namespace

MessageWindow::MessageWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
    m_window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
}

MessageWindow::~MessageWindow() {
    if (m_window) DestroyWindow(Window(m_window));
}

bool MessageWindow::RunUntil(const WimDataHandler& onWimData, const std::function<bool()>& done,
                             uint32_t timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                  QS_ALLINPUT);
        MSG msg;
        while (!done() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            HWAVEIN device = nullptr;
            WAVEHDR* header = nullptr;
            if (msg.hwnd == Window(m_window) && WimDataFromNativeMessage(&msg, &device, &header)) {
                onWimData(device, header);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

double NowMs() {
    static LARGE_INTEGER frequency{};
    static LARGE_INTEGER start{};
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace kestrin::wine_test
