#pragma once

class QSocketNotifier;
class QWidget;

namespace kestrin {

// The desktop's requests to end the program: SIGTERM (the session logs out, the system shuts
// down), SIGHUP (the terminal it was started from closes) and SIGINT (Ctrl+C there). The first
// ends the meter as closing its window does, so that its close saves the position and the M/S
// choice; that runs from the event loop, since the close writes a file and may show a box, which
// no signal handler can do. A second signal while the close runs (a write that hangs, a box that
// waits for its OK) ends the program at once, with exit status 0.
//
// One object for the run, made once the application object exists: from then on the signals no
// longer kill the program. One that a box of the start-up lets in, before the window is named,
// ends the program at once: nothing has changed yet that a close would keep.
class EndSignals {
  public:
    EndSignals();
    ~EndSignals();
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    // The window whose close a signal runs; the application's event loops end after it.
    void CloseOnSignal(QWidget* window);

  private:
    void Arrived();

    QSocketNotifier* m_notifier = nullptr;  // readable when a signal has arrived
    QWidget* m_window = nullptr;
};

}  // namespace kestrin
