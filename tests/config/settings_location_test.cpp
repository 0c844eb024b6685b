#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "config/settings.h"
#include "tests/config/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {
namespace {

namespace fs = std::filesystem;

// The program as if installed in a folder of the test's choosing, with a per-user config home
// of its own.
class SettingsLocationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MeterSettings = {};
        SetSettingsFilePath("");
        m_configHome = m_dir.path() / "config";
        ::setenv("XDG_CONFIG_HOME", m_configHome.c_str(), 1);
    }
    void TearDown() override {
        SetExecutablePath("");
        ::unsetenv("XDG_CONFIG_HOME");
    }

    TempDir m_dir;
    fs::path m_configHome;
};

TEST_F(SettingsLocationTest, AWritableFolderKeepsTheFileBesideTheProgram) {
    const fs::path program = m_dir.path() / "bin" / "kestrin";
    fs::create_directories(program.parent_path());
    SetExecutablePath(program.string());

    EXPECT_EQ(SettingsFilePath(), (m_dir.path() / "bin" / "kestrin.ini").string());
    MeterSettings.cal = "-18";
    SaveSettings();
    EXPECT_TRUE(fs::exists(m_dir.path() / "bin" / "kestrin.ini"));
    EXPECT_FALSE(fs::exists(m_configHome / "kestrin"));
}

TEST_F(SettingsLocationTest, AFolderNoOneCanWriteKeepsTheFilePerUser) {
    // Nobody, root included, can create a file in /proc.
    SetExecutablePath("/proc/kestrin");
    const fs::path perUser = m_configHome / "kestrin" / "kestrin.ini";
    EXPECT_EQ(SettingsFilePath(), perUser.string());

    MeterSettings.cal = "-18";
    MeterSettings.ShortName = "Studio 2";
    SaveSettings();
    ASSERT_TRUE(fs::exists(perUser)) << "the write creates the per-user folder";
    EXPECT_NE(ReadBytes(perUser).find("cal=-18\r\n"), std::string::npos);

    MeterSettings = {};
    LoadSettings();
    EXPECT_EQ(MeterSettings.cal, "-18");
    EXPECT_EQ(MeterSettings.ShortName, "Studio 2");
}

TEST_F(SettingsLocationTest, ConfigHomeFallsBackToDotConfigUnderHome) {
    ::unsetenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(UserConfigHome(), std::string(home) + "/.config");
    ::setenv("XDG_CONFIG_HOME", "relative/path", 1);
    EXPECT_EQ(UserConfigHome(), std::string(home) + "/.config") << "only an absolute path counts";
}

TEST(SettingsLocation, AReadOnlyFolderReadsItsFileUntilThePerUserCopyExists) {
    TempDir dir;
    const fs::path program = dir.path() / "opt" / "kestrin";
    const fs::path home = dir.path() / "home";
    fs::create_directories(program.parent_path());

    EXPECT_EQ(LocateSettingsFile(program.string(), home.string(), true).path,
              (dir.path() / "opt" / "kestrin.ini").string());

    SettingsFileLocation where = LocateSettingsFile(program.string(), home.string(), false);
    EXPECT_EQ(where.path, (home / "kestrin" / "kestrin.ini").string());
    EXPECT_TRUE(where.perUser);
    EXPECT_EQ(where.seedPath, "") << "no file beside the program: nothing to read";

    WriteBytes(dir.path() / "opt" / "kestrin.ini", "[Form]\r\ncal=-20\r\n");
    where = LocateSettingsFile(program.string(), home.string(), false);
    EXPECT_EQ(where.seedPath, (dir.path() / "opt" / "kestrin.ini").string());

    fs::create_directories(home / "kestrin");
    WriteBytes(home / "kestrin" / "kestrin.ini", "[Form]\r\ncal=-9\r\n");
    where = LocateSettingsFile(program.string(), home.string(), false);
    EXPECT_EQ(where.seedPath, "") << "once the per-user copy exists, it alone is read";
}

TEST(SettingsLocation, WritabilityIsTriedNotGuessedFromModeBits) {
    TempDir dir;
    EXPECT_TRUE(FolderIsWritable(dir.path().string()));
    EXPECT_FALSE(FolderIsWritable("/proc"));
    EXPECT_FALSE(FolderIsWritable((dir.path() / "missing").string()));
    EXPECT_TRUE(fs::is_empty(dir.path())) << "the probe leaves nothing behind";
    if (::geteuid() != 0) {
        fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(FolderIsWritable(dir.path().string()));
    }
}

}  // namespace
}  // namespace kestrin::test
