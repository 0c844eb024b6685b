#include "tests/faults/desktop_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace kestrin::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kXdotoolTimeout{5000};
constexpr milliseconds kPoll{20};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Waits for ready() while the process runs; throws with what went wrong otherwise.
void AwaitStart(ChildProcess& process, const std::string& what, const std::function<bool()>& ready,
                const std::filesystem::path& log) {
    const auto deadline = Clock::now() + DesktopSession::kStartTimeout;
    while (!ready()) {
        if (!process.Running()) {
            throw std::runtime_error(what + " ended at start:\n" + ReadFile(log));
        }
        if (Clock::now() >= deadline) {
            throw std::runtime_error(what + " did not come up in time:\n" + ReadFile(log));
        }
        std::this_thread::sleep_for(kPoll);
    }
}

// Whether a window manager runs on the display: it names its check window on the root window.
bool WindowManagerRunning(const std::string& display) {
    Display* connection = XOpenDisplay(display.c_str());
    if (!connection) return false;
    const Atom check = XInternAtom(connection, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int result =
        XGetWindowProperty(connection, DefaultRootWindow(connection), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &remaining, &data);
    const bool running = result == Success && type == XA_WINDOW && count == 1;
    if (data) XFree(data);
    XCloseDisplay(connection);
    return running;
}

}  // namespace

DesktopSession::DesktopSession(const Options& options) {
    const std::filesystem::path dir = m_folder.path();
    for (const char* sub : {"run", "home", "config"})
        std::filesystem::create_directories(dir / sub);
    chmod((dir / "run").c_str(), 0700);

    try {
        // With -displayfd the server takes the first display number nobody holds and writes it out
        // once it accepts connections. Without -noreset it would start over whenever its last
        // client leaves, refusing connections meanwhile: between two short-lived tool runs.
        const std::filesystem::path xlog = dir / "xvfb.log";
        std::vector<std::string> xvfb = {"Xvfb",         "-displayfd", "1",   "-screen", "0",
                                         options.screen, "-nolisten",  "tcp", "-noreset"};
        if (const char* display = std::getenv("KESTRIN_TEST_DISPLAY")) {
            xvfb.insert(xvfb.begin() + 1, display);
        }
        m_xserver.Start(xvfb, EnvironmentWith({}), xlog.string());
        AwaitStart(
            m_xserver, "Xvfb",
            [&] {
                for (const std::string& line : Lines(ReadFile(xlog))) {
                    if (AllDigits(line)) {
                        m_display = ":" + line;
                        return true;
                    }
                }
                return false;
            },
            xlog);

        const std::filesystem::path wmlog = dir / "openbox.log";
        std::vector<std::string> wm = {"openbox", "--sm-disable"};
        if (!options.focusNewWindows) {
            const std::filesystem::path rc = dir / "openbox-rc.xml";
            std::ofstream(rc) << "<?xml version=\"1.0\"?>\n"
                                 "<openbox_config xmlns=\"http://openbox.org/3.4/rc\">\n"
                                 "<focus><focusNew>no</focusNew></focus>\n"
                                 "</openbox_config>\n";
            wm.insert(wm.end(), {"--config-file", rc.string()});
        }
        m_windowManager.Start(wm, EnvironmentWith(ClientVariables()), wmlog.string());
        AwaitStart(
            m_windowManager, "openbox", [&] { return WindowManagerRunning(m_display); }, wmlog);

        const std::filesystem::path socket = dir / "bus";
        m_sessionBusAddress = "unix:path=" + socket.string();
        const std::filesystem::path buslog = dir / "bus.log";
        m_sessionBus.Start(
            {"dbus-daemon", "--session", "--nofork", "--address=" + m_sessionBusAddress},
            EnvironmentWith(ClientVariables()), buslog.string());
        AwaitStart(
            m_sessionBus, "dbus-daemon", [&] { return std::filesystem::exists(socket); }, buslog);
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string(e.what()) + "display " + m_display + "\n" + log());
    }
}

DesktopSession::~DesktopSession() {
    m_sessionBus.Stop();
    m_windowManager.Stop();
    m_xserver.Stop();
}

std::vector<std::string> DesktopSession::ClientVariables() const {
    const std::filesystem::path dir = m_folder.path();
    std::vector<std::string> variables = {
        "DISPLAY=" + m_display,
        "QT_QPA_PLATFORM=xcb",
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1",
        "XDG_RUNTIME_DIR=" + (dir / "run").string(),
        "HOME=" + (dir / "home").string(),
        "XDG_CONFIG_HOME=" + (dir / "config").string(),
    };
    if (!m_sessionBusAddress.empty()) {
        variables.push_back("DBUS_SESSION_BUS_ADDRESS=" + m_sessionBusAddress);
    }
    return variables;
}

int DesktopSession::Xdotool(const std::vector<std::string>& args, std::string* output) const {
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, EnvironmentWith({"DISPLAY=" + m_display}), kXdotoolTimeout, output);
}

std::vector<std::string> DesktopSession::Windows(int pid, const std::string& namePattern,
                                                 bool onlyVisible) const {
    std::vector<std::string> args = {"search", "--all", "--pid", std::to_string(pid)};
    if (onlyVisible) args.push_back("--onlyvisible");
    args.insert(args.end(), {"--name", namePattern});
    std::string out;
    Xdotool(args, &out);
    // A window that goes away during the search makes xdotool report an X error among the ids.
    std::vector<std::string> windows;
    for (const std::string& line : Lines(out)) {
        if (AllDigits(line)) windows.push_back(line);
    }
    // A client numbers its windows upwards: the highest is the newest.
    std::sort(windows.begin(), windows.end(), [](const std::string& a, const std::string& b) {
        return std::stoull(a) < std::stoull(b);
    });
    return windows;
}

std::string DesktopSession::WindowName(const std::string& window) const {
    std::string out;
    if (Xdotool({"getwindowname", window}, &out) != 0) return {};
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

void DesktopSession::PressReturn(const std::string& window) const {
    Xdotool({"key", "--window", window, "Return"});
    Xdotool({"keyup", "Return"});
}

std::string DesktopSession::log() const {
    const std::filesystem::path dir = m_folder.path();
    return "Xvfb:\n" + ReadFile(dir / "xvfb.log") + "openbox:\n" + ReadFile(dir / "openbox.log") +
           "dbus-daemon:\n" + ReadFile(dir / "bus.log");
}

}  // namespace kestrin::test
