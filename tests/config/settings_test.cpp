#include "config/settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "tests/config/settings_store_fixture.h"

namespace kestrin {
namespace {

using test::SettingsStoreTest;

// The file after the first OK of the settings dialog with nothing changed and then the close of
// the meter window.
const std::string kFirstSaveAndClose = test::CrLfLines({
    "[Input]",
    "Device Name=Monitor of Null Output",
    "Short Name=Kestrin",
    "[Form]",
    "cal=-12",
    "decay=2",
    "amber=0",
    "ontop=0",
    "PeakHold=0",
    "dbScale=1",
    "ABLR=0",
    "Msix=1",
    "AColor=65280",
    "BColor=65280",
    "MColor=16777215",
    "SColor=65535",
    "password=",
    "Locked=0",
    "left=200",
    "top=200",
    "showMS=1",
});

TEST_F(SettingsStoreTest, WithoutAFileEverySettingHasItsDefault) {
    MeterSettings = {"Mic", "Other", "-20", "9", "pw", true, true, true, false, false,
                     true,  true,    false, 1,   2,    3,    4,    5,    6};
    LoadSettings();
    const TMeterSettings& s = MeterSettings;
    EXPECT_EQ(s.DeviceName, "");
    EXPECT_EQ(s.ShortName, "Kestrin");
    EXPECT_EQ(s.cal, "-12");
    EXPECT_EQ(s.decay, "2");
    EXPECT_EQ(s.password, "");
    EXPECT_TRUE(s.dbScale && s.Msix && s.showMS);
    EXPECT_FALSE(s.amber || s.OnTop || s.PeakHold || s.Locked || s.ABLR);
    EXPECT_EQ(s.Acolor, 65280);
    EXPECT_EQ(s.Bcolor, 65280);
    EXPECT_EQ(s.Mcolor, 16777215);
    EXPECT_EQ(s.Scolor, 65535);
    EXPECT_EQ(s.left, 200);
    EXPECT_EQ(s.top, 200);
    EXPECT_FALSE(std::filesystem::exists(m_path));
}

TEST_F(SettingsStoreTest, FirstSaveAndCloseWriteTheTwentyOneLines) {
    MeterSettings.DeviceName = "Monitor of Null Output";
    SaveSettings();
    SavePosition();
    EXPECT_EQ(OnDisk(), kFirstSaveAndClose);
}

// The standard modes' keys appear once a mode is chosen, after the design's keys, and stay when
// the operator goes back to the defaults.
TEST_F(SettingsStoreTest, ModeKeysAreWrittenOnceChosenAndThenKept) {
    MeterSettings.DeviceName = "Monitor of Null Output";
    MeterSettings.ballistics = kIecTypeIIaBallistics;
    MeterSettings.TPlevel = "-2";
    SaveSettings();
    SavePosition();
    std::string expected = kFirstSaveAndClose;
    const std::string showMS = "showMS=1\r\n";
    expected.insert(expected.find(showMS), "ballistics=2\r\nTPlevel=-2\r\n");
    EXPECT_EQ(OnDisk(), expected);

    MeterSettings.ballistics = kDesignBallistics;
    MeterSettings.TPlevel = "-1";
    SaveSettings();
    expected.replace(expected.find("ballistics=2"), 12, "ballistics=0");
    expected.replace(expected.find("TPlevel=-2"), 10, "TPlevel=-1");
    EXPECT_EQ(OnDisk(), expected);
}

// An editor that saves UTF-8 may put a byte-order mark before the first line: the first section
// is read all the same, and the saves keep the mark where it was and the sections as they were.
TEST_F(SettingsStoreTest, AByteOrderMarkIsNoPartOfTheFirstLine) {
    const std::string mark = "\xEF\xBB\xBF";
    const struct {
        std::string given;
        std::string saved;
    } cases[] = {
        {mark + kFirstSaveAndClose, mark + kFirstSaveAndClose},
        {mark, mark + test::CrLfLines({"[Form]", "left=200", "top=200", "showMS=1"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given.size());
        Given(c.given);
        LoadSettings();
        const bool whole = c.given.size() > mark.size();
        EXPECT_EQ(MeterSettings.DeviceName, whole ? "Monitor of Null Output" : "");
        if (whole) SaveSettings();
        SavePosition();
        EXPECT_EQ(OnDisk(), c.saved);
    }
}

TEST_F(SettingsStoreTest, LockedSaveWritesTheScrambledPassword) {
    test::FakeSettingsHost host;
    host.lockSet = true;
    SetSettingsHost(&host);
    MeterSettings.DeviceName = "Monitor of Null Output";
    MeterSettings.Locked = true;
    MeterSettings.password = "abc";
    SaveSettings();
    SavePosition();

    std::string expected = kFirstSaveAndClose;
    expected.replace(expected.find("password=\r\nLocked=0"), 19,
                     "password=\x9E\x9D\x9C\r\nLocked=1");
    EXPECT_EQ(OnDisk(), expected);
    EXPECT_EQ(MeterSettings.password, "abc");

    SaveSettings();
    EXPECT_EQ(OnDisk(), expected);
}

TEST_F(SettingsStoreTest, UnlockedSaveEmptiesThePassword) {
    Given("[Form]\r\npassword=\x9E\x9D\x9C\r\nLocked=1\r\n");
    MeterSettings.password = "abc";
    SaveSettings();
    EXPECT_EQ(MeterSettings.password, "");
    LoadSettings();
    EXPECT_EQ(MeterSettings.password, "");
    EXPECT_FALSE(MeterSettings.Locked);
    EXPECT_NE(OnDisk().find("[Form]\r\npassword=\r\nLocked=0\r\n"), std::string::npos);
}

TEST_F(SettingsStoreTest, LockedWithEmptyPasswordWritesItEmpty) {
    MeterSettings.Locked = true;
    SaveSettings();
    LoadSettings();
    EXPECT_TRUE(MeterSettings.Locked);
    EXPECT_EQ(MeterSettings.password, "");
}

TEST_F(SettingsStoreTest, WindowClosedBeforeTheFirstSavePutsFormFirst) {
    test::FakeSettingsHost host;
    host.left = 35;
    host.top = -12;
    SetSettingsHost(&host);
    MeterSettings.showMS = false;
    SavePosition();
    EXPECT_EQ(OnDisk(), test::CrLfLines({"[Form]", "left=35", "top=-12", "showMS=0"}));

    MeterSettings.DeviceName = "Mic";
    SaveSettings();
    EXPECT_EQ(OnDisk(), test::CrLfLines({"[Form]",       "left=35",         "top=-12",
                                         "showMS=0",     "cal=-12",         "decay=2",
                                         "amber=0",      "ontop=0",         "PeakHold=0",
                                         "dbScale=1",    "ABLR=0",          "Msix=1",
                                         "AColor=65280", "BColor=65280",    "MColor=16777215",
                                         "SColor=65535", "password=",       "Locked=0",
                                         "[Input]",      "Device Name=Mic", "Short Name=Kestrin"}));
}

TEST_F(SettingsStoreTest, HostGivesTheLockBoxAndThePosition) {
    test::FakeSettingsHost host;
    host.lockSet = true;
    host.left = 321;
    host.top = -5;
    SetSettingsHost(&host);
    MeterSettings.password = "kept only while locked";
    SaveSettings();
    LoadSettings();
    // The box decides "Locked"; Locked in memory decides the password's fate.
    EXPECT_TRUE(MeterSettings.Locked);
    EXPECT_EQ(MeterSettings.password, "");
    EXPECT_EQ(MeterSettings.left, 321);
    EXPECT_EQ(MeterSettings.top, -5);
}

TEST_F(SettingsStoreTest, EverySettingComesBackAfterSaveAndClose) {
    test::FakeSettingsHost host;
    host.lockSet = true;
    host.left = 1900;
    host.top = 0;
    SetSettingsHost(&host);
    const TMeterSettings saved = {"USB Audio \xC4",
                                  "Studio 2",
                                  "-18",
                                  "5",
                                  "p\xE4ss w",
                                  true,
                                  true,
                                  true,
                                  false,
                                  false,
                                  true,
                                  true,
                                  false,
                                  0x0000FF,
                                  0xFF0000,
                                  0x123456,
                                  0,
                                  1900,
                                  0,
                                  kIecTypeIIbBallistics,
                                  true,
                                  "-2",
                                  true,
                                  "-24"};
    MeterSettings = saved;
    SaveSettings();
    SavePosition();
    MeterSettings = {};
    LoadSettings();
    EXPECT_EQ(MeterSettings, saved);
}

TEST_F(SettingsStoreTest, ResetDeviceTellsTheOperatorAndEmptiesTheStoredDevice) {
    MeterSettings.DeviceName = "Monitor of Null Output";
    SaveSettings();
    SavePosition();
    ResetDevice();

    ASSERT_EQ(m_notifier.messages.size(), 1u);
    EXPECT_EQ(m_notifier.messages[0].text,
              "The configured Input Device is not available and will be reset to the default.");
    EXPECT_EQ(m_notifier.messages[0].caption, " Kestrin Error");
    EXPECT_EQ(m_notifier.endCount, 0);
    EXPECT_EQ(MeterSettings.DeviceName, "Monitor of Null Output");

    std::string expected = kFirstSaveAndClose;
    expected.replace(expected.find("Device Name="), 34, "Device Name=");
    EXPECT_EQ(OnDisk(), expected);
    LoadSettings();
    EXPECT_EQ(MeterSettings.DeviceName, "");
}

// Another copy of the meter saves while the box stands open.
struct SavingWhileTheBoxIsOpen : test::RecordingNotifier {
    std::function<void()> otherCopy;
    void ShowMessage(const std::string& text, const std::string& caption) override {
        RecordingNotifier::ShowMessage(text, caption);
        otherCopy();
    }
};

TEST_F(SettingsStoreTest, ResetDeviceReadsTheFileOnceItsBoxIsDismissed) {
    Given("[Input]\r\nDevice Name=Mic\r\n[Form]\r\ncal=-12\r\n");
    SavingWhileTheBoxIsOpen notifier;
    notifier.otherCopy = [this] {
        Given("[Input]\r\nDevice Name=Mic\r\n[Form]\r\ncal=-20\r\nleft=7\r\n");
    };
    ResetDevice();
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(OnDisk(), "[Input]\r\nDevice Name=\r\n[Form]\r\ncal=-20\r\nleft=7\r\n");
}

TEST_F(SettingsStoreTest, ResetDeviceWithoutAFileCreatesIt) {
    ResetDevice();
    EXPECT_EQ(OnDisk(), "[Input]\r\nDevice Name=\r\n");
}

TEST_F(SettingsStoreTest, EmptyCalAndDecayFallBackAtStartUp) {
    Given("[Form]\r\ncal=\r\ndecay=  \r\n");
    LoadSettings();
    EXPECT_EQ(MeterSettings.cal, "");
    EXPECT_EQ(MeterSettings.decay, "");
    ApplySettingFallbacks();
    EXPECT_EQ(MeterSettings.cal, " 0");
    EXPECT_EQ(MeterSettings.decay, "2");

    Given("[Form]\r\ncal=-20\r\ndecay=abc\r\n");
    LoadSettings();
    ApplySettingFallbacks();
    EXPECT_EQ(MeterSettings.cal, "-20");
    EXPECT_EQ(MeterSettings.decay, "abc");
}

struct LineCase {
    const char* line;
    std::function<bool(const TMeterSettings&)> holds;
    const char* meaning;
};

// Shown beside the case's name: its line, with bytes outside printable ASCII as \xNN.
void PrintTo(const LineCase& c, std::ostream* out) {
    constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : std::string_view(c.line)) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x20 && byte < 0x7F) {
            *out << ch;
        } else {
            *out << "\\x" << kHex[byte >> 4] << kHex[byte & 0xF];
        }
    }
}

class SettingsLineTest : public SettingsStoreTest,
                         public ::testing::WithParamInterface<LineCase> {};

// The case's line spelled in the characters a test name may hold ("cal = '-20' " gives
// "calBlank_BlankSqMinus20SqBlank"), so that each case keeps its name from build to build.
std::string LineCaseName(const ::testing::TestParamInfo<LineCase>& info) {
    std::string name;
    for (const char c : std::string_view(info.param.line)) {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            name += c;
        } else if (c == '=') {
            name += '_';
        } else if (c == ' ') {
            name += "Blank";
        } else if (c == '"') {
            name += "Dq";
        } else if (c == '\'') {
            name += "Sq";
        } else if (c == '-') {
            name += "Minus";
        } else if (c == '$') {
            name += "Dollar";
        } else {
            constexpr char kHex[] = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(c);
            name += {'x', kHex[byte >> 4], kHex[byte & 0xF]};
        }
    }
    return name;
}

