// The real meter program on a desktop with a window manager, handled as an operator handles it:
// dragged aside, left for another program and back, its settings dialog opened and closed, its
// buttons pressed with the right button, asked to maximize, started where no screen shows it.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "tests/faults/meter_fixture.h"
#include "tests/support/private_pulse_server.h"

// After the test headers: Xlib's macros (None, Bool, ...) would clash with GoogleTest's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace kestrin::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kPoll{50};
constexpr milliseconds kSettle{600};  // for the window manager and the meter to have answered
constexpr const char* kMeterPattern = "^Studio 3$";
constexpr const char* kDialogPattern = "^Kestrin$";
// Where the fixture's settings put the meter's frame.
constexpr int kStoredLeft = 40;
constexpr int kStoredTop = 30;
// Client positions of the meter's controls (centres) and of the dialog's OK button.
constexpr int kSurfaceX = 110, kSurfaceY = 200;
constexpr int kOkX = 233 + 32, kOkY = 588 + 12;

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;  // the client area, on the screen
};

// An X connection of the test's own, for what xdotool does not do.
class XConnection {
  public:
    explicit XConnection(const std::string& display) : m_display(XOpenDisplay(display.c_str())) {}
    ~XConnection() {
        if (m_display) XCloseDisplay(m_display);
    }
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    bool ok() const { return m_display != nullptr; }
    Atom atom(const char* name) { return XInternAtom(m_display, name, False); }

