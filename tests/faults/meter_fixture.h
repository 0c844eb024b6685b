#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/faults/accessible_boxes.h"
#include "tests/faults/desktop_session.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {

class PrivateSoundServer;

// The real meter program on a desktop of the test's own. The executable is copied into a folder
// of the test's own, so that the settings file beside it is the test's: it starts from the bytes
// the test gives and can be compared byte for byte afterwards.
class MeterFixture : public ::testing::Test {
  protected:
    using milliseconds = std::chrono::milliseconds;

    static constexpr milliseconds kWindowTimeout{15000};
    static constexpr milliseconds kBoxTimeout{10000};
    // A failure box ends the program at once when it is dismissed; allow for a busy machine.
    static constexpr milliseconds kExitTimeout{2000};

    // The settings a test starts from, as the meter itself writes them (CR LF line ends).
    static std::string Settings(const std::string& deviceName);
    static constexpr const char* kShortName = "Studio 3";

    void SetUp() override;
    void TearDown() override;

    // Starts the meter with the given settings file, pointed at a sound server by the given
    // variables (PULSE_SERVER, ...).
    void StartMeter(const std::string& settings, const std::vector<std::string>& soundVariables);
    // Waits for the meter window, captioned with the stored short name; false on timeout.
    bool AwaitMeterWindow();
    // Waits until the meter's capture stream records from the named source; false on timeout.
    bool AwaitRecordingFrom(const PrivateSoundServer& server, const std::string& sourceName);

    // Waits until at least `count` message boxes are open and no more come for a moment; returns
    // what is open then (possibly fewer than `count` after the timeout).
    std::vector<ShownBox> AwaitBoxes(size_t count, milliseconds timeout = kBoxTimeout);
    // X windows of the meter whose caption ends like an error box's, oldest first.
    std::vector<std::string> BoxWindows() const;
    // Presses Return on the newest box, as an operator dismisses the box on top; returns when.
    std::chrono::steady_clock::time_point DismissNewestBox();
    // The meter's exit status, waiting at most `timeout`; nullopt while it still runs.
    std::optional<int> AwaitExit(milliseconds timeout = kExitTimeout);

    std::string SettingsBytes() const;
    // What went on, for a failed expectation: the meter's output, its windows, the desktop's logs.
    std::string Diagnostics();

    std::unique_ptr<DesktopSession> m_desktop;
    std::unique_ptr<AccessibleBoxes> m_boxes;
    TempDir m_folder;  // the meter's own folder
    ChildProcess m_meter;
};

// Interleaved stereo: a sine tone at about -12 dBFS, one second long.
std::vector<int16_t> ToneSecond();

}  // namespace kestrin::test
