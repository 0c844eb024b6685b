#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture/pulse_loop.h"

struct pa_context;
struct pa_operation;

namespace kestrin {

// One source of the server: its name (what a stream connects to), its description (what the
// desktop shows) and what the meter's device list shows: the description, followed by " (2)",
// " (3)" ... on the second and later sources of the same description, in the server's order.
struct PulseSource {
    std::string name;
    std::string description;
    std::string listed;
};

// The client library's main loop on its own thread (PulseLoop) and a context connected to the
// server, reconnected when the server went away. Every member except the constructor and destructor
// must be called with the main loop locked (MainLoopLock), from any thread but the main loop's own.
// No wait lasts longer than the timeout given at construction.
class PulseConnection {
  public:
    explicit PulseConnection(int timeoutMs);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // The loop, or nullptr when it could not be started.
    PulseLoop* mainloop() const { return m_loop.get(); }
    // The connected context, or nullptr when no server answers within the timeout.
    pa_context* Context();

    // Waits until done() holds, waking on every main loop signal; false on timeout. The loop
    // looks at the server meanwhile, even in a quiet time.
    bool WaitFor(const std::function<bool()>& done);
    // Wakes every WaitFor; for callbacks on the main loop's thread.
    void Signal();

    // The server's sources, the default source first, the others in the server's order; nullopt
    // when the server can't be asked.
    std::optional<std::vector<PulseSource>> ListSources();
    // The name of the server's default source; nullopt when the server can't be asked or has none.
    std::optional<std::string> DefaultSourceName();
    // Whether the server has a source of that name; nullopt when it can't be asked.
    std::optional<bool> HasSource(const std::string& name);

  private:
    bool WaitForOperation(pa_operation* operation);
    void DropContext();

    int m_timeoutMs;
    std::unique_ptr<PulseLoop> m_loop;
    pa_context* m_context = nullptr;
};

// Holds the main loop's lock for a scope.
class MainLoopLock {
  public:
    explicit MainLoopLock(PulseLoop* mainloop);
    ~MainLoopLock();
    MainLoopLock(const MainLoopLock&) = delete;
    MainLoopLock& operator=(const MainLoopLock&) = delete;

  private:
    PulseLoop* m_mainloop;
};

}  // namespace kestrin
