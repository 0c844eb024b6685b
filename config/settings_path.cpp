#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

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

#ifdef _WIN32
// The full path of the running program, in the system's 8-bit code page like the settings.
std::string ExecutablePath() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return "kestrin";
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Folders end at either slash.
constexpr const char* kPathSeparators = "/\\";
#else
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

constexpr const char* kPathSeparators = "/";
#endif

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
#ifdef _WIN32
    const char* appData = std::getenv("APPDATA");
    if (appData && appData[0]) return appData;
#endif
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
