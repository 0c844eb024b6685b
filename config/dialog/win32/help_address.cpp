#include "config/dialog/win32/help_address.h"

#include "config/file_system.h"

namespace kestrin::win32 {

std::string HelpAddress() {
    // The folder with its last separator; a bare name has none, and npos + 1 keeps nothing of it.
    const std::string program = ExecutablePath();
    return program.substr(0, program.find_last_of(kPathSeparators) + 1) + "README.md";
}

}  // namespace kestrin::win32
