#include "tests/support/private_sound_server.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/private_pipewire_server.h"
#include "tests/support/private_pulse_server.h"

namespace kestrin::test {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kPactlTimeout{5000};

std::string NullSinkArguments(const NullSink& sink) {
    return "sink_name=" + sink.name + " sink_properties='device.description=\"" + sink.description +
           "\"'";
}

}  // namespace

std::string ToString(SoundServerKind kind) {
    switch (kind) {
        case SoundServerKind::PulseAudio:
            return "PulseAudio";
        case SoundServerKind::PipeWire:
            return "PipeWire";
        case SoundServerKind::PipeWireAt48k:
            return "PipeWireAt48k";
    }
    return "?";
}

PrivateSoundServer::PrivateSoundServer(std::vector<NullSink> sinks) : m_sinks(std::move(sinks)) {
    const std::filesystem::path dir = m_folder.path();
    for (const char* sub : {"run", "home", "config"})
        std::filesystem::create_directories(dir / sub);
    std::filesystem::permissions(dir / "run", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    m_cookie = (dir / "config" / "pulse" / "cookie").string();
}

PrivateSoundServer::~PrivateSoundServer() = default;

std::vector<NullSink> PrivateSoundServer::Sinks(int count) {
    std::vector<NullSink> sinks;
    for (int i = 0; i < count; ++i) {
        sinks.push_back({"kestrin_sink_" + std::to_string(i), "Kestrin Sink " + std::to_string(i)});
    }
    return sinks;
}

void PrivateSoundServer::AwaitAnswer(const std::string& what,
                                     const std::function<bool()>& running) {
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (Pactl({"info"}) != 0) {
        if (!running()) throw std::runtime_error("private " + what + " ended at start:\n" + log());
        if (std::chrono::steady_clock::now() >= deadline) {
            throw std::runtime_error("private " + what + " did not answer:\n" + log());
        }
        std::this_thread::sleep_for(milliseconds(50));
    }
}

std::vector<std::string> PrivateSoundServer::ClientVariables() const {
    return {"PULSE_SERVER=" + m_address, "PULSE_COOKIE=" + m_cookie};
}

std::vector<std::string> PrivateSoundServer::ClientEnvironment() const {
    return EnvironmentWith(ClientVariables());
}

void PrivateSoundServer::UseInThisProcess() {
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

void PrivateSoundServer::RestoreEnvironment() {
    for (const auto& [name, value] : m_savedEnvironment) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    m_savedEnvironment.clear();
}

int PrivateSoundServer::Pactl(const std::vector<std::string>& args, std::string* output) const {
    std::vector<std::string> argv = {"pactl"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, ClientEnvironment(), kPactlTimeout, output);
}

int PrivateSoundServer::LoadNullSink(const NullSink& sink) {
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

bool PrivateSoundServer::UnloadModule(int moduleIndex) {
    return Pactl({"unload-module", std::to_string(moduleIndex)}) == 0;
}

bool PrivateSoundServer::SetDefaultSource(const std::string& sourceName) {
    if (Pactl({"set-default-source", sourceName}) != 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + kPactlTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::string info;
        if (Pactl({"get-default-source"}, &info) == 0 && info == sourceName + "\n") return true;
        std::this_thread::sleep_for(milliseconds(20));
    }
    return false;
}

std::string PrivateSoundServer::ReadLog(const std::string& fileName) const {
    std::ifstream in(m_folder.path() / fileName);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::unique_ptr<PrivateSoundServer> StartPrivateServer(SoundServerKind kind,
                                                       std::vector<NullSink> sinks) {
    if (kind == SoundServerKind::PulseAudio) {
        return std::make_unique<PrivatePulseServer>(std::move(sinks));
    }
    const int rate = kind == SoundServerKind::PipeWire ? PrivatePipeWireServer::kForcedRate
                                                       : PrivatePipeWireServer::kOwnRate;
    return std::make_unique<PrivatePipeWireServer>(std::move(sinks), rate);
}

std::vector<SoundServerKind> SoundServerKinds() {
    return {SoundServerKind::PulseAudio, SoundServerKind::PipeWire};
}

std::vector<SoundServerKind> SoundServerKindsAtEveryRate() {
    return {SoundServerKind::PulseAudio, SoundServerKind::PipeWire, SoundServerKind::PipeWireAt48k};
}

}  // namespace kestrin::test
