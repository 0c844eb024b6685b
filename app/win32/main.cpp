// The meter's entry on Windows: no arguments, no environment of its own; exit status 0 in every
// case.

#include <windows.h>

#include "app/win32/win32_notifier.h"
#include "capture/capture.h"
#include "capture/windows_wave_in.h"

#ifdef KESTRIN_HAVE_FORM1
#include "display/win32/form1.h"
#endif
#ifdef KESTRIN_HAVE_FORM2
#include "config/dialog/win32/form2.h"
#endif

namespace {

// Dispatches the program's messages until the meter window has closed. Every window handles the
// errors of its own event handlers (an error box captioned with the application's title), so
// nothing is thrown through the system's dispatch.
[[maybe_unused]] void RunMessageLoop() {
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

#ifdef KESTRIN_HAVE_FORM1
    // The meter window's creation loads the settings and opens the capture as its last step; the
    // settings dialog follows at once, hidden, before the first buffer or paint is dispatched.
    TForm1 form1;
#ifdef KESTRIN_HAVE_FORM2
    TForm2 form2(form1.handle());
#endif
    form1.Show(showCommand);
    RunMessageLoop();
#else
    (void)showCommand;
#endif
    return 0;
}
