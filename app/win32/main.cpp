// The meter's entry on Windows: no arguments, no environment of its own; exit status 0 in every
// case.

#include <windows.h>

#include "app/win32/win32_notifier.h"
#include "capture/capture.h"
#include "capture/windows_wave_in.h"
#include "config/dialog/win32/form2.h"
#include "display/win32/form1.h"

namespace {

// Dispatches the program's messages until the meter window has closed. Every window handles the
// errors of its own event handlers (an error box captioned with the application's title), so
// nothing is thrown through the system's dispatch.
void RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    using namespace kestrin;

    Win32Notifier messageBoxes;
    SetNotifier(&messageBoxes);
    WindowsWaveIn soundSystem;
    SetWaveIn(&soundSystem);

    // The meter window's creation loads the settings and opens the capture as its last step; the
    // settings dialog follows at once, hidden, before the first buffer or paint is dispatched.
    TForm1 form1;
    TForm2 form2(form1.handle());
    form1.Show(showCommand);
    RunMessageLoop();
    // Wine's sound driver, left recording into a process that exits, could crash the process
    // after the meter's close had run (exit status 139 now and then).
    CloseCapture();
    return 0;
}