    // The atoms of an ATOM[] property of the window.
    std::vector<Atom> Atoms(Window window, const char* property) {
        std::vector<Atom> atoms;
        for (const unsigned long value : Longs(window, property, XA_ATOM)) atoms.push_back(value);
        return atoms;
    }
    bool Has(Window window, const char* property, const char* atomName) {
        const std::vector<Atom> atoms = Atoms(window, property);
        return std::find(atoms.begin(), atoms.end(), atom(atomName)) != atoms.end();
    }
    void ClientGeometry(Window window, int* x, int* y, int* width, int* height) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(m_display, window, &attributes)) return;
        Window child = 0;
        XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), 0, 0, x, y, &child);
        *width = attributes.width;
        *height = attributes.height;
    }
    std::vector<unsigned long> Longs(Window window, const char* property, Atom type) {
        std::vector<unsigned long> values;
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_display, window, atom(property), 0, 1 << 20, False, type,
                               &actualType, &format, &count, &remaining, &data) == Success &&
            data && format == 32) {
            const auto* longs = reinterpret_cast<const unsigned long*>(data);
            values.assign(longs, longs + count);
        }
        if (data) XFree(data);
        return values;
    }
    // Asks the window manager to maximize the window, as a key or a double-click on the title
    // bar does.
    void RequestMaximize(Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = atom("_NET_WM_STATE");
        event.xclient.format = 32;
        event.xclient.data.l[0] = 1;  // add
        event.xclient.data.l[1] = static_cast<long>(atom("_NET_WM_STATE_MAXIMIZED_VERT"));
        event.xclient.data.l[2] = static_cast<long>(atom("_NET_WM_STATE_MAXIMIZED_HORZ"));
        event.xclient.data.l[3] = 2;  // from a pager or the desktop itself
        XSendEvent(m_display, DefaultRootWindow(m_display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XFlush(m_display);
    }

  private:
    Display* m_display;
};

class WindowOnDesktop : public MeterFixture {
  protected:
    // The meter with a sound server to record from, its window shown; false when it isn't.
    bool StartMetering(const std::string& settings, const std::vector<std::string>& more = {}) {
        m_server = std::make_unique<PrivatePulseServer>(PrivatePulseServer::Sinks(1));
        std::vector<std::string> variables = m_server->ClientVariables();
        variables.insert(variables.end(), more.begin(), more.end());
        StartMeter(settings, variables);
        if (!AwaitMeterWindow()) return false;
        m_window = MeterWindow();
        return !m_window.empty();
    }
    std::string MeterWindow() const {
        const std::vector<std::string> windows = m_desktop->Windows(m_meter.pid(), kMeterPattern);
        return windows.empty() ? std::string() : windows.front();
    }
    std::vector<std::string> DialogWindows() const {
        return m_desktop->Windows(m_meter.pid(), kDialogPattern);
    }
    // Waits until `done` holds; false after the timeout.
    static bool Await(const std::function<bool()>& done, milliseconds timeout = kWindowTimeout) {
        const auto deadline = Clock::now() + timeout;
        while (!done()) {
            if (Clock::now() >= deadline) return false;
            std::this_thread::sleep_for(kPoll);
        }
        return true;
    }

    // Where the client area lies on the screen, as the X server has it.
    Geometry GeometryOf(const std::string& window) const {
        Geometry g;
        XConnection x(m_desktop->display());
        if (!x.ok()) return g;
        x.ClientGeometry(std::stoul(window), &g.x, &g.y, &g.width, &g.height);
        return g;
    }
    std::string ActiveWindow() const {
        std::string out;
        m_desktop->Xdotool({"getactivewindow"}, &out);
        if (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }
    void Activate(const std::string& window) const {
        m_desktop->Xdotool({"windowactivate", "--sync", window});
    }
    void Click(const std::string& window, int x, int y, int button) const {
        m_desktop->Xdotool({"mousemove", "--window", window, std::to_string(x), std::to_string(y),
                            "click", std::to_string(button)});
    }
    // Right press on the meter's surface; the dialog's window once it shows.
    std::string OpenDialog() {
        Click(m_window, kSurfaceX, kSurfaceY, 3);
        std::string dialog;
        Await([&] {
            const std::vector<std::string> windows = DialogWindows();
            if (!windows.empty()) dialog = windows.front();
            return !dialog.empty();
        });
        return dialog;
    }
    bool CloseDialogWithOk(const std::string& dialog) {
        Click(dialog, kOkX, kOkY, 1);
        return Await([&] { return DialogWindows().empty(); });
    }
    // Another program's window on the same desktop.
    std::string StartOtherProgram() {
        m_other.Start({"xlogo", "-geometry", "200x200+600+300"},
                      EnvironmentWith({"DISPLAY=" + m_desktop->display()}));
        std::string window;
        Await([&] {
            std::string out;
            m_desktop->Xdotool({"search", "--onlyvisible", "--class", "xlogo"}, &out);
            std::stringstream lines(out);
            std::getline(lines, window);
            return !window.empty();
        });
        return window;
    }

    void TearDown() override {
        m_other.Stop();
        MeterFixture::TearDown();
        m_server.reset();
    }

    std::unique_ptr<PrivatePulseServer> m_server;
    std::string m_window;  // the meter's X window
    ChildProcess m_other;
};

// Focus that comes back from another program leaves the meter where the operator dragged it;
// focus that comes back from its own settings dialog puts it back at its stored position. Escape
// leaves the dialog open.
TEST_F(WindowOnDesktop, OnlyFocusBackFromTheDialogReturnsTheMeterToItsStoredPlace) {
    ASSERT_TRUE(StartMetering(Settings(""))) << Diagnostics();
    Activate(m_window);
    std::this_thread::sleep_for(kSettle);
    const Geometry stored = GeometryOf(m_window);
    EXPECT_EQ(stored.width, 122);
    EXPECT_EQ(stored.height, 341);

    m_desktop->Xdotool({"windowmove", "--sync", m_window, "400", "200"});
    std::this_thread::sleep_for(kSettle);
    const Geometry dragged = GeometryOf(m_window);
    ASSERT_NE(dragged.x, stored.x) << Diagnostics();

    const std::string other = StartOtherProgram();
    ASSERT_FALSE(other.empty()) << Diagnostics();
    for (int round = 0; round < 2; ++round) {
        Activate(other);
        EXPECT_EQ(ActiveWindow(), other);
        Activate(m_window);
        Click(m_window, kSurfaceX, kSurfaceY, 1);  // and a click into it, as the operator does
        std::this_thread::sleep_for(kSettle);
        const Geometry now = GeometryOf(m_window);
        EXPECT_EQ(now.x, dragged.x) << "round " << round;
        EXPECT_EQ(now.y, dragged.y) << "round " << round;
    }

    const std::string dialog = OpenDialog();
    ASSERT_FALSE(dialog.empty()) << Diagnostics();
    std::this_thread::sleep_for(kSettle);
    m_desktop->Xdotool({"key", "--window", dialog, "Escape"});
    Click(dialog, 150, 560, 1);  // into the display name field
    m_desktop->Xdotool({"key", "--window", dialog, "Escape"});
    std::this_thread::sleep_for(kSettle);
    EXPECT_EQ(DialogWindows().size(), 1u) << "Escape closed the dialog";
    EXPECT_EQ(GeometryOf(m_window).x, dragged.x) << "the dialog is still open";

    ASSERT_TRUE(CloseDialogWithOk(dialog)) << Diagnostics();
    EXPECT_TRUE(Await([&] {
        const Geometry now = GeometryOf(m_window);
        return now.x == stored.x && now.y == stored.y;
    })) << "the meter stays at "
        << GeometryOf(m_window).x << "," << GeometryOf(m_window).y << " instead of " << stored.x
        << "," << stored.y;
}

// Right presses on the buttons and the over indicator open nothing; one on the surface opens the
// dialog.
TEST_F(WindowOnDesktop, TheRightButtonOpensTheSettingsOnlyOnThePaintedSurface) {
    ASSERT_TRUE(StartMetering(Settings(""))) << Diagnostics();
    Activate(m_window);
    const struct {
        const char* name;
        int x, y;
    } controls[] = {{"dBButton", 107, 20}, {"MSButton", 16, 328}, {"over", 46, 19}};
    for (const auto& control : controls) {
        Click(m_window, control.x, control.y, 3);
        std::this_thread::sleep_for(kSettle);
        EXPECT_TRUE(DialogWindows().empty()) << "a right press on " << control.name;
        // A menu of the control's own, if any, goes away.
        m_desktop->Xdotool({"key", "Escape"});
    }
    const std::string dialog = OpenDialog();
    ASSERT_FALSE(dialog.empty()) << "a right press on the surface\n" << Diagnostics();
    EXPECT_TRUE(CloseDialogWithOk(dialog));
}

// A window manager that never activates the new window (focus-stealing prevention, a program
// started at login): the window has its width for the M/S choice all the same.
TEST_F(WindowOnDesktop, ANeverActivatedWindowHasTheWidthForTheMSChoice) {
    m_boxes.reset();
    m_desktop.reset();
    m_desktop = std::make_unique<DesktopSession>(DesktopSession::Options{false});
    m_boxes = std::make_unique<AccessibleBoxes>(m_desktop->sessionBus());
    for (const bool showMS : {true, false}) {
        SCOPED_TRACE(showMS ? "showMS=1" : "showMS=0");
        std::string settings = Settings("");
        settings.replace(settings.find("showMS=1"), 8, showMS ? "showMS=1" : "showMS=0");
        std::filesystem::remove(m_folder.path() / "kestrin");
        ASSERT_TRUE(StartMetering(settings)) << Diagnostics();
        std::this_thread::sleep_for(kSettle);
        EXPECT_NE(ActiveWindow(), m_window) << "the window manager activated the meter";
        const Geometry g = GeometryOf(m_window);
        EXPECT_EQ(g.width, showMS ? 122 : 66);
        EXPECT_EQ(g.height, 341);
        m_meter.Stop();
    }
}

// The meter and its dialog keep their fixed size: no maximize is offered, and a maximize asked of
// the window manager leaves them as they are.
TEST_F(WindowOnDesktop, AMaximizeRequestLeavesTheMeterAndTheDialogAtTheirSize) {
    ASSERT_TRUE(StartMetering(Settings(""))) << Diagnostics();
    Activate(m_window);
    std::this_thread::sleep_for(kSettle);
    XConnection x(m_desktop->display());
    ASSERT_TRUE(x.ok());

    const auto check = [&](const std::string& window, const char* what) {
        const Window id = std::stoul(window);
        const Geometry before = GeometryOf(window);
        // What the frame shows: flags, functions, decorations; no minimize (0x20) or maximize
        // (0x40) button, nor all of them (0x1).
        const std::vector<unsigned long> motif = x.Longs(id, "_MOTIF_WM_HINTS", AnyPropertyType);
        ASSERT_GE(motif.size(), 3u) << what;
        ASSERT_TRUE(motif[0] & 0x2) << what << ": decorations given";
        EXPECT_EQ(motif[2] & 0x61, 0u) << what;
        EXPECT_FALSE(x.Has(id, "_NET_WM_ALLOWED_ACTIONS", "_NET_WM_ACTION_MAXIMIZE_HORZ")) << what;
        EXPECT_FALSE(x.Has(id, "_NET_WM_ALLOWED_ACTIONS", "_NET_WM_ACTION_MAXIMIZE_VERT")) << what;
        x.RequestMaximize(id);
        std::this_thread::sleep_for(kSettle);
        const Geometry after = GeometryOf(window);
        EXPECT_EQ(after.width, before.width) << what;
        EXPECT_EQ(after.height, before.height) << what;
        EXPECT_FALSE(x.Has(id, "_NET_WM_STATE", "_NET_WM_STATE_MAXIMIZED_VERT")) << what;
    };
    check(m_window, "meter");
    const std::string dialog = OpenDialog();
    ASSERT_FALSE(dialog.empty()) << Diagnostics();
    std::this_thread::sleep_for(kSettle);
    check(dialog, "dialog");
    EXPECT_TRUE(CloseDialogWithOk(dialog));
    EXPECT_TRUE(m_meter.Running());
}

// A stored position that no screen shows puts the window on the screen, whole; the file keeps
// the stored values until the position is saved at the close.
TEST_F(WindowOnDesktop, APositionNoScreenShowsPlacesTheWindowWholeOnTheScreen) {
    std::string settings = Settings("");
    settings.replace(settings.find("left=40"), 7, "left=3000");
    settings.replace(settings.find("top=30"), 6, "top=-900");
    ASSERT_TRUE(StartMetering(settings)) << Diagnostics();
    Activate(m_window);
    std::this_thread::sleep_for(kSettle);
    const Geometry g = GeometryOf(m_window);
    XConnection x(m_desktop->display());
    ASSERT_TRUE(x.ok());
    // Left, right, top, bottom.
    const std::vector<unsigned long> frame =
        x.Longs(std::stoul(m_window), "_NET_FRAME_EXTENTS", XA_CARDINAL);
    ASSERT_EQ(frame.size(), 4u);
    const int left = g.x - static_cast<int>(frame[0]);
    const int right = g.x + g.width + static_cast<int>(frame[1]);
    const int top = g.y - static_cast<int>(frame[2]);
    const int bottom = g.y + g.height + static_cast<int>(frame[3]);
    // The screen is 1024 x 768; the frame lies inside, at the right edge, nearest the stored
    // position.
    EXPECT_EQ(right, 1024);
    EXPECT_GE(left, 0);
    EXPECT_EQ(top, 0);
    EXPECT_LE(bottom, 768);
    EXPECT_EQ(SettingsBytes(), settings);
    EXPECT_TRUE(m_meter.Running());
}

// A laptop's 1920 x 1080 screen at a scale factor of 2 leaves 960 x 540 of the meter's pixels:
// the meter at its stored place would run off the bottom, and the settings dialog is higher than
// the screen. The meter opens whole, moved no further than that takes; the dialog's controls
// scroll, and OK is reached with the mouse wheel and pressed with the mouse.
TEST_F(WindowOnDesktop, AtScaleTwoTheMeterIsWholeAndTheDialogsOkIsReached) {
    constexpr int kScale = 2;
    m_boxes.reset();
    m_desktop.reset();
    DesktopSession::Options laptop;
    laptop.screen = "1920x1080x24";
    m_desktop = std::make_unique<DesktopSession>(laptop);
    m_boxes = std::make_unique<AccessibleBoxes>(m_desktop->sessionBus());
    std::string settings = Settings("");
    settings.replace(settings.find("top=30"), 6, "top=200");
    ASSERT_TRUE(StartMetering(settings, {"QT_SCALE_FACTOR=2"})) << Diagnostics();
    Activate(m_window);
    std::this_thread::sleep_for(kSettle);
    XConnection x(m_desktop->display());
    ASSERT_TRUE(x.ok());
    const Geometry meter = GeometryOf(m_window);
    const std::vector<unsigned long> frame =
        x.Longs(std::stoul(m_window), "_NET_FRAME_EXTENTS", XA_CARDINAL);
    ASSERT_EQ(frame.size(), 4u);
    const int bottom = meter.y + meter.height + static_cast<int>(frame[3]);
    // Not moved sideways, and flush with the screen's bottom edge, each to a pixel of the scale's
    // rounding.
    EXPECT_NEAR(meter.x - static_cast<int>(frame[0]), kStoredLeft * kScale, kScale - 1);
    EXPECT_GE(meter.y - static_cast<int>(frame[2]), 0);
    EXPECT_LE(bottom, 1080);
    EXPECT_GE(bottom, 1080 - kScale);

    const std::string dialog = OpenDialog();
    ASSERT_FALSE(dialog.empty()) << Diagnostics();
    std::this_thread::sleep_for(kSettle);
    const Geometry shown = GeometryOf(dialog);
    EXPECT_GE(shown.y, 0);
    EXPECT_LE(shown.y + shown.height, 1080);
    ASSERT_LT(shown.height, 733 * kScale);
    // The wheel over Panel2's margin, well past the end of the scroll; OK then stands as far above
    // the client area's bottom as it stands above the bottom of the dialog's 733 rows.
    for (int notch = 0; notch < 20; ++notch) Click(dialog, 8 * kScale, 140 * kScale, 5);
    std::this_thread::sleep_for(kSettle);
    const int okBottomMargin = (733 - kOkY) * kScale;
    Click(dialog, kOkX * kScale, shown.height - okBottomMargin, 1);
    EXPECT_TRUE(Await([&] { return DialogWindows().empty(); })) << Diagnostics();
    EXPECT_NE(SettingsBytes(), settings) << "OK saves the settings";
    EXPECT_TRUE(m_meter.Running());
}

// The windows carry the program's icon, for task bars and docks.
TEST_F(WindowOnDesktop, TheWindowsCarryTheProgramsIcon) {
    ASSERT_TRUE(StartMetering(Settings(""))) << Diagnostics();
    XConnection x(m_desktop->display());
    ASSERT_TRUE(x.ok());
    // _NET_WM_ICON: width, height, then width x height ARGB pixels, for each size.
    const std::vector<unsigned long> icon =
        x.Longs(std::stoul(m_window), "_NET_WM_ICON", XA_CARDINAL);
    std::vector<unsigned long> sizes;
    for (size_t at = 0; at + 2 <= icon.size(); at += 2 + icon[at] * icon[at + 1]) {
        EXPECT_EQ(icon[at], icon[at + 1]);
        sizes.push_back(icon[at]);
    }
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), 32UL), sizes.end()) << icon.size();
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), 48UL), sizes.end()) << icon.size();
}

