#include "tests/wine/wine_session.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/private_pulse_server.h"

namespace kestrin::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kXStartTimeout{10000};
constexpr milliseconds kStopTimeout{15000};
// Big enough for the meter beside its settings dialog (356 x 633 client pixels), centred.
constexpr const char* kScreen = "1024x768x24";

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A window name as a regular expression that matches it alone.
std::string ExactPattern(const std::string& name) {
    std::string pattern = "^";
    for (const char c : name) {
        if (std::string(".^$*+?()[]{}|\\").find(c) != std::string::npos) pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

std::unique_ptr<WineSession>& Owned() {
    static std::unique_ptr<WineSession> session;
    return session;
}
std::string& Failure() {
    static std::string failure;
    return failure;
}

}  // namespace

WineSession::WineSession() {
    const std::filesystem::path dir = m_folder.path();
    for (const char* sub : {"run", "home", "shots"}) std::filesystem::create_directories(dir / sub);
    std::filesystem::permissions(dir / "run", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    try {
        // -displayfd: the first display number nobody holds (or the one KESTRIN_TEST_DISPLAY
        // names), written out once connections are taken; -noreset: no restart between two
        // short-lived clients.
        const std::filesystem::path xlog = dir / "xvfb.log";
        std::vector<std::string> xvfb = {"Xvfb",  "-displayfd", "1",   "-screen", "0",
                                         kScreen, "-nolisten",  "tcp", "-noreset"};
        if (const char* display = std::getenv("KESTRIN_TEST_DISPLAY")) {
            xvfb.insert(xvfb.begin() + 1, display);
        }
        m_xserver.Start(xvfb, EnvironmentWith({}), xlog.string());
        const auto deadline = Clock::now() + kXStartTimeout;
        while (m_display.empty()) {
            for (const std::string& line : Lines(ReadFile(xlog))) {
                if (AllDigits(line)) m_display = ":" + line;
            }
            if (!m_display.empty()) break;
            if (!m_xserver.Running() || Clock::now() >= deadline) {
                throw std::runtime_error("Xvfb did not start:\n" + ReadFile(xlog));
            }
            std::this_thread::sleep_for(milliseconds(20));
        }
        m_sound = std::make_unique<PrivatePulseServer>(
            std::vector<NullSink>{{"wine_meter", "Wine Meter"}});
        BootPrefix();
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string("the Wine desktop did not come up: ") + e.what() +
                                 "\n" + log());
    }
}

void WineSession::BootPrefix() {
    const auto start = Clock::now();
    m_prefixMade = true;
    std::string output;
    const int booted = Run({"wineboot", "-i"}, &output, kBootTimeout);
    if (booted != 0) {
        throw std::runtime_error("wineboot -i ended with " + std::to_string(booted) + ":\n" +
                                 output);
    }
    // The prefix is written out once Wine's server has nothing left to run.
    if (Run({"wineserver", "-w"}, &output, kBootTimeout) != 0) {
        throw std::runtime_error("Wine's server did not settle:\n" + output);
    }
    m_bootSeconds = std::chrono::duration<double>(Clock::now() - start).count();
}

WineSession::~WineSession() {
    if (m_prefixMade) {
        // Ends every program of this prefix, and its server; no other prefix is touched.
        Run({"wineserver", "-k"}, nullptr, kStopTimeout);
        Run({"wineserver", "-w"}, nullptr, kStopTimeout);
    }
    m_sound.reset();
    m_xserver.Stop();
}

std::string WineSession::InputName() const { return "Monitor of " + sink().description; }

std::vector<std::string> WineSession::Environment(const PrivateSoundServer* sound) const {
    const std::filesystem::path dir = m_folder.path();
    std::vector<std::string> variables = {
        "DISPLAY=" + m_display,
        "WAYLAND_DISPLAY=",
        "HOME=" + (dir / "home").string(),
        "XDG_RUNTIME_DIR=" + (dir / "run").string(),
        "WINEPREFIX=" + (dir / "prefix").string(),
        "WINEARCH=win64",
        "WINEDEBUG=-all",
        // No offer to install .NET or the HTML engine while the prefix is made.
        "WINEDLLOVERRIDES=mscoree,mshtml=",
    };
    const PrivateSoundServer* server = sound ? sound : m_sound.get();
    if (server) {
        for (const std::string& v : server->ClientVariables()) variables.push_back(v);
    }
    return EnvironmentWith(variables);
}

int WineSession::Run(const std::vector<std::string>& argv, std::string* output,
                     milliseconds timeout) const {
    return RunProgram(argv, Environment(), timeout, output);
}

std::vector<std::string> WineSession::FindWindows(const std::string& name) const {
    std::string output;
    Run({"xdotool", "search", "--onlyvisible", "--name", ExactPattern(name)}, &output);
    std::vector<std::string> windows;
    for (const std::string& line : Lines(output)) {
        if (AllDigits(line)) windows.push_back(line);
    }
    return windows;
}

XGeometry WineSession::Geometry(const std::string& window) const {
    std::string output;
    Run({"xdotool", "getwindowgeometry", "--shell", window}, &output);
    XGeometry g;
    for (const std::string& line : Lines(output)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos || !AllDigits(line.substr(eq + 1))) continue;
        const std::string name = line.substr(0, eq);
        const int value = std::stoi(line.substr(eq + 1));
        if (name == "X") g.x = value;
        if (name == "Y") g.y = value;
        if (name == "WIDTH") g.width = value;
        if (name == "HEIGHT") g.height = value;
    }
    return g;
}

