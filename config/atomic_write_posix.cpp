#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "config/atomic_write.h"

namespace kestrin {
namespace {

// Fresh names tried before giving up: a name another file already has, or a temporary file that
// a cleaner in another copy of the meter took away before it was locked, costs one.
constexpr int kNameAttempts = 16;

// Symbolic links followed from the settings path to the file itself, as the kernel allows.
constexpr int kMaxLinks = 40;
// A file the meter creates holds the scrambled password: its owner alone may read it.
constexpr mode_t kNewFileMode = 0600;

struct Split {
    std::string folder;  // "." for a bare file name
    std::string name;
};

Split SplitPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// The file a write goes to: the path itself, or the file that a symbolic link there finally
// names (which need not exist yet), so that the link stays a link and the file it names is the
// one replaced. False (errno set) for a loop of links or a path that can't be looked at.
bool ResolveLinks(const std::string& path, std::string& target) {
    target = path;
    for (int link = 0; link <= kMaxLinks; ++link) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0) return errno == ENOENT;
        if (!S_ISLNK(info.st_mode)) return true;
        std::string named(4096, '\0');
        const ssize_t length = ::readlink(target.c_str(), named.data(), named.size());
        if (length < 0) return false;
        if (static_cast<size_t>(length) >= named.size()) {
            errno = ENAMETOOLONG;
            return false;
        }
        named.resize(static_cast<size_t>(length));
        // A relative link names its file from the folder the link stands in.
        target = (!named.empty() && named.front() == '/') ? named
                                                          : SplitPath(target).folder + "/" + named;
    }
    errno = ELOOP;
    return false;
}

// The platform's writer rewrites an existing file through a handle opened for writing, so a file
// that this user may not write (read-only, or another user's) is not written, even where the
// folder would let it be replaced. The effective ids decide, as they do for an open.
bool MayWriteExisting(const std::string& path) {
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0) return true;
    return errno == ENOENT;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A temporary file beside the target, created exclusively and locked, under a name that is
// still its own: two copies of the meter saving at once never share one, and no cleaner can
// remove it while the lock is held. -1 (errno set) when none could be made.
int CreateTemporary(const std::string& path, std::string& tempPath) {
    static std::mt19937 generator{std::random_device{}()};
    int error = EEXIST;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(generator()));
        tempPath = path + suffix;
        const int fd =
            ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd < 0) {
            if (errno != EEXIST) return -1;
            continue;
        }
        // Between the creation and the lock a cleaner may have found the file unlocked and taken
        // it away (or be about to): then the name is not ours any more, and another one is tried.
        struct stat opened {};
        struct stat named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
            ::lstat(tempPath.c_str(), &named) == 0 && SameFile(opened, named)) {
            return fd;
        }
        error = errno;
        ::close(fd);
    }
    errno = error;
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

// The rename has taken effect for every reader once it returns; this makes it outlast a power
// cut. A folder that can't be flushed (some file systems refuse) does not undo the replacement,
// so it is no failure of the write.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A leftover of this meter belongs to the user who saved (or, saved by root, to the file's owner,
// whom root gives it before the rename): a file of the same name that another user made is not
// one.
bool OursToRemove(const struct stat& leftover, const Split& target) {
    if (leftover.st_uid == ::geteuid()) return true;
    struct stat file {};
    const std::string path = target.folder + "/" + target.name;
    return ::geteuid() == 0 && ::lstat(path.c_str(), &file) == 0 && leftover.st_uid == file.st_uid;
}

// Removes what writers killed before their rename left of this file: temporary files of its
// naming pattern that nobody holds locked. Best effort; a leftover that can't be removed now is
// tried again at the next write. Done before the new file is written, so that on a full disk the
// room a leftover took is there for it.
void RemoveLeftoverTemporaries(const Split& target) {
    DIR* folder = ::opendir(target.folder.c_str());
    if (!folder) return;
    while (const dirent* entry = ::readdir(folder)) {
        if (!IsTemporaryNameOf(entry->d_name, target.name)) continue;
        const std::string path = target.folder + "/" + entry->d_name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && OursToRemove(opened, target) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &named) == 0 &&
            SameFile(opened, named)) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
    ::closedir(folder);
}

}  // namespace

bool ReplaceFileAtomically(const std::string& linkOrPath, std::string_view bytes) {
    std::string path;
    if (!ResolveLinks(linkOrPath, path)) return false;
    if (!MayWriteExisting(path)) return false;
    const Split target = SplitPath(path);
    RemoveLeftoverTemporaries(target);
    std::string tempPath;
    const int fd = CreateTemporary(path, tempPath);
    if (fd < 0) return false;

    bool ok = true;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
        // Only root can give the file back to its owner; anyone else already is the owner.
        if (ok && ::geteuid() == 0) ok = ::fchown(fd, old.st_uid, old.st_gid) == 0;
    } else {
        // Whatever the umask: a file with no write bit for its owner could not be saved again.
        ok = ::fchmod(fd, kNewFileMode) == 0;
    }
    ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    // The lock is held through the rename, so no cleaner can take the file away before it.
    ok = ok && ::rename(tempPath.c_str(), path.c_str()) == 0;
    const int error = errno;
    if (!ok) ::unlink(tempPath.c_str());
    ::close(fd);
    if (!ok) {
        errno = error;
        return false;
    }
    SyncFolder(target.folder);
    return true;
}

}  // namespace kestrin
