#include "config/dialog/win32/help_address.h"

#include <windows.h>

#include <vector>

namespace kestrin::win32 {

std::string HelpAddress() {
    // Paths longer than MAX_PATH exist; grow until the whole one fits.
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return "README.md";
        if (length < path.size()) {
            // The folder with its last separator, of either kind; a bare name has none, and
            // npos + 1 keeps nothing of it.
            const std::string program(path.data(), length);
            return program.substr(0, program.find_last_of("\\/") + 1) + "README.md";
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace kestrin::win32
