#include "display/win32/handler_error.h"

#include <windows.h>

#include "config/notice.h"

namespace kestrin {

void ShowHandlerError(const char* text) {
    HWND owner = GetActiveWindow();
    const UINT modality = owner ? MB_APPLMODAL : MB_TASKMODAL;
    MessageBoxA(owner, text, kApplicationTitle, MB_OK | MB_ICONERROR | modality);
}

}  // namespace kestrin
