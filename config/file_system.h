#pragma once

#include <string>

namespace kestrin {

// What the settings files need of the operating system, written once per platform
// (file_system_posix.cpp, file_system_windows.cpp).

// The full path of the running program; its name alone when the system can't tell.
std::string ExecutablePath();

// The characters that end a folder in a path.
extern const char* const kPathSeparators;

// The folder the system itself names for per-user settings, or "" where it names none and the
// XDG variables decide.
std::string SystemConfigHome();

// Opens a file for reading its bytes as they are: a descriptor, or -1 with errno set.
int OpenForReading(const std::string& path);

}  // namespace kestrin