TEST_P(SettingsLineTest, ReadsAsExpected) {
    Given(std::string("[Form]\r\n") + GetParam().line + "\r\n");
    LoadSettings();
    EXPECT_TRUE(GetParam().holds(MeterSettings)) << GetParam().line << ": " << GetParam().meaning;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeValues, SettingsLineTest,
    ::testing::Values(
        LineCase{"ONTOP=1", [](auto& s) { return s.OnTop; }, "OnTop true"},
        LineCase{"OnTop=2", [](auto& s) { return s.OnTop; }, "OnTop true"},
        LineCase{"OnTop=yes", [](auto& s) { return !s.OnTop; }, "default false"},
        LineCase{"dbScale=yes", [](auto& s) { return s.dbScale; }, "default true"},
        LineCase{"dbScale=0", [](auto& s) { return !s.dbScale; }, "false"},
        LineCase{"AColor=0xFF", [](auto& s) { return s.Acolor == 255; }, "red"},
        LineCase{"AColor=$FF00", [](auto& s) { return s.Acolor == 65280; }, "green"},
        LineCase{"AColor=green", [](auto& s) { return s.Acolor == 65280; }, "default"},
        LineCase{"scolor=255", [](auto& s) { return s.Scolor == 255; }, "any letter case"},
        LineCase{"MColor=4294967296", [](auto& s) { return s.Mcolor == 16777215; }, "default"},
        LineCase{"left=-40", [](auto& s) { return s.left == -40; }, "-40"},
        LineCase{"top=0x", [](auto& s) { return s.top == 200; }, "default"},
        LineCase{"Locked=1", [](auto& s) { return s.Locked; }, "locked"},
        LineCase{"password=\x9E\x9D\x9C", [](auto& s) { return s.password == "abc"; },
                 "unscrambled"},
        LineCase{"password=", [](auto& s) { return s.password.empty(); }, "empty"},
        LineCase{"cal=\"-20\"", [](auto& s) { return s.cal == "-20"; }, "quotes go"},
        LineCase{"cal = '-20' ", [](auto& s) { return s.cal == "-20"; }, "after the trim"},
        LineCase{"cal=\" -20 \"", [](auto& s) { return s.cal == " -20 "; }, "blanks inside"},
        LineCase{"cal=\"-20'", [](auto& s) { return s.cal == "\"-20'"; }, "unmatched"},
        LineCase{"cal=\"-20", [](auto& s) { return s.cal == "\"-20"; }, "one quote"},
        LineCase{"cal=\"", [](auto& s) { return s.cal == "\""; }, "a lone quote"},
        LineCase{"cal=\"\"", [](auto& s) { return s.cal.empty(); }, "empty"},
        LineCase{"cal=''x''", [](auto& s) { return s.cal == "'x'"; }, "one pair only"},
        LineCase{"AColor=\"255\"", [](auto& s) { return s.Acolor == 255; }, "number too"},
        LineCase{"Locked='1'", [](auto& s) { return s.Locked; }, "boolean too"},
        LineCase{"ballistics=2", [](auto& s) { return s.ballistics == 2; }, "IEC Type IIa"},
        LineCase{"ballistics=4", [](auto& s) { return s.ballistics == 0; }, "default"},
        LineCase{"ballistics=-1", [](auto& s) { return s.ballistics == 0; }, "default"},
        LineCase{"TPlevel= -2.5 ", [](auto& s) { return s.TPlevel == "-2.5"; }, "as typed"},
        LineCase{"target=", [](auto& s) { return s.target.empty(); }, "empty, as typed"}),
    LineCaseName);

