// The program where the window system can't be opened: one plain line on standard error and
// status 1, instead of Qt's advice to reinstall and an abort.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {
namespace {

struct Unusable {
    const char* name;
    const char* platform;  // QT_QPA_PLATFORM
    const char* display;   // DISPLAY
    const char* start;     // how the line starts
};

class NoDisplay : public testing::TestWithParam<Unusable> {};

TEST_P(NoDisplay, OneLineOnStandardErrorAndStatusOne) {
    const Unusable& c = GetParam();
    std::string output;
    const int status =
        RunProgram({KESTRIN_METER_EXECUTABLE},
                   EnvironmentWith({std::string("QT_QPA_PLATFORM=") + c.platform,
                                    std::string("DISPLAY=") + c.display, "WAYLAND_DISPLAY="}),
                   std::chrono::seconds(20), &output);
    EXPECT_EQ(status, 1) << output;
    ASSERT_FALSE(output.empty());
    EXPECT_EQ(output.find('\n'), output.size() - 1) << "one line:\n" << output;
    EXPECT_EQ(output.rfind(c.start, 0), 0u) << output;
    EXPECT_GT(output.size(), std::string(c.start).size()) << "no reason given: " << output;
}

// :84 is a display number no server of the tests' holds.
INSTANTIATE_TEST_SUITE_P(
    Platforms, NoDisplay,
    testing::Values(Unusable{"NoDisplaySet", "xcb", "",
                             "kestrin: cannot open the display (DISPLAY is not set): "},
                    Unusable{"DisplayNobodyHolds", "xcb", ":84",
                             "kestrin: cannot open the display :84: "},
                    Unusable{"UnknownPlatform", "nosuch", ":84",
                             "kestrin: cannot open the display of the platform \"nosuch\": "}),
    [](const auto& info) { return std::string(info.param.name); });

// A machine whose sound client library is damaged (here a file of that name holding nothing):
// the program's own line, not the system loader's message and status 127.
TEST(NoSoundLibrary, OneLineOnStandardErrorAndStatusOne) {
    TempDir libraries;
    std::ofstream(libraries.path() / "libpulse.so.0").put('\n');
    std::string output;
    const int status =
        RunProgram({KESTRIN_METER_EXECUTABLE},
                   EnvironmentWith({"LD_LIBRARY_PATH=" + libraries.path().string(),
                                    "QT_QPA_PLATFORM=xcb", "DISPLAY=:84", "WAYLAND_DISPLAY="}),
                   std::chrono::seconds(20), &output);
    EXPECT_EQ(status, 1) << output;
    const std::string start = "kestrin: cannot load the sound system library libpulse.so.0: ";
    EXPECT_EQ(output.rfind(start, 0), 0u) << output;
    EXPECT_GT(output.size(), start.size() + 1) << "no reason given: " << output;
    EXPECT_EQ(output.find('\n'), output.size() - 1) << "one line:\n" << output;
}

}  // namespace
}  // namespace kestrin::test
