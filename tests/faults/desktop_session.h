#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {

// A desktop of the test's own for running the real meter: a virtual X display (Xvfb, on the first
// free display number, so that tests running side by side never share one; on the one that
// KESTRIN_TEST_DISPLAY names, ":<n>", where a run must keep to display numbers of its own), a
// window manager (openbox) and a session bus on which the desktop's accessibility service starts on
// demand, so that the texts of the meter's message boxes can be read. All are children of the test,
// stopped by their PIDs; the accessibility service ends by itself with the session bus.
class DesktopSession {
  public:
    static constexpr std::chrono::milliseconds kStartTimeout{10000};

    struct Options {
        // Whether the window manager gives the focus to a newly shown window. A desktop with
        // focus-stealing prevention, or a program started at login, leaves it without.
        bool focusNewWindows = true;
        // The virtual screen: width x height x depth.
        std::string screen = "1024x768x24";
    };

    // Throws std::runtime_error when a part does not come up in time.
    DesktopSession() : DesktopSession(Options{}) {}
    explicit DesktopSession(const Options& options);
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    const std::string& display() const { return m_display; }               // ":<n>"
    const std::string& sessionBus() const { return m_sessionBusAddress; }  // "unix:path=..."
    // DISPLAY, the session bus, accessibility on, the X platform for Qt, and private runtime,
    // home and config folders: what a program on this desktop is given on top of the test's
    // environment.
    std::vector<std::string> ClientVariables() const;

    // Runs xdotool on this display; its exit status, or -1 after a timeout of 5 s.
    int Xdotool(const std::vector<std::string>& args, std::string* output = nullptr) const;
    // X windows of the process whose names match the regular expression, in creation order.
    std::vector<std::string> Windows(int pid, const std::string& namePattern,
                                     bool onlyVisible = true) const;
    std::string WindowName(const std::string& window) const;
    // Presses and releases Return on the window. Should the window's program end on the press,
    // the release is made again on the display, so that no key stays held down there.
    void PressReturn(const std::string& window) const;

    std::string log() const;

  private:
    TempDir m_folder;
    std::string m_display;
    std::string m_sessionBusAddress;
    ChildProcess m_xserver;
    ChildProcess m_windowManager;
    ChildProcess m_sessionBus;
};

}  // namespace kestrin::test
