#pragma once

#include <windows.h>

#include <functional>

namespace kestrin::win32 {

// Shows a window modally over its owner: the owner is disabled, and this thread's messages are
// dispatched (to every window, so the meter window's capture buffers keep being handled) until
// `running` turns false; then the owner is enabled and activated again, and the window hidden.
// The window's own keys (Tab, Enter, Escape) go through the dialog handling of IsDialogMessage.
// A quit message ends the loop and is posted again for the loop outside. `afterKey`, where given,
// runs after each key the window's dialog handling took (a Tab that moved the focus, say).
void RunModal(HWND window, HWND owner, const bool& running,
              const std::function<void()>& afterKey = {});

}  // namespace kestrin::win32
