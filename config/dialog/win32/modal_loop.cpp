#include "config/dialog/win32/modal_loop.h"

namespace kestrin::win32 {

void RunModal(HWND window, HWND owner, const bool& running, const std::function<void()>& afterKey) {
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) SetFocus(first);

    MSG message;
    while (running) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) break;
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (afterKey && message.message == WM_KEYDOWN) {
            afterKey();
        }
    }

    // The owner is enabled before the window goes, so that the activation returns to it rather
    // than to another program's window.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    ShowWindow(window, SW_HIDE);
    if (owner) SetActiveWindow(owner);
}

}  // namespace kestrin::win32
