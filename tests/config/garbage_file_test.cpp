#include <gtest/gtest.h>

#include <random>

#include "config/settings.h"
#include "tests/config/settings_store_fixture.h"

namespace kestrin {
namespace {

using namespace std::string_literals;

class GarbageFileTest : public test::SettingsStoreTest {
  protected:
    // Loads, then saves and loads again: whatever the file held, the saved settings must come
    // back and the bytes that were there must still be there.
    void ExpectSaveSurvives(const std::string& garbage) {
        MeterSettings.ShortName = "Saved";
        MeterSettings.cal = "-18";
        MeterSettings.left = 77;
        SaveSettings();
        const std::string after = OnDisk();
        MeterSettings = {};
        LoadSettings();
        EXPECT_EQ(MeterSettings.ShortName, "Saved");
        EXPECT_EQ(MeterSettings.cal, "-18");
        EXPECT_EQ(MeterSettings.left, 77);
        EXPECT_EQ(after.substr(0, garbage.size()), garbage);
    }
};

TEST_F(GarbageFileTest, RandomBytesWithoutSectionsGiveDefaults) {
    std::mt19937 generator(1776);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string garbage;
    while (garbage.size() < 256 * 1024) {
        const char c = static_cast<char>(byte(generator));
        if (c != '[') garbage += c;
    }
    Given(garbage);
    LoadSettings();
    EXPECT_EQ(MeterSettings, TMeterSettings{});
    ExpectSaveSurvives(garbage);
}

// The pieces spell no key but "cal" and "left": whatever else a file of them holds, every other
// setting keeps its default, a calibration read is text that stands in the file, and reading
// leaves the file as it was.
TEST_F(GarbageFileTest, RandomBytesWithSectionsGiveOnlyWhatTheirKeysHold) {
    std::mt19937 generator(4242);
    const std::string pieces[] = {"[Form]", "[Input]", "[", "]",  "=", "\r", "\n", "\0"s,
                                  "cal",    "left",    "$", "0x", "-", "9",  " ",  "\xFF"};
    const TMeterSettings defaults;
    int calibrationsRead = 0;
    for (int round = 0; round < 200; ++round) {
        std::string garbage;
        std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
        for (int i = 0; i < 400; ++i) garbage += pieces[pick(generator)];
        Given(garbage);
        LoadSettings();
        ASSERT_EQ(OnDisk(), garbage) << "round " << round;
        TMeterSettings others = MeterSettings;
        others.cal = defaults.cal;
        others.left = defaults.left;
        ASSERT_EQ(others, defaults) << "round " << round;
        ASSERT_TRUE(MeterSettings.cal == defaults.cal ||
                    garbage.find(MeterSettings.cal) != std::string::npos)
            << "round " << round << ": " << MeterSettings.cal;
        calibrationsRead += MeterSettings.cal != defaults.cal;
    }
    EXPECT_GT(calibrationsRead, 0) << "no file held a calibration: the pieces test nothing";
}

TEST_F(GarbageFileTest, NulBytes) {
    // The NULs before "[Input]" keep the line from opening a section.
    const std::string garbage = "[Form]\0\r\nshowMS=0\0junk\r\n\0\0\0[Input]\r\nShort Name=X\r\n"s;
    Given(garbage);
    LoadSettings();
    EXPECT_FALSE(MeterSettings.showMS);
    EXPECT_EQ(MeterSettings.ShortName, "Kestrin");
    ExpectSaveSurvives(garbage);
}

TEST_F(GarbageFileTest, MegabyteLongLines) {
    const std::string longValue(1024 * 1024, 'x');
    const std::string garbage =
        "[Form]\r\n" + std::string(1024 * 1024, '#') + "\r\ncal=" + longValue + "\r\ndecay=7\r\n";
    Given(garbage);
    LoadSettings();
    EXPECT_EQ(MeterSettings.cal, longValue);
    EXPECT_EQ(MeterSettings.decay, "7");
    MeterSettings.cal = "-18";
    SaveSettings();
    EXPECT_LT(OnDisk().size(), 1024 * 1024 + 1024u);
}

TEST_F(GarbageFileTest, KeyWithoutEqualsSign) {
    Given("[Form]\r\ncal\r\ndecay=3\r\n");
    LoadSettings();
    EXPECT_EQ(MeterSettings.cal, "-12");
    EXPECT_EQ(MeterSettings.decay, "3");
}

TEST_F(GarbageFileTest, SectionHeaderWithoutClosingBracket) {
    const std::string garbage = "[Input\r\nShort Name=Bad\r\n[Form\r\nleft=5\r\n";
    Given(garbage);
    LoadSettings();
    EXPECT_EQ(MeterSettings, TMeterSettings{});
    ExpectSaveSurvives(garbage);
}

TEST_F(GarbageFileTest, HandEditedFileKeepsItsOtherLinesAndItsLineEndings) {
    Given("; tuned for studio 2\n[Form]\nOnTop = 1\nColourScheme=dark\n\n[Input]\nShort Name=S2\n");
    LoadSettings();
    EXPECT_TRUE(MeterSettings.OnTop);
    MeterSettings.OnTop = false;
    SaveSettings();
    EXPECT_EQ(OnDisk(),
              "; tuned for studio 2\n[Form]\nOnTop=0\nColourScheme=dark\ncal=-12\ndecay=2\n"
              "amber=0\nPeakHold=0\ndbScale=1\nABLR=0\nMsix=1\nAColor=65280\nBColor=65280\n"
              "MColor=16777215\nSColor=65535\npassword=\nLocked=0\nleft=200\ntop=200\n\n"
              "[Input]\nShort Name=S2\nDevice Name=\n");
}

}  // namespace
}  // namespace kestrin
