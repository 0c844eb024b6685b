#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace kestrin::test {

class PrivateSoundServer;

// Plays interleaved 16-bit stereo samples (A, B, A, B, ...; s16le, at the server's rate) into a
// sink of a private server with pacat; the played samples come back bit for bit from the sink's
// monitor to a stream recording at that rate.
// The first of them can take about 2 s to reach a recording stream. With the default latency of
// 10 ms the played sound reaches the monitor quickly, but a busy machine can starve the player:
// the sink then plays a short silence and skips what it missed (Underruns() tells). Tests that
// compare long runs of samples choose a longer latency, e.g. 200 ms.
class SamplePlayer {
  public:
    // Plays the samples `repeat` times over, then ends. Throws std::runtime_error.
    SamplePlayer(const PrivateSoundServer& server, const std::string& sinkName,
                 const std::vector<int16_t>& interleaved, int repeat = 1, int latencyMs = 10);
    ~SamplePlayer();
    SamplePlayer(const SamplePlayer&) = delete;
    SamplePlayer& operator=(const SamplePlayer&) = delete;

    pid_t pid() const { return m_player.pid(); }
    bool Running() { return m_player.Running(); }
    // pacat's exit status once it has played everything; nullopt while it still plays.
    std::optional<int> WaitFinished(std::chrono::milliseconds timeout) {
        return m_player.WaitExit(timeout);
    }
    void Stop() { m_player.Stop(); }
    // How often the player ran dry so far.
    int Underruns() const;

  private:
    std::filesystem::path m_file;
    std::filesystem::path m_log;
    ChildProcess m_player;
};

// A 1 kHz sine on both channels, interleaved, at a rate in frames per second, its peak at `dbfs`
// relative to 32768: a level of EBU Tech 3341's test cases.
std::vector<int16_t> StereoTone(double dbfs, double seconds, int rate);

}  // namespace kestrin::test
