// The meter's entry: no arguments, no environment of its own; exit status 0 in every case.

#include "app/end_signals.h"
#include "app/kestrin_application.h"
#include "app/message_box_notifier.h"
#include "capture/capture.h"
#include "capture/pulse_wave_in.h"
#include "config/dialog/qt/form2.h"
#include "display/qt/form1.h"

int main(int argc, char** argv) {
    using namespace kestrin;

    KestrinApplication::ChoosePlatform();
    KestrinApplication application(argc, argv);
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
