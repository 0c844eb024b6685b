#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/wine/wine_session.h"

namespace kestrin::test {

// One run of the meter's Windows program (kestrin.exe) under Wine: a copy of it in a fresh folder
// with the settings file written beside it, recording from the session's sound server or another
// one. Stopped by its PID when the test leaves it running.
class WineMeter {
  public:
    static constexpr std::chrono::milliseconds kWindowTimeout{20000};
    static constexpr std::chrono::milliseconds kExitTimeout{10000};

    // Starts the program; `settings` is the settings file's content (nothing written when empty).
    // The program goes into `folder` when one is given (it must exist), else into a fresh one.
    WineMeter(WineSession& session, const std::string& settings,
              const PrivateSoundServer* sound = nullptr, const std::filesystem::path& folder = {});
    ~WineMeter();
    WineMeter(const WineMeter&) = delete;
    WineMeter& operator=(const WineMeter&) = delete;

    // The X window named `caption` once it shows; empty when none did in time or the program
    // ended first.
    std::string AwaitWindow(const std::string& caption,
                            std::chrono::milliseconds timeout = kWindowTimeout);
    // Waits until no window named `caption` shows any more; false at the timeout.
    bool AwaitWindowGone(const std::string& caption,
                         std::chrono::milliseconds timeout = kWindowTimeout);
    // The exit status once the program has ended; nullopt while it still runs at the timeout.
    std::optional<int> AwaitExit(std::chrono::milliseconds timeout = kExitTimeout);
    bool Running() { return m_program.Running(); }

    // The settings file's bytes, empty when there is none.
    std::string Settings() const;
    const std::filesystem::path& settingsPath() const { return m_settings; }
    // What Wine printed for the program.
    std::string log() const;

  private:
    WineSession& m_session;
    TempDir m_temp;
    std::filesystem::path m_folder;  // where the program and its settings file are
    std::filesystem::path m_settings;
    ChildProcess m_program;
};

// Waits, checking every `poll`, until `done` holds; false at the timeout.
bool PollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds poll = std::chrono::milliseconds(100));

}  // namespace kestrin::test