// On a Wayland session that also offers X11 (here a headless Wayland compositor beside the X
// display), the meter runs as an X11 client unless a platform was chosen: its window shows on the
// X display, where it keeps its stored position.
TEST_F(WindowOnDesktop, OnAWaylandSessionWithX11TheMeterRunsOnX11) {
    std::vector<std::string> variables = m_desktop->ClientVariables();
    std::string runtime;
    for (const std::string& v : variables) {
        if (v.rfind("XDG_RUNTIME_DIR=", 0) == 0) runtime = v.substr(16);
    }
    ASSERT_FALSE(runtime.empty());
    const std::string socket = "kestrin-wayland";
    ChildProcess compositor;
    compositor.Start(
        {"weston", "--backend=headless-backend.so", "--socket=" + socket, "--idle-time=0"},
        EnvironmentWith(variables), (m_folder.path() / "weston.log").string());
    ASSERT_TRUE(Await([&] { return std::filesystem::exists(runtime + "/" + socket); }))
        << "the Wayland compositor did not come up";

    m_server = std::make_unique<PrivatePulseServer>(PrivatePulseServer::Sinks(1));
    variables.insert(variables.end(), {"WAYLAND_DISPLAY=" + socket, "XDG_SESSION_TYPE=wayland"});
    for (const std::string& v : m_server->ClientVariables()) variables.push_back(v);
    std::vector<std::string> environment;
    for (const std::string& entry : EnvironmentWith(variables)) {
        if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0) environment.push_back(entry);
    }
    const std::filesystem::path meter = m_folder.path() / "kestrin";
    std::filesystem::copy_file(KESTRIN_METER_EXECUTABLE, meter);
    std::ofstream(m_folder.path() / "kestrin.ini", std::ios::binary) << Settings("");
    m_meter.Start({meter.string()}, environment, (m_folder.path() / "meter.log").string());
    EXPECT_TRUE(AwaitMeterWindow()) << Diagnostics();
    EXPECT_TRUE(m_meter.Running());
    m_meter.Stop();
    compositor.Stop();
}

