#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace kestrin::test {

// A null sink of a private server: what is played into it comes back, sample for sample, from
// its monitor source "<name>.monitor", described as "Monitor of <description>".
struct NullSink {
    std::string name;
    std::string description;
};

// The two sound servers the meter meets on Linux desktops, each serving the PulseAudio client
// interface: PulseAudio (its sinks at 44100 Hz), PipeWire with its graph forced to 44100 Hz, and
// PipeWire as desktops run it, the graph at its own 48000 Hz.
enum class SoundServerKind { PulseAudio, PipeWire, PipeWireAt48k };
std::string ToString(SoundServerKind kind);
// For GoogleTest's names of parameterised tests.
inline void PrintTo(SoundServerKind kind, std::ostream* out) { *out << ToString(kind); }

// A sound server of the test's own, answering PulseAudio clients on a socket in a temporary
// folder, with the given null sinks (the first is the default sink, so its monitor is the default
// source). What a client of it needs is the same whichever server runs; the processes behind it
// differ. Several tests may run servers at once. Every process is stopped by its PID.
class PrivateSoundServer {
  public:
    static constexpr std::chrono::milliseconds kStartTimeout{10000};

    virtual ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    // `count` sinks named "kestrin_sink_<i>", described "Kestrin Sink <i>", i from 0.
    static std::vector<NullSink> Sinks(int count);
    static std::string MonitorOf(const std::string& sinkName) { return sinkName + ".monitor"; }
    static std::string MonitorDescription(const NullSink& sink) {
        return "Monitor of " + sink.description;
    }

    virtual SoundServerKind kind() const = 0;
    // The frames per second its sinks, and so their monitors, run at.
    virtual int rate() const = 0;
    // The sinks the server started with.
    const std::vector<NullSink>& sinks() const { return m_sinks; }
    // The server address, "unix:<folder>/...": the value of PULSE_SERVER.
    const std::string& address() const { return m_address; }
    // PULSE_SERVER and PULSE_COOKIE, as NAME=value texts.
    std::vector<std::string> ClientVariables() const;
    // The current environment with ClientVariables(): for a child process that is a client.
    std::vector<std::string> ClientEnvironment() const;
    // Points this process's PulseAudio clients (those connecting from now on) at this server.
    // The previous values come back when the server is stopped or destroyed. Call it from the
    // test's main thread while no other thread reads the environment.
    void UseInThisProcess();

    // The process that answers the clients.
    virtual pid_t pid() const = 0;
    virtual bool Running() = 0;
    // Ends every process of the server (SIGTERM, SIGKILL after 3 s) and restores the environment.
    virtual void Stop() = 0;
    // Kills the process that answers the clients at once (SIGKILL), as a crash would; the
    // environment stays pointed at it.
    virtual void Kill() = 0;

    // Runs pactl against this server; returns its exit status (-1 on a timeout of 5 s).
    int Pactl(const std::vector<std::string>& args, std::string* output = nullptr) const;
    // Loads another null sink; returns its module index, or -1.
    int LoadNullSink(const NullSink& sink);
    bool UnloadModule(int moduleIndex);
    // Makes a source the default one and waits (at most 5 s) until the server says it is.
    bool SetDefaultSource(const std::string& sourceName);

    const std::filesystem::path& folder() const { return m_folder.path(); }
    // What the server's processes wrote.
    virtual std::string log() const = 0;

  protected:
    explicit PrivateSoundServer(std::vector<NullSink> sinks);
    // Waits until pactl gets an answer; throws std::runtime_error with the log when `running`
    // says the server ended, or at the timeout.
    void AwaitAnswer(const std::string& what, const std::function<bool()>& running);
    void RestoreEnvironment();
    std::string ReadLog(const std::string& fileName) const;

    TempDir m_folder;
    std::vector<NullSink> m_sinks;
    std::string m_address;
    std::string m_cookie;

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_savedEnvironment;
};

// A private server of the given kind, started; throws std::runtime_error when it does not answer.
std::unique_ptr<PrivateSoundServer> StartPrivateServer(SoundServerKind kind,
                                                       std::vector<NullSink> sinks = {
                                                           {"meter_test", "Meter Test"}});

// The kinds of server the end-to-end tests run against, as test parameters: PulseAudio and
// PipeWire at 44100 Hz.
std::vector<SoundServerKind> SoundServerKinds();
// Those and PipeWire at its own 48000 Hz, for what the meter reads at the source's own rate.
std::vector<SoundServerKind> SoundServerKindsAtEveryRate();

}  // namespace kestrin::test
