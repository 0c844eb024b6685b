#include "app/win32/win32_notifier.h"

#include <windows.h>

#include "config/dialog/win32/message_box_text.h"
#include "config/dialog/win32/win32_controls.h"

namespace kestrin {

void Win32Notifier::ShowMessage(const std::string& text, const std::string& caption) {
    // Owned by the program's active window (the meter, or the settings dialog while it is open),
    // which it disables until dismissed; with none active, every window of the program is. The
    // box's own loop goes on dispatching the capture's buffers, so the meter runs on behind it.
    HWND owner = GetActiveWindow();
    const UINT modality = owner ? MB_APPLMODAL : MB_TASKMODAL;
    MessageBoxA(owner, win32::FittedBoxText(owner, text).c_str(), caption.c_str(),
                MB_OK | modality);
}

void Win32Notifier::ShowError(const std::string& text) { win32::ShowHandlerError(text.c_str()); }

void Win32Notifier::EndProgram() { ExitProcess(0); }

}  // namespace kestrin
