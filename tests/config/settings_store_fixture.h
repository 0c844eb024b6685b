#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "config/settings.h"
#include "tests/config/file_bytes.h"
#include "tests/support/recording_notifier.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {

// A file's lines, each ended with CR LF.
inline std::string CrLfLines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

// The windows as the store sees them: the lock check box and the meter window's position.
struct FakeSettingsHost : SettingsHost {
    bool lockSet = false;
    int32_t left = 200;
    int32_t top = 200;
    bool LockSetChecked() const override { return lockSet; }
    int32_t WindowLeft() const override { return left; }
    int32_t WindowTop() const override { return top; }
};

// A settings store pointed at a file of its own in a fresh folder, starting from the defaults
// in memory, with no windows.
class SettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MeterSettings = {};
        SetSettingsHost(nullptr);
        SetSettingsFilePath(m_path.string());
    }
    void TearDown() override {
        SetSettingsHost(nullptr);
        SetSettingsFilePath("");
        MeterSettings = {};
    }

    void Given(const std::string& bytes) { WriteBytes(m_path, bytes); }
    std::string OnDisk() const { return ReadBytes(m_path); }

    TempDir m_dir;
    std::filesystem::path m_path = m_dir.path() / "kestrin.ini";
    RecordingNotifier m_notifier;
};

}  // namespace kestrin::test
