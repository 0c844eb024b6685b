#pragma once

#include <stdexcept>
#include <string>

namespace kestrin {

// A write to the settings file failed; the file is as it was before that write. The text is the
// one the operator sees in the error box: "Unable to write to " and the file's full path, and
// the reason where the operator can do something about it.
class SettingsWriteError : public std::runtime_error {
  public:
    explicit SettingsWriteError(const std::string& fullPath)
        : std::runtime_error("Unable to write to " + fullPath), m_path(fullPath) {}
    SettingsWriteError(const std::string& fullPath, const std::string& reason)
        : std::runtime_error("Unable to write to " + fullPath + ": " + reason), m_path(fullPath) {}
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
};

}  // namespace kestrin
