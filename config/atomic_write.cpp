#include "config/atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace kestrin {
namespace {

constexpr int kNameAttempts = 16;

// A name beside the target that no other file has, created exclusively so that two copies of
// the meter saving at once never share a temporary file.
int CreateTemporary(const std::string& path, std::string& tempPath) {
    static std::mt19937 generator{std::random_device{}()};
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(generator()));
        tempPath = path + suffix;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
    std::string tempPath;
    const int fd = CreateTemporary(path, tempPath);
    if (fd < 0) return false;

    bool ok = true;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
        // Only root can give the file back to its owner; anyone else already is the owner.
        if (ok && ::geteuid() == 0) ok = ::fchown(fd, old.st_uid, old.st_gid) == 0;
    }
    ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    ok = ok && ::rename(tempPath.c_str(), path.c_str()) == 0;
    if (!ok) {
        const int error = errno;
        ::unlink(tempPath.c_str());
        errno = error;
        return false;
    }
    return true;
}

}  // namespace kestrin
