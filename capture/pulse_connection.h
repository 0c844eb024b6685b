#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct pa_context;
struct pa_operation;
struct pa_threaded_mainloop;

namespace kestrin {

// One source of the server: its name (what a stream connects to) and its description (what the
// desktop shows).
struct PulseSource {
    std::string name;
    std::string description;
};

// A threaded client main loop and a context connected to the server, reconnected when the server
// went away. Every member except the constructor and destructor must be called with the main loop
// locked (MainLoopLock), from any thread but the main loop's own. No wait lasts longer than the
// timeout given at construction.
class PulseConnection {
  public:
    explicit PulseConnection(int timeoutMs);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    pa_threaded_mainloop* mainloop() const { return m_mainloop; }
    // The connected context, or nullptr when no server answers within the timeout.
    pa_context* Context();

    // Waits until done() holds, waking on every main loop signal; false on timeout.
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
    pa_threaded_mainloop* m_mainloop = nullptr;
    pa_context* m_context = nullptr;
};

// Holds the main loop's lock for a scope.
class MainLoopLock {
  public:
    explicit MainLoopLock(pa_threaded_mainloop* mainloop);
    ~MainLoopLock();
    MainLoopLock(const MainLoopLock&) = delete;
    MainLoopLock& operator=(const MainLoopLock&) = delete;

  private:
    pa_threaded_mainloop* m_mainloop;
};

}  // namespace kestrin
