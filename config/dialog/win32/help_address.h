#pragma once

#include <string>

namespace kestrin::win32 {

// The program's documentation, which the about panel shows and opens: README.md in the folder of
// the executable, as the Windows program is handed out with it. A local file, so that it opens on
// a machine without a network.
std::string HelpAddress();

}  // namespace kestrin::win32
