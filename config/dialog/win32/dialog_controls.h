#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace kestrin::win32 {

// The dialog's two faces, at pixel heights that do not follow the screen's resolution.
enum class Face { SansSerif, Arial };
struct FontSpec {
    Face face = Face::SansSerif;
    int pixels = 11;  // character height
    bool bold = false;
    bool underline = false;
};
// Fonts live for the run, one for each description asked for.
HFONT DialogFont(const FontSpec& spec);

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

// Runs an event handler of the dialog. An error it raised and did not handle is shown in an error
// box captioned with the application's title, "Kestrin", and the program runs on: nothing may be
// thrown through the system's dispatch of a message.
void RunHandler(const std::function<void()>& handler);

// Text of a window as bytes, through the ANSI functions.
std::string WindowText(HWND window);
// Width and height of a text in a font, in pixels.
SIZE TextSize(HFONT font, const std::string& text);
// The rectangle of a window of the given client size, centred on the work area of the screen
// that holds the reference window (the primary one without it).
RECT CentredFrame(HWND reference, int clientWidth, int clientHeight, DWORD style, DWORD exStyle);

}  // namespace kestrin::win32
