#include "tests/support/event_wait.h"

#include <QCoreApplication>
#include <QThread>

namespace kestrin::test {

bool ProcessEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (!done()) QThread::msleep(1);
    }
    return true;
}

void ProcessEventsFor(std::chrono::milliseconds duration) {
    ProcessEventsUntil([] { return false; }, duration);
}

}  // namespace kestrin::test
