#pragma once

#include <windows.h>

#include <string>

#include "config/dialog/password_entry.h"

namespace kestrin::win32 {

// The lock's entry box of password_entry.h as a modal window with a dialog border; the owner is
// disabled while it shows.
std::string AskPassword(HWND owner, const std::string& caption, const std::string& prompt);

}  // namespace kestrin::win32