TEST(ScramblePasswordTest, ComplementsEveryByteAndUndoesItself) {
    EXPECT_EQ(ScramblePassword("abc"), "\x9E\x9D\x9C");
    EXPECT_EQ(ScramblePassword(""), "");
    std::string every;
    for (int byte = 0; byte < 256; ++byte) every += static_cast<char>(byte);
    EXPECT_EQ(ScramblePassword(ScramblePassword(every)), every);
    for (char c = 0x20; c <= 0x7E; ++c) {
        const auto scrambled = static_cast<unsigned char>(ScramblePassword(std::string(1, c))[0]);
        EXPECT_GE(scrambled, 0x81);
        EXPECT_LE(scrambled, 0xDF);
    }
}

TEST(PasswordFitsFileTest, RefusesBytesTheFileCannotHold) {
    EXPECT_TRUE(PasswordFitsFile("Studio 1 !\"'"));
    EXPECT_TRUE(
        PasswordFitsFile("a\xDF"
                         "b"));  // scrambles to a blank inside: kept
    EXPECT_FALSE(
        PasswordFitsFile("a\xF2"
                         "b"));  // CR
    EXPECT_FALSE(
        PasswordFitsFile("a\xF5"
                         "b"));  // LF
    EXPECT_FALSE(
        PasswordFitsFile("a\xFF"
                         "b"));  // NUL
    EXPECT_FALSE(
        PasswordFitsFile("\xDF"
                         "ab"));               // a blank at the start
    EXPECT_FALSE(PasswordFitsFile("ab\xF6"));  // a tab at the end
    EXPECT_FALSE(
        PasswordFitsFile("\xDD"
                         "ab\xDD"));  // in double quotes
    EXPECT_FALSE(
        PasswordFitsFile("\xD8"
                         "ab\xD8"));  // in single quotes
    EXPECT_TRUE(
        PasswordFitsFile("\xDD"
                         "ab\xD8"));        // quotes that don't match
    EXPECT_TRUE(PasswordFitsFile("\xDD"));  // one quote alone
}

TEST_F(SettingsStoreTest, PasswordThatFitsComesBackAndOneThatDoesntDoesNot) {
    test::FakeSettingsHost host;
    host.lockSet = true;
    SetSettingsHost(&host);
    for (const std::string password : {"\xDF"
                                       "\xE4x",
                                       "\xE4\xDF"
                                       "x",
                                       "x\xF5y", "\xD8x\xD8", "\xDDx\xD8"}) {
        MeterSettings.Locked = true;
        MeterSettings.password = password;
        SaveSettings();
        LoadSettings();
        EXPECT_EQ(MeterSettings.password == password, PasswordFitsFile(password)) << password;
    }
}

}  // namespace
}  // namespace kestrin
