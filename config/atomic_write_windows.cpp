#include "config/atomic_write.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <utility>

namespace kestrin {
namespace {

// Fresh names tried before giving up on a name another file already has.
constexpr int kNameAttempts = 16;

void SetErrnoFrom(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            errno = ENOENT;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            errno = EACCES;
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            errno = ENOSPC;
            break;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            errno = EEXIST;
            break;
        default:
            errno = EIO;
    }
}

// What comes before the file's name in a path (its folder with the separator, empty for a bare
// name), and the name.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return {"", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// A temporary file beside the target, created exclusively. Its writer keeps it open, sharing
// nothing but deletion (which the rename needs), so no other copy of the meter can open it to
// remove it as a leftover.
HANDLE CreateTemporary(const std::string& path, std::string& tempPath) {
    static std::mt19937 generator{std::random_device{}()};
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(generator()));
        tempPath = path + suffix;
        HANDLE file = CreateFileA(tempPath.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS) break;
    }
    SetErrnoFrom(error);
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// Removes what writers killed before their rename left of this file: temporary files of its
// naming pattern that nobody holds open. Best effort, and before the new file is written, as on
// other systems.
void RemoveLeftoverTemporaries(const std::string& path) {
    const auto [folder, name] = SplitPath(path);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + ".*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
            continue;
        }
        if (!IsTemporaryNameOf(found.cFileName, name)) continue;
        const std::string leftover = folder + found.cFileName;
        // Opens only when no writer holds it; removed when this handle closes. Should the name
        // have become a link meanwhile, the link itself is what is opened, never what it names.
        HANDLE file =
            CreateFileA(leftover.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                        FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

// The folder's entry reaches the disk with the rename (MOVEFILE_WRITE_THROUGH). The replaced
// file's access rights are those the folder gives a new file.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
    RemoveLeftoverTemporaries(path);
    std::string tempPath;
    HANDLE file = CreateTemporary(path, tempPath);
    if (file == INVALID_HANDLE_VALUE) return false;

    bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
    ok = ok && MoveFileExA(tempPath.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok) {
        DeleteFileA(tempPath.c_str());
        SetErrnoFrom(error);
        return false;
    }
    return true;
}

}  // namespace kestrin