// The always-on-top choice reaches the window manager when the dialog closes with OK, on and then
// off again, with no paint of the meter in between to take it there.
TEST_F(WindowOnDesktop, AlwaysOnTopIsAppliedWhenTheDialogCloses) {
    ASSERT_TRUE(StartMetering(Settings(""))) << Diagnostics();  // ontop=0
    Activate(m_window);
    std::this_thread::sleep_for(kSettle);
    XConnection x(m_desktop->display());
    ASSERT_TRUE(x.ok());
    const Window id = std::stoul(m_window);
    ASSERT_FALSE(x.Has(id, "_NET_WM_STATE", "_NET_WM_STATE_ABOVE"));
    // The "Always on top" box, right of its text.
    constexpr int kOnTopX = 7 + 185 + 133 - 8, kOnTopY = 120 + 231 + 8;
    for (const bool above : {true, false}) {
        const std::string dialog = OpenDialog();
        ASSERT_FALSE(dialog.empty()) << Diagnostics();
        std::this_thread::sleep_for(kSettle);
        Click(dialog, kOnTopX, kOnTopY, 1);
        ASSERT_TRUE(CloseDialogWithOk(dialog)) << Diagnostics();
        EXPECT_TRUE(Await([&] {
            return x.Has(id, "_NET_WM_STATE", "_NET_WM_STATE_ABOVE") == above;
        })) << (above ? "not above after OK with the box checked" : "still above after OK")
            << "\n"
            << SettingsBytes();
    }
}

}  // namespace
}  // namespace kestrin::test
