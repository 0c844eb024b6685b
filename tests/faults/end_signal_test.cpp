// The desktop's signals to the real meter: a session that logs out (SIGTERM), the terminal it was
// started from closing (SIGHUP), Ctrl+C there (SIGINT). The meter ends as its close does.

#include <csignal>
#include <functional>
#include <string>
#include <thread>

#include "tests/faults/meter_fixture.h"
#include "tests/support/private_pulse_server.h"

// After the test headers: Xlib's macros (None, Bool, ...) would clash with GoogleTest's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace kestrin::test {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kSettle{600};  // for the window manager and the meter to have answered
constexpr int kMSButtonX = 16, kMSButtonY = 328;
constexpr int kSurfaceX = 110, kSurfaceY = 200;  // where a right press opens the settings dialog

// Waits until `done` holds; false after the timeout.
bool PollUntil(const std::function<bool()>& done, milliseconds timeout = milliseconds(10000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(milliseconds(50));
    }
    return true;
}

class EndSignal : public MeterFixture {
  protected:
    bool StartMetering() {
        m_server = std::make_unique<PrivatePulseServer>(PrivatePulseServer::Sinks(1));
        StartMeter(Settings(""), m_server->ClientVariables());
        if (!AwaitMeterWindow()) return false;
        const std::vector<std::string> windows = m_desktop->Windows(m_meter.pid(), "^Studio 3$");
        if (windows.empty()) return false;
        m_window = windows.front();
        return true;
    }

    // Where the window manager has put the meter's frame: its left and top edges.
    std::pair<int, int> FramePosition() const {
        Display* display = XOpenDisplay(m_desktop->display().c_str());
        if (!display) return {-1, -1};
        const Window window = std::stoul(m_window);
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        // Left, right, top, bottom.
        if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_FRAME_EXTENTS", False),
                               0, 4, False, XA_CARDINAL, &type, &format, &count, &remaining,
                               &data) == Success &&
            data && count == 4) {
            const auto* extents = reinterpret_cast<const unsigned long*>(data);
            x -= static_cast<int>(extents[0]);
            y -= static_cast<int>(extents[2]);
        }
        if (data) XFree(data);
        XCloseDisplay(display);
        return {x, y};
    }

    // The file the meter started with, as its close writes it with the frame at this place.
    static std::string SavedAt(std::pair<int, int> frame) {
        std::string saved = Settings("");
        saved.replace(saved.find("left=40"), 7, "left=" + std::to_string(frame.first));
        saved.replace(saved.find("top=30"), 6, "top=" + std::to_string(frame.second));
        return saved;
    }

    void TearDown() override {
        MeterFixture::TearDown();
        m_server.reset();
    }

    std::unique_ptr<PrivatePulseServer> m_server;
    std::string m_window;  // the meter's X window
};

// Moved and narrowed by the operator, then told to end: status 0, and the place and the M/S
// choice are in the file as a close of the window leaves them.
TEST_F(EndSignal, EndsTheMeterAsItsCloseDoes) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        std::filesystem::remove(m_folder.path() / "kestrin");
        ASSERT_TRUE(StartMetering()) << Diagnostics();
        m_desktop->Xdotool({"windowmove", "--sync", m_window, "300", "250"});
        m_desktop->Xdotool({"mousemove", "--window", m_window, std::to_string(kMSButtonX),
                            std::to_string(kMSButtonY), "click", "1"});
        std::this_thread::sleep_for(kSettle);
        const std::pair<int, int> frame = FramePosition();
        ASSERT_NE(frame.first, 40) << "the window was not moved";

        ASSERT_EQ(kill(m_meter.pid(), signal), 0);
        EXPECT_EQ(AwaitExit(kWindowTimeout), 0) << Diagnostics();
        std::string expected = SavedAt(frame);
        expected.replace(expected.find("showMS=1"), 8, "showMS=0");
        EXPECT_EQ(SettingsBytes(), expected);
        m_meter.Stop();
    }
}

// The session does not wait for the operator's OK: with the settings dialog open, the meter
// closes and ends all the same.
TEST_F(EndSignal, EndsTheMeterWithItsSettingsDialogOpen) {
    ASSERT_TRUE(StartMetering()) << Diagnostics();
    m_desktop->Xdotool({"windowmove", "--sync", m_window, "300", "250"});
    m_desktop->Xdotool({"mousemove", "--window", m_window, std::to_string(kSurfaceX),
                        std::to_string(kSurfaceY), "click", "3"});
    ASSERT_TRUE(PollUntil([&] { return !m_desktop->Windows(m_meter.pid(), "^Kestrin$").empty(); }))
        << Diagnostics();
    std::this_thread::sleep_for(kSettle);
    const std::pair<int, int> frame = FramePosition();
    ASSERT_NE(frame.first, 40) << "the window was not moved";

    ASSERT_EQ(kill(m_meter.pid(), SIGTERM), 0);
    EXPECT_EQ(AwaitExit(kWindowTimeout), 0) << Diagnostics();
    EXPECT_EQ(SettingsBytes(), SavedAt(frame));
}

// Told to end while start-up waits at the box of a device not found: the meter has not shown yet
// and ends at once, status 0, its file as it was.
TEST_F(EndSignal, EndsAtOnceWhileStartUpWaitsAtItsBox) {
    m_server = std::make_unique<PrivatePulseServer>(PrivatePulseServer::Sinks(1));
    const std::string settings = Settings("Gone");
    StartMeter(settings, m_server->ClientVariables());
    ASSERT_EQ(AwaitBoxes(1).size(), 1u) << Diagnostics();

    ASSERT_EQ(kill(m_meter.pid(), SIGTERM), 0);
    EXPECT_EQ(AwaitExit(), 0) << Diagnostics();
    EXPECT_EQ(SettingsBytes(), settings);
}

// A close that waits at its failure box (the file can't be written) is not waited for by a
// second signal: the meter ends at once, with status 0.
TEST_F(EndSignal, ASecondSignalEndsAWaitingCloseAtOnce) {
    ASSERT_TRUE(StartMetering()) << Diagnostics();
    const std::filesystem::path file = m_folder.path() / "kestrin.ini";
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);

    ASSERT_EQ(kill(m_meter.pid(), SIGTERM), 0);
    const std::vector<ShownBox> boxes = AwaitBoxes(1);
    ASSERT_EQ(boxes.size(), 1u) << Diagnostics();
    EXPECT_EQ(boxes[0].caption, "Kestrin");
    EXPECT_EQ(boxes[0].text, "Unable to write to " + file.string());
    EXPECT_TRUE(m_meter.Running());

    ASSERT_EQ(kill(m_meter.pid(), SIGTERM), 0);
    EXPECT_EQ(AwaitExit(), 0) << Diagnostics();
}

}  // namespace
}  // namespace kestrin::test
