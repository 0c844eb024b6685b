#pragma once

#include <chrono>
#include <functional>

namespace kestrin::test {

// Runs the Qt event loop of this thread (posted events, timers) until done() holds or the timeout
// has passed; never longer. Returns done().
bool ProcessEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
// Runs the event loop for the given time.
void ProcessEventsFor(std::chrono::milliseconds duration);

}  // namespace kestrin::test
