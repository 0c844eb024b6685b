#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kestrin::test {

// The current environment as NAME=value texts, with the given entries set or replaced.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& overrides);

// A program run as a child of the test and stopped by its PID, never by name. It is told to end
// (SIGTERM) if the thread that started it dies, so a crashed test leaves no server behind.
class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (looked up in PATH) with exactly the given environment; its standard output
    // and error go to logPath, or nowhere when it is empty. Throws std::runtime_error.
    void Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
               const std::string& logPath = {});

    pid_t pid() const { return m_pid; }
    bool Running();
    // The exit status once it has ended (128 + signal number when a signal ended it), waiting at
    // most `timeout`; nullopt while it still runs.
    std::optional<int> WaitExit(std::chrono::milliseconds timeout);
    // SIGTERM, then SIGKILL when it has not ended within `grace`; reaped either way.
    void Stop(std::chrono::milliseconds grace = std::chrono::milliseconds(3000));
    // SIGKILL, as a crash would end it; reaped.
    void Kill();

  private:
    bool Reap(bool block);

    pid_t m_pid = -1;
    std::optional<int> m_status;
};

// Runs a program to its end with the given environment. Returns its exit status, or -1 when it
// did not end within `timeout` (it is then killed). Standard output and error go to `output`.
int RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
               std::chrono::milliseconds timeout, std::string* output = nullptr);

}  // namespace kestrin::test
