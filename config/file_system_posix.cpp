#include <fcntl.h>
#include <unistd.h>

#include <string_view>

#include "config/file_system.h"

namespace kestrin {

// The kernel marks a program file that was replaced or removed while it runs (as a rebuild does)
// with " (deleted)"; the settings stay with the name. Without /proc the program's name alone is
// used, which puts the file in the current folder.
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

const char* const kPathSeparators = "/";

std::string SystemConfigHome() { return {}; }

// Non-blocking, so that a path naming a pipe or a device can't hang the meter.
int OpenForReading(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

}  // namespace kestrin
