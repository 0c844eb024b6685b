// The meter's entry: no arguments, no environment of its own; exit status 0 in every case.

#include "app/kestrin_application.h"
#include "app/message_box_notifier.h"
#include "capture/capture.h"
#include "config/dialog/qt/form2.h"
#include "display/display.h"

#ifdef _WIN32
#include "capture/windows_wave_in.h"
#else
#include "capture/pulse_wave_in.h"
#endif

int main(int argc, char** argv) {
    using namespace kestrin;

    KestrinApplication::ChoosePlatform();
    KestrinApplication application(argc, argv);
    MessageBoxNotifier messageBoxes;
    SetNotifier(&messageBoxes);
#ifdef _WIN32
    WindowsWaveIn soundSystem;
#else
    PulseWaveIn soundSystem;
#endif
    SetWaveIn(&soundSystem);

    // The meter window's creation loads the settings and opens the capture as its last step; the
    // settings dialog follows at once, hidden, before the first buffer or paint is dispatched.
    TForm1 form1;
    TForm2 form2;
    form1.show();
    application.exec();
    return 0;
}
