#pragma once

#include <windows.h>

#include <cstdint>

#include "config/dialog/win32/win32_controls.h"

namespace kestrin::win32 {

// Notification codes the dialog's own controls send in WM_COMMAND to their parent.
constexpr WORD kSwatchPressed = 0x4B01;          // a left press on a swatch
constexpr WORD kSwatchReleasedInside = 0x4B02;   // the left button's release over it
constexpr WORD kSwatchReleasedOutside = 0x4B03;  // elsewhere, or its press lost to another window
constexpr WORD kMouseReleased = 0x4B04;          // a mouse button released over the lock box
// A key released on the lock box: kKeyReleased, plus kSpaceKey for the space bar and kPushed when
// the box showed pressed down.
constexpr WORD kKeyReleased = 0x4B10;
constexpr WORD kSpaceKey = 1;
constexpr WORD kPushed = 2;

// The settings dialog's frame: a fixed dialog border with a caption and a close box; no minimize
// or maximize box.
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

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
// Reports every mouse release over the check box, of any button, after its own toggling, as
// kMouseReleased to its parent, and every key released on it as kKeyReleased.
void WatchMouseUp(HWND checkBox);

// The rectangle of a window of the given client size, centred on the work area of the screen
// that holds the reference window (the primary one without it).
RECT CentredFrame(HWND reference, int clientWidth, int clientHeight, DWORD style, DWORD exStyle);

}  // namespace kestrin::win32
