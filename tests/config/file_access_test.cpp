#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "config/profile_file.h"
#include "config/settings.h"
#include "tests/config/ordinary_user.h"
#include "tests/config/settings_store_fixture.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;

// What a write did: "written", or the text of the error it threw.
template <typename Write>
std::string Outcome(Write&& write) {
    try {
        write();
    } catch (const SettingsWriteError& error) {
        return error.what();
    }
    return "written";
}

fs::perms ModeOf(const fs::path& path) {
    return fs::symlink_status(path).permissions() & fs::perms::mask;
}

uid_t OwnerOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_uid;
}

// The umask in force while it lives.
class Umask {
  public:
    explicit Umask(mode_t mask) : m_saved(::umask(mask)) {}
    ~Umask() { ::umask(m_saved); }

  private:
    mode_t m_saved;
};

// A settings file in a folder that the ordinary user owns, so that only the file's own
// permissions can stop that user's writes.
class FileAccessTest : public test::SettingsStoreTest {
  protected:
    void SetUp() override {
        SettingsStoreTest::SetUp();
        test::GiveToOrdinaryUser(m_dir.path());
    }
    void TearDown() override {
        SettingsStoreTest::TearDown();
        SetExecutablePath("");
        ::unsetenv("XDG_CONFIG_HOME");
    }

    const std::string kOld = "[Input]\r\nDevice Name=Mic\r\n[Form]\r\ncal=-20\r\n";
    const std::string kUnableToWrite = "Unable to write to " + m_path.string();
};

TEST_F(FileAccessTest, ReadOnlyFileIsNotReplacedThroughItsFolder) {
    Given(kOld);
    test::GiveToOrdinaryUser(m_path);
    fs::permissions(m_path, static_cast<fs::perms>(0444));

    const std::string outcome = test::AsOrdinaryUser([] {
        LoadSettings();
        return MeterSettings.cal + "; " + Outcome(SaveSettings) + "; " + Outcome(SavePosition) +
               "; " + Outcome(ResetDevice);
    });
    EXPECT_EQ(outcome, "-20; " + kUnableToWrite + "; " + kUnableToWrite + "; " + kUnableToWrite);
    EXPECT_EQ(OnDisk(), kOld);
    EXPECT_EQ(ModeOf(m_path), static_cast<fs::perms>(0444));
    EXPECT_EQ(test::FolderListing(m_dir.path()), "kestrin.ini;") << "no temporary file left";

    // The same user writes it once its mode allows: the refusal came from the file alone.
    fs::permissions(m_path, static_cast<fs::perms>(0640));
    EXPECT_EQ(test::AsOrdinaryUser([] { return Outcome(SavePosition); }), "written");
    EXPECT_EQ(OnDisk(), kOld + "left=200\r\ntop=200\r\nshowMS=1\r\n");
    EXPECT_EQ(ModeOf(m_path), static_cast<fs::perms>(0640));
}

TEST_F(FileAccessTest, AnotherUsersFileIsNotReplacedThroughItsFolder) {
    if (!test::RunningAsRoot()) GTEST_SKIP() << "only root can make a file another user's";
    Given(kOld);
    fs::permissions(m_path, static_cast<fs::perms>(0644));

    const std::string outcome = test::AsOrdinaryUser([this] {
        ProfileFile file(m_path.string());
        const std::string read = file.ReadString("Form", "cal", "?");
        return read + "; " + Outcome([&] {
                   file.SetString("Form", "cal", "-9");
                   file.Save();
               }) +
               "; " + Outcome(SavePosition);
    });
    EXPECT_EQ(outcome, "-20; " + kUnableToWrite + "; " + kUnableToWrite);
    EXPECT_EQ(OnDisk(), kOld);
    EXPECT_EQ(OwnerOf(m_path), 0u);
    EXPECT_EQ(test::FolderListing(m_dir.path()), "kestrin.ini;");
}

