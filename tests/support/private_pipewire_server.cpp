#include "tests/support/private_pipewire_server.h"

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace kestrin::test {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kToolTimeout{5000};
constexpr milliseconds kPoll{20};

// Waits until `ready` holds; throws with the logs when `running` says the part ended first, or at
// the timeout.
void Await(const std::string& what, const std::function<bool()>& ready,
           const std::function<bool()>& running, const std::function<std::string()>& log) {
    const auto deadline = std::chrono::steady_clock::now() + PrivateSoundServer::kStartTimeout;
    while (!ready()) {
        if (!running()) throw std::runtime_error("private " + what + " ended at start:\n" + log());
        if (std::chrono::steady_clock::now() >= deadline) {
            throw std::runtime_error("private " + what + " did not come up:\n" + log());
        }
        std::this_thread::sleep_for(kPoll);
    }
}

}  // namespace

PrivatePipeWireServer::PrivatePipeWireServer(std::vector<NullSink> sinks, int graphRate)
    : PrivateSoundServer(std::move(sinks)), m_rate(graphRate) {
    m_address = "unix:" + (m_folder.path() / "run" / "pulse" / "native").string();
    try {
        Start();
    } catch (...) {
        Stop();
        throw;
    }
}

PrivatePipeWireServer::~PrivatePipeWireServer() { Stop(); }

std::vector<std::string> PrivatePipeWireServer::ServerEnvironment() const {
    const std::filesystem::path dir = m_folder.path();
    const char* path = std::getenv("PATH");
    return {
        std::string("PATH=") + (path ? path : "/usr/bin:/bin"),
        "HOME=" + (dir / "home").string(),
        "XDG_RUNTIME_DIR=" + (dir / "run").string(),
        "XDG_CONFIG_HOME=" + (dir / "config").string(),
        "XDG_STATE_HOME=" + (dir / "state").string(),
        "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (dir / "run" / "bus").string(),
        "LANG=C",
    };
}

int PrivatePipeWireServer::RunTool(const std::vector<std::string>& argv,
                                   std::string* output) const {
    return RunProgram(argv, ServerEnvironment(), kToolTimeout, output);
}

void PrivatePipeWireServer::Start() {
    const std::filesystem::path dir = m_folder.path();
    const std::filesystem::path run = dir / "run";
    std::filesystem::create_directories(dir / "state");
    const std::vector<std::string> environment = ServerEnvironment();
    const auto logOf = [this] { return log(); };

    m_bus.Start({"dbus-daemon", "--session", "--nofork", "--nopidfile",
                 "--address=unix:path=" + (run / "bus").string()},
                environment, (dir / "bus.log").string());
    Await(
        "session bus", [&] { return std::filesystem::exists(run / "bus"); },
        [this] { return m_bus.Running(); }, logOf);

    m_daemon.Start({"pipewire"}, environment, (dir / "pipewire.log").string());
    Await(
        "PipeWire", [&] { return std::filesystem::exists(run / "pipewire-0"); },
        [this] { return m_daemon.Running(); }, logOf);

    m_sessionManager.Start({"wireplumber"}, environment, (dir / "wireplumber.log").string());
    m_pulse.Start({"pipewire-pulse"}, environment, (dir / "pipewire-pulse.log").string());
    AwaitAnswer("pipewire-pulse", [this] { return m_pulse.Running(); });

    // The sinks' own rate is 48000 Hz; a graph forced to another rate runs them at that rate.
    if (m_rate != kOwnRate && RunTool({"pw-metadata", "-n", "settings", "0", "clock.force-rate",
                                       std::to_string(m_rate)}) != 0) {
        throw std::runtime_error("private PipeWire: the graph's rate could not be set:\n" + log());
    }
    for (const NullSink& sink : m_sinks) {
        if (LoadNullSink(sink) < 0) {
            throw std::runtime_error("private PipeWire: no null sink " + sink.name + ":\n" + log());
        }
    }
    if (!m_sinks.empty()) {
        // The session manager picks a default by its own rules; the first sink is the default.
        if (Pactl({"set-default-sink", m_sinks[0].name}) != 0 ||
            !SetDefaultSource(MonitorOf(m_sinks[0].name))) {
            throw std::runtime_error("private PipeWire: the default sink could not be set:\n" +
                                     log());
        }
    }
    if (!m_sessionManager.Running()) {
        throw std::runtime_error("private PipeWire: WirePlumber ended at start:\n" + log());
    }
}

bool PrivatePipeWireServer::Running() {
    return m_pulse.Running() && m_daemon.Running() && m_sessionManager.Running() && m_bus.Running();
}

void PrivatePipeWireServer::Stop() {
    m_pulse.Stop();
    m_sessionManager.Stop();
    m_daemon.Stop();
    m_bus.Stop();
    RestoreEnvironment();
}

void PrivatePipeWireServer::Kill() { m_pulse.Kill(); }

std::string PrivatePipeWireServer::log() const {
    std::string text;
    for (const char* name : {"bus.log", "pipewire.log", "wireplumber.log", "pipewire-pulse.log"}) {
        text += std::string("--- ") + name + "\n" + ReadLog(name);
    }
    return text;
}

}  // namespace kestrin::test
