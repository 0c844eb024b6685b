#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {

// A null sink of the private server: what is played into it comes back, sample for sample, from
// its monitor source "<name>.monitor", described as "Monitor of <description>".
struct NullSink {
    std::string name;
    std::string description;
};

// A PulseAudio server of the test's own: a child process with its own runtime, home and config
// folders in a temporary folder, a socket there, and the given null sinks (the first is the
// default sink, so its monitor is the default source). Several tests may run servers at once.
// Started by the constructor, which returns once the server answers; stopped by its PID.
class PrivatePulseServer {
  public:
    static constexpr std::chrono::milliseconds kStartTimeout{10000};

    // Throws std::runtime_error (with the server's log) when the server does not answer in time.
    explicit PrivatePulseServer(std::vector<NullSink> sinks = {{"meter_test", "Meter Test"}});
    ~PrivatePulseServer();
    PrivatePulseServer(const PrivatePulseServer&) = delete;
    PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

    // `count` sinks named "kestrin_sink_<i>", described "Kestrin Sink <i>", i from 0.
    static std::vector<NullSink> Sinks(int count);
    static std::string MonitorOf(const std::string& sinkName) { return sinkName + ".monitor"; }
    static std::string MonitorDescription(const NullSink& sink) {
        return "Monitor of " + sink.description;
    }

    // The sinks the server started with.
    const std::vector<NullSink>& sinks() const { return m_sinks; }
    // The server address, "unix:<folder>/native": the value of PULSE_SERVER.
    const std::string& address() const { return m_address; }
    // PULSE_SERVER and PULSE_COOKIE, as NAME=value texts.
    std::vector<std::string> ClientVariables() const;
    // The current environment with ClientVariables(): for a child process that is a client.
    std::vector<std::string> ClientEnvironment() const;
    // Points this process's PulseAudio clients (those connecting from now on) at this server.
    // The previous values come back when the server is stopped or destroyed. Call it from the
    // test's main thread while no other thread reads the environment.
    void UseInThisProcess();

    pid_t pid() const { return m_server.pid(); }
    bool Running() { return m_server.Running(); }
    // Ends the server (SIGTERM, SIGKILL after 3 s) and restores the environment.
    void Stop();
    // Kills the server at once (SIGKILL), as a crash would; the environment stays pointed at it.
    void Kill();

    // Runs pactl against this server; returns its exit status (-1 on a timeout of 5 s).
    int Pactl(const std::vector<std::string>& args, std::string* output = nullptr) const;
    // Loads another null sink; returns its module index, or -1.
    int LoadNullSink(const NullSink& sink);
    bool UnloadModule(int moduleIndex);

    const std::filesystem::path& folder() const { return m_folder.path(); }
    std::string log() const;

  private:
    void RestoreEnvironment();

    TempDir m_folder;
    std::vector<NullSink> m_sinks;
    std::string m_address;
    std::string m_cookie;
    ChildProcess m_server;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_savedEnvironment;
};

}  // namespace kestrin::test