// A settings file kept elsewhere and linked to: the link stays, the file it names is replaced
// in its own folder and keeps its permissions.
TEST_F(FileAccessTest, LinkedFileIsWrittenThroughToTheFileItNames) {
    const fs::path shared = m_dir.path() / "shared";
    fs::create_directory(shared);
    test::WriteBytes(shared / "meter.ini", kOld);
    fs::permissions(shared / "meter.ini", static_cast<fs::perms>(0640));
    fs::create_symlink("shared/meter.ini", m_path);

    SavePosition();
    ASSERT_TRUE(fs::is_symlink(m_path));
    EXPECT_EQ(fs::read_symlink(m_path), "shared/meter.ini");
    EXPECT_EQ(test::ReadBytes(shared / "meter.ini"), kOld + "left=200\r\ntop=200\r\nshowMS=1\r\n");
    EXPECT_EQ(ModeOf(shared / "meter.ini"), static_cast<fs::perms>(0640));
    EXPECT_EQ(test::FolderListing(m_dir.path()), "kestrin.ini;shared;");
    EXPECT_EQ(test::FolderListing(shared), "meter.ini;");

    // A link to that link, by its full path: both stay links.
    const fs::path second = m_dir.path() / "second.ini";
    fs::create_symlink(m_path, second);
    SetSettingsFilePath(second.string());
    MeterSettings.cal = "-9";
    SaveSettings();
    EXPECT_TRUE(fs::is_symlink(second) && fs::is_symlink(m_path));
    EXPECT_NE(test::ReadBytes(shared / "meter.ini").find("cal=-9\r\n"), std::string::npos);
    MeterSettings = {};
    LoadSettings();
    EXPECT_EQ(MeterSettings.cal, "-9");
}

TEST_F(FileAccessTest, LinkToNothingYetMakesItsFileAndALoopIsAFailedWrite) {
    fs::create_symlink(m_dir.path() / "made.ini", m_path);
    SavePosition();
    EXPECT_TRUE(fs::is_symlink(m_path));
    EXPECT_EQ(test::ReadBytes(m_dir.path() / "made.ini"),
              "[Form]\r\nleft=200\r\ntop=200\r\nshowMS=1\r\n");

    const fs::path a = m_dir.path() / "a.ini";
    const fs::path b = m_dir.path() / "b.ini";
    fs::create_symlink(b, a);
    fs::create_symlink(a, b);
    SetSettingsFilePath(a.string());
    EXPECT_EQ(Outcome(SavePosition), "Unable to write to " + a.string());
    EXPECT_TRUE(fs::is_symlink(a) && fs::is_symlink(b));
}

// The file holds the scrambled password: a new one is its owner's alone, whatever the umask;
// one that exists keeps the permissions it has.
TEST_F(FileAccessTest, NewFileIsItsOwnersAloneAndAnExistingOneKeepsItsMode) {
    for (const mode_t mask : {0000, 0022, 0277}) {
        SCOPED_TRACE(mask);
        fs::remove(m_path);
        Umask umask(mask);
        SaveSettings();
        EXPECT_EQ(ModeOf(m_path), static_cast<fs::perms>(0600));
    }
    fs::permissions(m_path, static_cast<fs::perms>(0644));
    SavePosition();
    EXPECT_EQ(ModeOf(m_path), static_cast<fs::perms>(0644));

    fs::remove(m_path);
    fs::create_symlink(m_dir.path() / "made.ini", m_path);
    ResetDevice();
    EXPECT_EQ(ModeOf(m_dir.path() / "made.ini"), static_cast<fs::perms>(0600));
}

TEST_F(FileAccessTest, PerUserFolderMadeForItsOwnerAlone) {
    const fs::path configHome = m_dir.path() / "home" / ".config";
    ::setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    SetSettingsFilePath("");
    SetExecutablePath("/proc/kestrin");  // a folder nobody can write: the file goes per user
    {
        Umask umask(0022);
        SaveSettings();
    }
    const fs::path perUser = configHome / "kestrin" / "kestrin.ini";
    ASSERT_TRUE(fs::exists(perUser));
    EXPECT_EQ(ModeOf(perUser), static_cast<fs::perms>(0600));
    EXPECT_EQ(ModeOf(configHome / "kestrin"), static_cast<fs::perms>(0700));
    EXPECT_EQ(ModeOf(configHome), static_cast<fs::perms>(0700));
    EXPECT_EQ(ModeOf(m_dir.path() / "home"), static_cast<fs::perms>(0700));

    // Folders that exist keep their permissions.
    fs::remove_all(configHome / "kestrin");
    fs::permissions(configHome, static_cast<fs::perms>(0755));
    SavePosition();
    EXPECT_EQ(ModeOf(configHome), static_cast<fs::perms>(0755));
    EXPECT_EQ(ModeOf(configHome / "kestrin"), static_cast<fs::perms>(0700));
}

}  // namespace
}  // namespace kestrin
