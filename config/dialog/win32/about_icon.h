#pragma once

#include <windows.h>

namespace kestrin::win32 {

// The about panel's icon as a bitmap, which lives for the run.
HBITMAP AboutIconBitmap();

}  // namespace kestrin::win32
