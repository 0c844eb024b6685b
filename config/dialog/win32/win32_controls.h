#pragma once

#include <windows.h>

#include <exception>
#include <string>

#include "config/dialog/control_table.h"

// What both native windows (the meter window and the settings dialog) need of the system: their
// window procedures, their fonts, their labels and controls, and the answer to an error that one
// of their event handlers did not handle.
namespace kestrin::win32 {

// A face of a control table, at its pixel height whatever the screen's resolution. Fonts live for
// the run, one for each face asked for.
HFONT MakeFont(ControlFont font);

// The window procedure of a class whose windows each belong to one object of type Form, passed
// as the creation parameter of CreateWindowEx: every message from WM_NCCREATE on goes to
// Form::HandleMessage while Form::handle() is set, to the system's default handling otherwise
// (before creation returned, and after the object let go of its window).
template <class Form>
LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form || !form->handle()) return DefWindowProcA(window, message, wParam, lParam);
    return form->HandleMessage(message, wParam, lParam);
}

// Detaches a window from its object before the object goes, so that the messages of its
// destruction take the default handling.
void ReleaseForm(HWND window);

// The program's answer to an error that an event handler raised and did not handle itself: an
// error box captioned with the application's title and the error's text; the program runs on.
void ShowHandlerError(const char* text);

// Runs an event handler of a window. Nothing may be thrown through the system's dispatch of a
// message: an error the handler did not handle is shown by ShowHandlerError.
template <typename Handler>
void RunHandler(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowHandlerError(error.what());
    }
}

// Text of a window as bytes, through the ANSI functions.
std::string WindowText(HWND window);
// Width and height of a text in a font, in pixels.
SIZE TextSize(HFONT font, const std::string& text);

// A child control of a system class in a font; every control gets an id of its own unless one is
// given, so that a dialog's keyboard handling can tell them apart.
HWND MakeControl(HWND parent, const char* windowClass, const char* text, DWORD style, int x, int y,
                 int width, int height, HFONT font, DWORD exStyle = 0, int id = 0);
// A label that shows its text as it stands (an ampersand is no accelerator) on one line, sized to
// it from its top-left corner.
HWND MakeLabel(HWND parent, const char* text, int x, int y, HFONT font);
// Gives a label a new text and sizes it to that text in its font.
void FitLabel(HWND label, const std::string& text);

// The user's decimal separator as a single byte ('.' where it is none).
char DecimalSeparator();

}  // namespace kestrin::win32
