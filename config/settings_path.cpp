#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/file_system.h"
#include "config/settings.h"

namespace kestrin {
namespace {

std::string& overridePath() {
    static std::string path;
    return path;
}

std::string& executablePathOverride() {
    static std::string path;
    return path;
}

}  // namespace

std::string SettingsFilePathFor(const std::string& executablePath) {
    const size_t slash = executablePath.find_last_of(kPathSeparators);
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = executablePath.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return executablePath + ".ini";
    return executablePath.substr(0, dot) + ".ini";
}

bool FolderIsWritable(const std::string& folder) {
    std::string probe = (std::filesystem::path(folder) / ".kestrin-write-test-XXXXXX").string();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::string UserConfigHome() {
    std::string systemHome = SystemConfigHome();
    if (!systemHome.empty()) return systemHome;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/') return configHome;
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "") + "/.config";
}

SettingsFileLocation LocateSettingsFile(const std::string& executablePath,
                                        const std::string& configHome, bool folderWritable) {
    const std::filesystem::path beside = SettingsFilePathFor(executablePath);
    if (folderWritable) return {beside.string(), "", false};

    const std::filesystem::path perUser =
        std::filesystem::path(configHome) / "kestrin" / beside.filename();
    std::error_code error;
    if (std::filesystem::exists(perUser, error)) return {perUser.string(), "", true};
    return {perUser.string(), std::filesystem::exists(beside, error) ? beside.string() : "", true};
}

std::string SettingsFilePath() { return SettingsFile().path; }

SettingsFileLocation SettingsFile() {
    if (!overridePath().empty()) return {overridePath(), "", false};
    const std::string executable =
        executablePathOverride().empty() ? ExecutablePath() : executablePathOverride();
    const std::filesystem::path folder = std::filesystem::path(executable).parent_path();
    const bool writable = FolderIsWritable(folder.empty() ? "." : folder.string());
    return LocateSettingsFile(executable, UserConfigHome(), writable);
}

void SetSettingsFilePath(const std::string& path) { overridePath() = path; }

void SetExecutablePath(const std::string& path) { executablePathOverride() = path; }

}  // namespace kestrin
