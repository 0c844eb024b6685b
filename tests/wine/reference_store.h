#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "config/settings.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {

// The Linux program's settings store working on a copy of a settings file, to tell which bytes
// the Windows program must leave in its own: the file is loaded as at start, the test changes the
// settings in memory as the dialog would, and saves as the dialog's OK and the window's close do.
// Uses the store's one instance of the settings; one at a time.
class ReferenceStore : private SettingsHost {
  public:
    explicit ReferenceStore(const std::string& initial);
    ~ReferenceStore() override;
    ReferenceStore(const ReferenceStore&) = delete;
    ReferenceStore& operator=(const ReferenceStore&) = delete;

    TMeterSettings& settings() { return MeterSettings; }
    // OK in the dialog, with the lock check box as given and the meter window at left, top.
    void SaveAfterOk(bool lockSetChecked, int32_t left, int32_t top);
    // The meter window closing at left, top.
    void SaveOnClose(int32_t left, int32_t top);
    std::string Bytes() const;

  private:
    bool LockSetChecked() const override { return m_lockSet; }
    int32_t WindowLeft() const override { return m_left; }
    int32_t WindowTop() const override { return m_top; }

    TempDir m_folder;
    std::filesystem::path m_path;
    bool m_lockSet = false;
    int32_t m_left = 0;
    int32_t m_top = 0;
};

}  // namespace kestrin::test
