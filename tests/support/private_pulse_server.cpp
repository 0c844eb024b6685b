#include "tests/support/private_pulse_server.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace kestrin::test {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kPactlTimeout{5000};

std::string NullSinkArguments(const NullSink& sink) {
    return "sink_name=" + sink.name + " sink_properties='device.description=\"" + sink.description +
           "\"'";
}

}  // namespace

PrivatePulseServer::PrivatePulseServer(std::vector<NullSink> sinks) : m_sinks(std::move(sinks)) {
    const std::filesystem::path dir = m_folder.path();
    for (const char* sub : {"run", "home", "config"})
        std::filesystem::create_directories(dir / sub);
    m_address = "unix:" + (dir / "native").string();
    m_cookie = (dir / "config" / "pulse" / "cookie").string();

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
        argv.push_back("--load=module-null-sink " + NullSinkArguments(sink));
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

    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (Pactl({"info"}) != 0) {
        if (!m_server.Running()) {
            throw std::runtime_error("private PulseAudio server ended at start:\n" + log());
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            m_server.Kill();
            throw std::runtime_error("private PulseAudio server did not answer:\n" + log());
        }
        std::this_thread::sleep_for(milliseconds(50));
    }
}

PrivatePulseServer::~PrivatePulseServer() { Stop(); }

std::vector<NullSink> PrivatePulseServer::Sinks(int count) {
    std::vector<NullSink> sinks;
    for (int i = 0; i < count; ++i) {
        sinks.push_back({"kestrin_sink_" + std::to_string(i), "Kestrin Sink " + std::to_string(i)});
    }
    return sinks;
}

std::vector<std::string> PrivatePulseServer::ClientVariables() const {
    return {"PULSE_SERVER=" + m_address, "PULSE_COOKIE=" + m_cookie};
}

std::vector<std::string> PrivatePulseServer::ClientEnvironment() const {
    return EnvironmentWith(ClientVariables());
}

void PrivatePulseServer::UseInThisProcess() {
    if (m_savedEnvironment.empty()) {
        for (const char* name : {"PULSE_SERVER", "PULSE_COOKIE"}) {
            const char* value = std::getenv(name);
            m_savedEnvironment.emplace_back(
                name, value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    setenv("PULSE_SERVER", m_address.c_str(), 1);
    setenv("PULSE_COOKIE", m_cookie.c_str(), 1);
}

void PrivatePulseServer::RestoreEnvironment() {
    for (const auto& [name, value] : m_savedEnvironment) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    m_savedEnvironment.clear();
}

void PrivatePulseServer::Stop() {
    m_server.Stop();
    RestoreEnvironment();
}

void PrivatePulseServer::Kill() { m_server.Kill(); }

int PrivatePulseServer::Pactl(const std::vector<std::string>& args, std::string* output) const {
    std::vector<std::string> argv = {"pactl"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, ClientEnvironment(), kPactlTimeout, output);
}

int PrivatePulseServer::LoadNullSink(const NullSink& sink) {
    std::string output;
    if (Pactl({"load-module", "module-null-sink", NullSinkArguments(sink)}, &output) != 0) {
        return -1;
    }
    try {
        return std::stoi(output);
    } catch (const std::exception&) {
        return -1;
    }
}

bool PrivatePulseServer::UnloadModule(int moduleIndex) {
    return Pactl({"unload-module", std::to_string(moduleIndex)}) == 0;
}

std::string PrivatePulseServer::log() const {
    std::ifstream in(m_folder.path() / "server.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace kestrin::test
