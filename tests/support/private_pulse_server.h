#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/private_sound_server.h"

namespace kestrin::test {

// A PulseAudio server of the test's own: one child process with its own runtime, home and config
// folders in a temporary folder, a socket there, and the given null sinks. Started by the
// constructor, which returns once the server answers; stopped by its PID.
class PrivatePulseServer : public PrivateSoundServer {
  public:
    // Throws std::runtime_error (with the server's log) when the server does not answer in time.
    explicit PrivatePulseServer(std::vector<NullSink> sinks = {{"meter_test", "Meter Test"}});
    ~PrivatePulseServer() override;

    static constexpr int kRate = 44100;  // frames per second: PulseAudio's default sample rate

    SoundServerKind kind() const override { return SoundServerKind::PulseAudio; }
    int rate() const override { return kRate; }
    pid_t pid() const override { return m_server.pid(); }
    bool Running() override { return m_server.Running(); }
    void Stop() override;
    void Kill() override;
    std::string log() const override;

  private:
    ChildProcess m_server;
};

}  // namespace kestrin::test
