#pragma once

#include <windows.h>

#include <string>

namespace kestrin::win32 {

// The text for the system's message box owned by `owner`, shortened as FitBoxText says where the
// box would not fit the work area of the screen it opens on.
std::string FittedBoxText(HWND owner, const std::string& text);

}  // namespace kestrin::win32
