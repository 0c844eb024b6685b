#include "tests/wine/dialog_script.h"

#include <cstdio>
#include <cstdlib>

namespace kestrin::wine_test {
namespace {

Script* running = nullptr;

}  // namespace

Script::Script() {
    running = this;
    m_timer = SetTimer(nullptr, 0, kTickMs, &Script::Tick);
}

Script::~Script() {
    KillTimer(nullptr, m_timer);
    running = nullptr;
}

Script& Script::Then(std::string what, Step step) {
    m_steps.push_back({std::move(what), std::move(step)});
    return *this;
}

void CALLBACK Script::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (running) running->RunNext();
}

void Script::RunNext() {
    if (m_steps.empty()) return;
    // A step may open a nested loop (a click that opens a box) whose ticks must not run the same
    // step again: it leaves the queue before it runs.
    Named next = std::move(m_steps.front());
    m_steps.pop_front();
    if (next.step()) {
        m_waitedMs = 0;
        return;
    }
    m_waitedMs += kTickMs;
    if (m_waitedMs > kStepTimeoutMs) {
        std::printf("FAILED timed out: %s\n0 passed, 1 failed\n", next.what.c_str());
        std::fflush(stdout);
        std::_Exit(1);
    }
    m_steps.push_front(std::move(next));
}

void PostClick(HWND control, UINT down, UINT up, WPARAM buttons) {
    // To the window the system finds under the control's centre, as a mouse click would go: a
    // control hidden under another one does not get it.
    RECT rect;
    GetClientRect(control, &rect);
    POINT at{rect.right / 2, rect.bottom / 2};
    ClientToScreen(control, &at);
    HWND target = WindowFromPoint(at);
    ScreenToClient(target, &at);
    PostMessageA(target, down, buttons, MAKELPARAM(at.x, at.y));
    PostMessageA(target, up, 0, MAKELPARAM(at.x, at.y));
}

void PostLeftClick(HWND control) { PostClick(control, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON); }

void PostKey(HWND control, WPARAM key) {
    PostMessageA(control, WM_KEYDOWN, key, 1);
    PostMessageA(control, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
}

void PostChars(HWND control, const std::string& text) {
    for (const char c : text) PostMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
}

HWND ShownWindow(const char* caption) {
    HWND window = FindWindowA(nullptr, caption);
    return window && IsWindowVisible(window) ? window : nullptr;
}

}  // namespace kestrin::wine_test