QImage WineSession::Screenshot(const std::string& window) const {
    static std::atomic<int> count{0};
    const std::filesystem::path file =
        m_folder.path() / "shots" / ("shot" + std::to_string(count++) + ".png");
    if (!SaveScreenshot(window, file)) return {};
    QImage image(QString::fromStdString(file.string()));
    std::filesystem::remove(file);
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

bool WineSession::SaveScreenshot(const std::string& window, const std::filesystem::path& png,
                                 bool withFrame) const {
    std::vector<std::string> argv = {"import", "-window", window};
    if (withFrame) argv.insert(argv.begin() + 1, "-frame");
    argv.push_back("png:" + png.string());
    std::string output;
    return Run(argv, &output) == 0 && std::filesystem::exists(png);
}

void WineSession::Click(const std::string& window, int x, int y, int button) const {
    // The X server hands the motion and the button to the window in the order they were made, so
    // nothing needs to wait between them. (xdotool's --sync can wait for ever for a pointer that
    // is already where it is sent.)
    Run({"xdotool", "mousemove", "--window", window, std::to_string(x), std::to_string(y), "click",
         std::to_string(button)});
}

void WineSession::Move(const std::string& window, int x, int y) const {
    Run({"xdotool", "windowmove", window, std::to_string(x), std::to_string(y)});
}

void WineSession::Key(const std::string& keys) const { Run({"xdotool", "key", keys}); }

void WineSession::Type(const std::string& text) const {
    Run({"xdotool", "type", "--delay", "40", "--", text});
}

ProbedWindow WineSession::Probe(const std::string& caption, const std::string& windowClass) const {
    std::vector<std::string> argv = {"wine", KESTRIN_WINDOW_PROBE_EXE};
    if (!windowClass.empty()) argv.insert(argv.end(), {"--class", windowClass});
    argv.push_back(caption);
    std::string output;
    Run(argv, &output);
    return ParseProbeOutput(output);
}

bool WineSession::RequestClose(const std::string& caption) const {
    return Run({"wine", KESTRIN_WINDOW_PROBE_EXE, "--close", caption}) == 0;
}

std::string WineSession::log() const {
    std::string text = "display " + m_display + "\n" + ReadFile(m_folder.path() / "xvfb.log");
    if (m_sound) text += m_sound->log();
    return text;
}

WineSession& TheWineSession() {
    if (!Failure().empty()) throw std::runtime_error(Failure());
    if (!Owned()) {
        try {
            Owned() = std::make_unique<WineSession>();
        } catch (const std::exception& e) {
            Failure() = e.what();
            throw;
        }
    }
    return *Owned();
}

void EndWineSession() { Owned().reset(); }

}  // namespace kestrin::test
