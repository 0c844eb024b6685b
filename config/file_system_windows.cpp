#include "config/file_system.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <unistd.h>
#include <windows.h>

#include <cstdlib>

namespace kestrin {

// In the system's 8-bit code page, like the settings.
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
const char* const kPathSeparators = "/\\";

std::string SystemConfigHome() {
    const char* appData = std::getenv("APPDATA");
    return appData ? appData : "";
}

// Without the C library's CR LF translation.
int OpenForReading(const std::string& path) { return ::open(path.c_str(), O_RDONLY | O_BINARY); }

}  // namespace kestrin
