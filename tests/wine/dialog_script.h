#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

namespace kestrin::wine_test {

// Operator actions for a window that is showing modally: each step runs from a thread timer,
// which every nested message loop (the dialog's, the password box's, the colour chooser's)
// dispatches. A step returns false while what it waits for has not appeared yet; it is tried again
// at the next tick, and a step that waits longer than kStepTimeoutMs ends the program as failed,
// so that no run hangs on a window that never came.
class Script {
  public:
    using Step = std::function<bool()>;
    static constexpr unsigned kTickMs = 40;
    static constexpr unsigned kStepTimeoutMs = 8000;

    Script();
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    Script& Then(std::string what, Step step);
    bool Done() const { return m_steps.empty(); }

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void RunNext();

    struct Named {
        std::string what;
        Step step;
    };
    std::deque<Named> m_steps;
    unsigned m_waitedMs = 0;
    UINT_PTR m_timer = 0;
};

// Input as the system delivers it: posted to the queue of the window under the control's centre,
// so that the dialog's own message loop and IsDialogMessage see it as they see the operator's.
void PostClick(HWND control, UINT down, UINT up, WPARAM buttons);
void PostLeftClick(HWND control);
void PostKey(HWND control, WPARAM key);
void PostChars(HWND control, const std::string& text);

// A visible top-level window of this program with that caption, or nullptr.
HWND ShownWindow(const char* caption);

}  // namespace kestrin::wine_test
