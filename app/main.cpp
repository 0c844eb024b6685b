// The meter's entry: no arguments, no environment of its own. Exit status 0 when the meter ends,
// also after a failure of the capture; 1 when the sound system's client library or the window
// system can't be opened.

#include <cstdio>

#include "app/end_signals.h"
#include "app/kestrin_application.h"
#include "app/message_box_notifier.h"
#include "app/start_failure.h"
#include "capture/capture.h"
#include "capture/pulse_library.h"
#include "capture/pulse_wave_in.h"
#include "config/dialog/qt/form2.h"
#include "display/qt/form1.h"

int main(int argc, char** argv) {
    using namespace kestrin;

    if (const std::string& missing = PulseLibraryError(); !missing.empty()) {
        std::fprintf(stderr, "kestrin: %s\n", missing.c_str());
        return 1;
    }
    KestrinApplication::ChoosePlatform();
    StartFailureReport startFailure;
    KestrinApplication application(argc, argv);
    startFailure.Done();
    EndSignals endSignals;
    MessageBoxNotifier messageBoxes;
    SetNotifier(&messageBoxes);
    PulseWaveIn soundSystem;
    SetWaveIn(&soundSystem);

    // The meter window's creation loads the settings and opens the capture as its last step; the
    // settings dialog follows at once, hidden, before the first buffer or paint is dispatched.
    TForm1 form1;
    TForm2 form2;
    endSignals.CloseOnSignal(&form1);
    form1.show();
    application.exec();
    return 0;
}
