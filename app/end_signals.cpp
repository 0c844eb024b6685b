#include "app/end_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace kestrin {
namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe through which the handler wakes the event loop: read end, write end.
int wakePipe[2] = {-1, -1};
// Whether a signal has come; any thread may take one.
volatile sig_atomic_t signalsReceived = 0;

// Only what is safe in a signal handler: a byte into the pipe, or the end.
extern "C" void OnEndSignal(int) {
    if (signalsReceived != 0) _exit(0);
    signalsReceived = 1;
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

EndSignals::EndSignals() {
    // Without a pipe (no descriptor left) the signals keep ending the program at once.
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    m_notifier = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier, &QSocketNotifier::activated, [this] { Arrived(); });

    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : kEndSignals) sigaddset(&action.sa_mask, signal);
    for (const int signal : kEndSignals) {
        // A signal the program was started ignoring (nohup) stays ignored.
        struct sigaction before {};
        ::sigaction(signal, nullptr, &before);
        if (before.sa_handler != SIG_IGN) ::sigaction(signal, &action, nullptr);
    }
}

EndSignals::~EndSignals() {
    if (!m_notifier) return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : kEndSignals) {
        struct sigaction now {};
        ::sigaction(signal, nullptr, &now);
        if (now.sa_handler == OnEndSignal) ::sigaction(signal, &action, nullptr);
    }
    delete m_notifier;
    ::close(wakePipe[0]);
    ::close(wakePipe[1]);
    wakePipe[0] = wakePipe[1] = -1;
}

void EndSignals::CloseOnSignal(QWidget* window) { m_window = window; }

// The close may show a box (a failed write); once it has run, every loop ends, that of a modal
// dialog or box standing open included, since the session does not wait for the operator.
void EndSignals::Arrived() {
    char bytes[16];
    while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
    }
    // Once is enough: a second signal ends the program in the handler itself.
    m_notifier->setEnabled(false);
    // Before the window is named only a box of the start-up (a device not found) runs a loop:
    // the meter has not shown yet, so nothing of the operator's is there to keep.
    if (!m_window) std::_Exit(0);
    m_window->close();
    QCoreApplication::exit(0);
}

}  // namespace kestrin
