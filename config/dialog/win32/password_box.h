#pragma once

#include <windows.h>

#include <string>

namespace kestrin::win32 {

constexpr int kPasswordMaxChars = 255;  // longest entry the box takes, in characters

// The lock's entry box: a small modal window with a dialog border, centred on the screen, with
// the caption, the prompt word-wrapped above a one-line field (characters shown as typed, at most
// kPasswordMaxChars), OK as the default button and Cancel, which Escape also presses. Returns the
// field's text on OK and an empty text otherwise, so a cancelled box and an empty entry are the
// same. The owner is disabled while it shows.
std::string AskPassword(HWND owner, const std::string& caption, const std::string& prompt);

}  // namespace kestrin::win32
