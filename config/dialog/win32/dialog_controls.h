#pragma once

#include <windows.h>

#include <cstdint>

#include "config/dialog/win32/win32_controls.h"

namespace kestrin::win32 {

// Notification codes the dialog's own controls send in WM_COMMAND to their parent.
constexpr WORD kSwatchClicked = 0x4B01;  // left press and release on a swatch
constexpr WORD kMouseUp = 0x4B02;        // a mouse button released over the lock box, or its space

// Registers the window classes below; called before the first is created.
void RegisterDialogClasses();
// Registers, once, a top-level window class of the dialog's kind: the arrow cursor and the
// desktop's button face behind its controls.
void RegisterFaceClass(const char* name, WNDPROC procedure);

// A panel with a lowered inner bevel that groups controls; it hands the notifications of its
// controls (commands, colours) on to its own parent, so that the dialog sees them all.
HWND MakePanel(HWND parent, int x, int y, int width, int height, int systemColour);
// A bar colour sample: a panel with a lowered outer bevel filled with its colour (0x00BBGGRR).
HWND MakeSwatch(HWND parent, int x, int y);
void SetSwatchColour(HWND swatch, int32_t colour);
int32_t SwatchColour(HWND swatch);
// Reports every mouse release over the check box, of any button, after its own toggling, and a
// toggle by the space bar, as kMouseUp to its parent.
void WatchMouseUp(HWND checkBox);

// The rectangle of a window of the given client size, centred on the work area of the screen
// that holds the reference window (the primary one without it).
RECT CentredFrame(HWND reference, int clientWidth, int clientHeight, DWORD style, DWORD exStyle);

}  // namespace kestrin::win32
