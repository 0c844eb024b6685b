#include "tests/support/private_pulse_server.h"

#include <cstdlib>

namespace kestrin::test {

PrivatePulseServer::PrivatePulseServer(std::vector<NullSink> sinks)
    : PrivateSoundServer(std::move(sinks)) {
    const std::filesystem::path dir = m_folder.path();
    m_address = "unix:" + (dir / "native").string();

    // As root the server warns that it is not meant to run so, and runs.
    std::vector<std::string> argv = {
        "pulseaudio",
        "--daemonize=no",
        "-n",
        "--exit-idle-time=-1",
        "--disallow-exit",
        "--log-target=stderr",
        "--load=module-native-protocol-unix auth-anonymous=1 socket=" + (dir / "native").string(),
    };
    for (const NullSink& sink : m_sinks) {
        argv.push_back("--load=module-null-sink sink_name=" + sink.name +
                       " sink_properties='device.description=\"" + sink.description + "\"'");
    }
    argv.push_back("--load=module-always-sink");
    const char* path = std::getenv("PATH");
    const std::vector<std::string> environment = {
        std::string("PATH=") + (path ? path : "/usr/bin:/bin"),
        "HOME=" + (dir / "home").string(),
        "XDG_RUNTIME_DIR=" + (dir / "run").string(),
        "XDG_CONFIG_HOME=" + (dir / "config").string(),
        "LANG=C",
    };
    m_server.Start(argv, environment, (dir / "server.log").string());
    try {
        AwaitAnswer("PulseAudio server", [this] { return m_server.Running(); });
    } catch (...) {
        m_server.Kill();
        throw;
    }
}

PrivatePulseServer::~PrivatePulseServer() { Stop(); }

void PrivatePulseServer::Stop() {
    m_server.Stop();
    RestoreEnvironment();
}

void PrivatePulseServer::Kill() { m_server.Kill(); }

std::string PrivatePulseServer::log() const { return ReadLog("server.log"); }

}  // namespace kestrin::test
