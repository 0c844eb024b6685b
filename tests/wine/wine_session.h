#pragma once

#include <QImage>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/private_sound_server.h"
#include "tests/support/temp_dir.h"
#include "tests/wine/probed_window.h"

namespace kestrin::test {

// Where a window stands on the virtual screen and how big it is, in pixels.
struct XGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A desktop with Wine on it, for the Windows program: Xvfb on the first free display number (or
// on the one KESTRIN_TEST_DISPLAY names, ":<n>", for a run that must keep to its own), one
// Wine prefix for the whole run (made with wineboot, which takes 13 to 40 s), and a private
// PulseAudio server whose null sink the programs record from through Wine's sound driver. The X
// server and the sound server are children stopped by their PIDs; Wine's server and programs are
// this prefix's alone and are ended through it; the folder goes at the end.
class WineSession {
  public:
    static constexpr std::chrono::milliseconds kBootTimeout{150000};
    static constexpr std::chrono::milliseconds kToolTimeout{15000};

    // Throws std::runtime_error, with the logs, when a part does not come up.
    WineSession();
    ~WineSession();
    WineSession(const WineSession&) = delete;
    WineSession& operator=(const WineSession&) = delete;

    const std::string& display() const { return m_display; }  // ":<n>"
    PrivateSoundServer& sound() { return *m_sound; }
    // The sink the meter records from, and its monitor's name in Wine's list of input devices.
    const NullSink& sink() const { return m_sound->sinks()[0]; }
    std::string InputName() const;
    double bootSeconds() const { return m_bootSeconds; }

    // What Wine and the X tools run with: this display, this prefix, the given sound server (the
    // session's own when none), private home and runtime folders, Wine's debug output off.
    std::vector<std::string> Environment(const PrivateSoundServer* sound = nullptr) const;
    // Runs a program to its end in that environment: its exit status, -1 on the timeout.
    int Run(const std::vector<std::string>& argv, std::string* output = nullptr,
            std::chrono::milliseconds timeout = kToolTimeout) const;

    // The X windows named exactly `name`, shown on the screen, oldest first.
    std::vector<std::string> FindWindows(const std::string& name) const;
    XGeometry Geometry(const std::string& window) const;
    // The window's pixels as the screen shows them; a null image when it could not be read.
    QImage Screenshot(const std::string& window) const;
    // The same saved as a PNG file.
    bool SaveScreenshot(const std::string& window, const std::filesystem::path& png,
                        bool withFrame = false) const;
    // Mouse button 1 (left) or 3 (right) pressed and released at a point of the window.
    void Click(const std::string& window, int x, int y, int button = 1) const;
    // Moves the window so that its top-left corner stands at that point of the screen, as a drag
    // of its title bar by the window manager would.
    void Move(const std::string& window, int x, int y) const;
    // Keys as xdotool names them ("Return", "ctrl+c"), and text typed key by key, to the window
    // that has the keyboard.
    void Key(const std::string& keys) const;
    void Type(const std::string& text) const;

    // The Windows program's view of its top-level window of that caption (and window class, where
    // one is given).
    ProbedWindow Probe(const std::string& caption, const std::string& windowClass = {}) const;
    // Asks the window of that caption to close, as its close box does; false when there is none.
    bool RequestClose(const std::string& caption) const;

    const std::filesystem::path& folder() const { return m_folder.path(); }
    std::string log() const;

  private:
    void BootPrefix();

    TempDir m_folder;
    std::string m_display;
    ChildProcess m_xserver;
    std::unique_ptr<PrivateSoundServer> m_sound;
    bool m_prefixMade = false;
    double m_bootSeconds = 0;
};

// The session of this run, made at the first use and ended by EndWineSession. Throws
// std::runtime_error when it cannot be made (and at every later call, without trying again).
WineSession& TheWineSession();
void EndWineSession();

}  // namespace kestrin::test
