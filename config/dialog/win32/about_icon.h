#pragma once

#include <windows.h>

namespace kestrin::win32 {

// The program's 32 x 32 icon for the about panel, drawn in the sixteen standard colours: two
// meter bars on a black scale panel. The bitmap lives for the run.
HBITMAP AboutIconBitmap();

}  // namespace kestrin::win32
