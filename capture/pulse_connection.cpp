#include "capture/pulse_connection.h"

#include <map>

#include "capture/pulse_library.h"
#include "config/notice.h"

namespace kestrin {
namespace {

struct Deadline {
    PulseLoop* loop;
    bool expired = false;
};

void OnDeadline(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
    auto* deadline = static_cast<Deadline*>(userdata);
    deadline->expired = true;
    deadline->loop->Signal();
}

void OnStateChange(pa_context*, void* userdata) {
    static_cast<PulseConnection*>(userdata)->Signal();
}

void OnOperationState(pa_operation*, void* userdata) {
    static_cast<PulseConnection*>(userdata)->Signal();
}

struct ServerQuery {
    std::string defaultSource;
};

void OnServerInfo(pa_context*, const pa_server_info* info, void* userdata) {
    if (info && info->default_source_name) {
        static_cast<ServerQuery*>(userdata)->defaultSource = info->default_source_name;
    }
}

void OnSourceInfo(pa_context*, const pa_source_info* info, int eol, void* userdata) {
    if (eol != 0 || !info) return;
    auto* sources = static_cast<std::vector<PulseSource>*>(userdata);
    sources->push_back({info->name, info->description ? info->description : info->name, {}});
}

// Names each source as the device list shows it: two sources of the same description must be
// told apart, or the name stored for one would find the other.
void NameForTheList(std::vector<PulseSource>& sources) {
    std::map<std::string, int> seen;
    for (PulseSource& source : sources) {
        const int count = ++seen[source.description];
        source.listed = count == 1 ? source.description
                                   : source.description + " (" + std::to_string(count) + ")";
    }
}

void OnSourceFound(pa_context*, const pa_source_info* info, int eol, void* userdata) {
    if (eol == 0 && info) *static_cast<bool*>(userdata) = true;
}

}  // namespace

MainLoopLock::MainLoopLock(PulseLoop* mainloop) : m_mainloop(mainloop) { m_mainloop->Lock(); }

MainLoopLock::~MainLoopLock() { m_mainloop->Unlock(); }

PulseConnection::PulseConnection(int timeoutMs)
    : m_timeoutMs(timeoutMs), m_loop(std::make_unique<PulseLoop>()) {
    if (!m_loop->running()) m_loop.reset();
}

PulseConnection::~PulseConnection() {
    if (!m_loop) return;
    MainLoopLock lock(m_loop.get());
    DropContext();
}

void PulseConnection::Signal() { m_loop->Signal(); }

bool PulseConnection::WaitFor(const std::function<bool()>& done) {
    if (done()) return true;
    m_loop->BeginServerWait();
    Deadline deadline{m_loop.get()};
    timeval when;
    Pulse().pa_gettimeofday(&when);
    Pulse().pa_timeval_add(&when, static_cast<pa_usec_t>(m_timeoutMs) * PA_USEC_PER_MSEC);
    pa_mainloop_api* api = m_loop->api();
    pa_time_event* event = api->time_new(api, &when, OnDeadline, &deadline);
    while (!done() && !deadline.expired) m_loop->Wait();
    api->time_free(event);
    m_loop->EndServerWait();
    return done();
}

void PulseConnection::DropContext() {
    if (!m_context) return;
    Pulse().pa_context_set_state_callback(m_context, nullptr, nullptr);
    Pulse().pa_context_disconnect(m_context);
    Pulse().pa_context_unref(m_context);
    m_context = nullptr;
}

pa_context* PulseConnection::Context() {
    if (!m_loop) return nullptr;
    if (m_context) {
        if (Pulse().pa_context_get_state(m_context) == PA_CONTEXT_READY) return m_context;
        // The server went away; streams on the old context have failed with it.
        DropContext();
    }
    m_context = Pulse().pa_context_new(m_loop->api(), kApplicationTitle);
    if (!m_context) return nullptr;
    Pulse().pa_context_set_state_callback(m_context, OnStateChange, this);
    // Never start a server for the meter: no server is a device that can't be used.
    if (Pulse().pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        DropContext();
        return nullptr;
    }
    WaitFor([this] {
        const pa_context_state_t state = Pulse().pa_context_get_state(m_context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    });
    if (Pulse().pa_context_get_state(m_context) != PA_CONTEXT_READY) {
        DropContext();
        return nullptr;
    }
    return m_context;
}

bool PulseConnection::WaitForOperation(pa_operation* operation) {
    if (!operation) return false;
    Pulse().pa_operation_set_state_callback(operation, OnOperationState, this);
    WaitFor(
        [operation] { return Pulse().pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
    const bool done = Pulse().pa_operation_get_state(operation) == PA_OPERATION_DONE;
    // Cancelled, its callbacks never run again, so the caller's results may go out of scope.
    if (!done) Pulse().pa_operation_cancel(operation);
    Pulse().pa_operation_set_state_callback(operation, nullptr, nullptr);
    Pulse().pa_operation_unref(operation);
    return done;
}

std::optional<std::vector<PulseSource>> PulseConnection::ListSources() {
    pa_context* context = Context();
    if (!context) return std::nullopt;
    ServerQuery server;
    std::vector<PulseSource> listed;
    const bool serverDone =
        WaitForOperation(Pulse().pa_context_get_server_info(context, OnServerInfo, &server));
    const bool listDone =
        WaitForOperation(Pulse().pa_context_get_source_info_list(context, OnSourceInfo, &listed));
    if (!serverDone || !listDone) return std::nullopt;
    NameForTheList(listed);
    std::vector<PulseSource> sources;
    sources.reserve(listed.size());
    for (const PulseSource& source : listed) {
        if (source.name == server.defaultSource)
            sources.insert(sources.begin(), source);
        else
            sources.push_back(source);
    }
    return sources;
}

std::optional<std::string> PulseConnection::DefaultSourceName() {
    pa_context* context = Context();
    if (!context) return std::nullopt;
    ServerQuery server;
    if (!WaitForOperation(Pulse().pa_context_get_server_info(context, OnServerInfo, &server))) {
        return std::nullopt;
    }
    if (server.defaultSource.empty()) return std::nullopt;
    return server.defaultSource;
}

std::optional<bool> PulseConnection::HasSource(const std::string& name) {
    pa_context* context = Context();
    if (!context) return std::nullopt;
    bool found = false;
    // A missing source ends the operation with an error, but the operation is still done.
    if (!WaitForOperation(Pulse().pa_context_get_source_info_by_name(context, name.c_str(),
                                                                     OnSourceFound, &found))) {
        return std::nullopt;
    }
    return found;
}

}  // namespace kestrin
