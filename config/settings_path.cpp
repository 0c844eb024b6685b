#include <unistd.h>

#include <string>
#include <string_view>

#include "config/settings.h"

namespace kestrin {
namespace {

std::string& overridePath() {
    static std::string path;
    return path;
}

// The full path of the running program. The kernel marks a program file that was replaced or
// removed while it runs (as a rebuild does) with " (deleted)"; the settings stay with the name.
// Without /proc the program's name alone is used, which puts the file in the current folder.
std::string ExecutablePath() {
    std::string buffer(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) return "kestrin";
    buffer.resize(static_cast<size_t>(length));
    constexpr std::string_view kDeleted = " (deleted)";
    if (buffer.size() > kDeleted.size() && buffer.ends_with(kDeleted)) {
        buffer.resize(buffer.size() - kDeleted.size());
    }
    return buffer;
}

}  // namespace

std::string SettingsFilePathFor(const std::string& executablePath) {
    const size_t slash = executablePath.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = executablePath.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return executablePath + ".ini";
    return executablePath.substr(0, dot) + ".ini";
}

std::string SettingsFilePath() {
    if (!overridePath().empty()) return overridePath();
    return SettingsFilePathFor(ExecutablePath());
}

void SetSettingsFilePath(const std::string& path) { overridePath() = path; }

}  // namespace kestrin
