#include "config/dialog/win32/help_address.h"

#include <windows.h>

#include <vector>

namespace kestrin::win32 {

std::string ReadmeBeside(const std::string& executablePath) {
    const size_t slash = executablePath.find_last_of("\\/");
    const std::string folder =
        slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
    return folder + "README.md";
}

std::string HelpAddress() {
    // Paths longer than MAX_PATH exist; grow until the whole one fits.
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return "README.md";
        if (length < path.size()) return ReadmeBeside(std::string(path.data(), length));
        path.resize(path.size() * 2);
    }
}

}  // namespace kestrin::win32
