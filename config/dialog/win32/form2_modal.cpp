#include <windows.h>

#include "config/dialog/win32/dialog_controls.h"
#include "config/dialog/win32/form2.h"
#include "config/dialog/win32/modal_loop.h"
#include "config/dialog/win32/password_box.h"

namespace kestrin {

bool TForm2::ShowModal() {
    if (m_showing) return false;
    // The meter window that was clicked, unless it was named at creation.
    HWND owner = m_owner ? m_owner : GetActiveWindow();
    if (owner == m_hwnd) owner = nullptr;
    SetWindowLongPtrA(m_hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    RECT client;
    GetClientRect(m_hwnd, &client);
    const RECT centred =
        win32::CentredFrame(owner, client.right, client.bottom,
                            static_cast<DWORD>(GetWindowLongPtrA(m_hwnd, GWL_STYLE)),
                            static_cast<DWORD>(GetWindowLongPtrA(m_hwnd, GWL_EXSTYLE)));
    SetWindowPos(m_hwnd, nullptr, centred.left, centred.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_showing = true;
    m_closedWithOk = false;
    win32::RunModal(m_hwnd, owner, m_showing);
    m_showing = false;
    return m_closedWithOk;
}

void TForm2::EndModal(bool ok) {
    m_closedWithOk = ok;
    m_showing = false;
}

std::string TForm2::AskPassword(const std::string& caption, const std::string& prompt) {
    return win32::AskPassword(m_hwnd, caption, prompt);
}

}  // namespace kestrin
