#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/private_sound_server.h"

namespace kestrin::test {

// A PipeWire of the test's own, as a desktop runs it: a session bus (the session manager exits
// without one, and then no stream is ever linked), the PipeWire daemon, the WirePlumber session
// manager, and pipewire-pulse, which answers PulseAudio clients. Each has its runtime, home,
// config and state folders in a temporary folder. The null sinks are made through pipewire-pulse.
// The graph runs at its own 48000 Hz, as on a desktop, or forced to 44100 Hz, the design's rate;
// either way what is played into a sink at the graph's rate comes back from its monitor sample
// for sample to a stream recording at that rate. Every process is stopped by its PID, the last
// started first.
class PrivatePipeWireServer : public PrivateSoundServer {
  public:
    static constexpr int kOwnRate = 48000;     // frames per second, the graph's own
    static constexpr int kForcedRate = 44100;  // frames per second

    // Throws std::runtime_error (with the logs) when a part does not come up in time.
    explicit PrivatePipeWireServer(std::vector<NullSink> sinks = {{"meter_test", "Meter Test"}},
                                   int graphRate = kForcedRate);
    ~PrivatePipeWireServer() override;

    SoundServerKind kind() const override {
        return m_rate == kOwnRate ? SoundServerKind::PipeWireAt48k : SoundServerKind::PipeWire;
    }
    int rate() const override { return m_rate; }
    // pipewire-pulse, which the meter talks to.
    pid_t pid() const override { return m_pulse.pid(); }
    bool Running() override;
    void Stop() override;
    // Kills pipewire-pulse.
    void Kill() override;
    std::string log() const override;

    pid_t sessionManagerPid() const { return m_sessionManager.pid(); }
    // Kills WirePlumber (SIGKILL), as a crash would: the streams stay connected but unlinked.
    void KillSessionManager() { m_sessionManager.Kill(); }

  private:
    std::vector<std::string> ServerEnvironment() const;
    // Runs a PipeWire tool against this server; its exit status, -1 on a timeout.
    int RunTool(const std::vector<std::string>& argv, std::string* output = nullptr) const;
    void Start();

    int m_rate;  // frames per second the graph runs at
    ChildProcess m_bus;
    ChildProcess m_daemon;
    ChildProcess m_sessionManager;
    ChildProcess m_pulse;
};

}  // namespace kestrin::test
