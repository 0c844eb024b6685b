#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "config/profile_file.h"
#include "config/settings.h"
#include "tests/config/file_bytes.h"
#include "tests/config/settings_store_fixture.h"
#include "tests/support/recording_notifier.h"
#include "tests/support/temp_dir.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;

// Files may grow to at most `bytes` while it lives, as on a full disk: writes past the limit
// fail with EFBIG, for root too, instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }

  private:
    rlimit m_saved{};
    void (*m_savedHandler)(int);
};

// Runs the write and returns what it threw, so that nothing is printed while a limit is on.
template <typename Write>
std::string FailureOf(Write&& write) {
    try {
        write();
    } catch (const SettingsWriteError& error) {
        return error.what();
    }
    return "no error";
}

class WriteFailureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MeterSettings = {};
        SetSettingsHost(nullptr);
    }
    void TearDown() override {
        SetSettingsFilePath("");
        MeterSettings = {};
    }

    test::TempDir m_dir;
    fs::path m_path = m_dir.path() / "meter.ini";
    test::RecordingNotifier m_notifier;
};

TEST_F(WriteFailureTest, FolderWhereNoFileCanBeCreated) {
    // /proc refuses new files whoever asks, root included.
    const std::string before = test::ReadBytes("/proc/version");
    ProfileFile file("/proc/version");
    EXPECT_EQ(FailureOf([&] {
                  file.SetString("Form", "cal", "-20");
                  file.Save();
              }),
              "Unable to write to /proc/version");
    EXPECT_EQ(test::ReadBytes("/proc/version"), before);

    SetSettingsFilePath("/proc/version");
    LoadSettings();
    EXPECT_EQ(MeterSettings, TMeterSettings{});
    EXPECT_EQ(FailureOf(SaveSettings), "Unable to write to /proc/version");
    EXPECT_EQ(FailureOf(SavePosition), "Unable to write to /proc/version");
}

TEST_F(WriteFailureTest, FolderThatIsAFile) {
    test::WriteBytes(m_dir.path() / "plain", "not a folder");
    const fs::path path = m_dir.path() / "plain" / "meter.ini";
    SetSettingsFilePath(path.string());
    LoadSettings();
    EXPECT_EQ(MeterSettings, TMeterSettings{});
    EXPECT_EQ(FailureOf(SaveSettings), "Unable to write to " + path.string());
    EXPECT_EQ(test::ReadBytes(m_dir.path() / "plain"), "not a folder");
}

TEST_F(WriteFailureTest, MessageNamesTheFullPathOfARelativeOne) {
    test::WriteBytes(m_dir.path() / "plain", "");
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir.path());
    ProfileFile file("plain/meter.ini");
    const std::string failure = FailureOf([&] {
        file.SetString("Form", "top", "1");
        file.Save();
    });
    fs::current_path(previous);
    EXPECT_EQ(failure, "Unable to write to " + (m_dir.path() / "plain/meter.ini").string());
}

TEST_F(WriteFailureTest, FullDiskLeavesTheOldFileAsItWas) {
    const std::string before = "[Input]\r\nDevice Name=Mic\r\n[Form]\r\ncal=-12\r\nleft=200\r\n";
    test::WriteBytes(m_path, before);
    ProfileFile file(m_path.string());
    std::string failure;
    {
        FileSizeLimit limit(before.size());
        failure = FailureOf([&] {
            file.SetString("Form", "decay", "2");
            file.Save();
        });
    }
    EXPECT_EQ(failure, "Unable to write to " + m_path.string());
    EXPECT_EQ(test::ReadBytes(m_path), before);
    EXPECT_EQ(test::FolderListing(m_dir.path()), "meter.ini;");

    // The same object writes again once there is room.
    file.SetString("Form", "decay", "2");
    file.Save();
    EXPECT_EQ(test::ReadBytes(m_path), before + "decay=2\r\n");
}

// SaveSettings reaches the disk once, whole: wherever in the new file the disk fills up, the old
// file stays byte for byte as it was. What the operation changed in memory before the write
// stays changed.
class SaveOnFullDiskTest : public WriteFailureTest {
  protected:
    void SetUp() override {
        WriteFailureTest::SetUp();
        test::WriteBytes(m_path, kOld);
        MeterSettings.DeviceName = "Mic";
        MeterSettings.password = "secret";
        test::WriteBytes(m_dir.path() / "reference.ini", kOld);
        SetSettingsFilePath((m_dir.path() / "reference.ini").string());
        SaveSettings();
        m_complete = test::ReadBytes(m_dir.path() / "reference.ini");
        fs::remove(m_dir.path() / "reference.ini");
        MeterSettings.password = "secret";
        SetSettingsFilePath(m_path.string());
    }

    // Saves with room on the disk for only the first `bytes` bytes of a file.
    std::string SaveWithRoomFor(size_t bytes) {
        FileSizeLimit limit(bytes);
        return FailureOf(SaveSettings);
    }

    const std::string kOld = "[Form]\r\ncal=-20\r\nshowMS=0\r\n";
    std::string m_complete;  // what the save writes when there is room
};

TEST_F(SaveOnFullDiskTest, OldFileStaysByteForByteWhereverTheDiskFills) {
    for (const std::string lineStart : {"[Input]", "PeakHold=", "password=", "top="}) {
        SCOPED_TRACE(lineStart);
        EXPECT_EQ(SaveWithRoomFor(m_complete.find(lineStart) + 2),
                  "Unable to write to " + m_path.string());
        EXPECT_EQ(test::ReadBytes(m_path), kOld);
        EXPECT_EQ(test::FolderListing(m_dir.path()), "meter.ini;");
    }
    EXPECT_EQ(SaveWithRoomFor(m_complete.size() - 1), "Unable to write to " + m_path.string());
    EXPECT_EQ(test::ReadBytes(m_path), kOld);

    SaveSettings();
    EXPECT_EQ(test::ReadBytes(m_path), m_complete);
}

TEST_F(SaveOnFullDiskTest, PasswordEmptiedInMemoryAlthoughTheWriteFailed) {
    EXPECT_EQ(SaveWithRoomFor(0), "Unable to write to " + m_path.string());
    EXPECT_EQ(test::ReadBytes(m_path), kOld);
    EXPECT_EQ(MeterSettings.password, "");
}

TEST_F(SaveOnFullDiskTest, PositionAndResetDeviceLeaveTheOldFileToo) {
    EXPECT_EQ(FailureOf([] {
                  FileSizeLimit limit(8);
                  SavePosition();
              }),
              "Unable to write to " + m_path.string());
    EXPECT_EQ(FailureOf([] {
                  FileSizeLimit limit(8);
                  ResetDevice();
              }),
              "Unable to write to " + m_path.string());
    EXPECT_EQ(m_notifier.messages.size(), 1u);
    EXPECT_EQ(test::ReadBytes(m_path), kOld);
    EXPECT_EQ(test::FolderListing(m_dir.path()), "meter.ini;");
}

TEST_F(WriteFailureTest, FileThatCannotBeReadIsNeverReplaced) {
    // A folder and a pipe in the settings file's place: reading gives the defaults without
    // blocking, and no write may put a file there.
    fs::create_directory(m_path);
    test::WriteBytes(m_path / "inside", "kept");
    SetSettingsFilePath(m_path.string());
    LoadSettings();
    EXPECT_EQ(MeterSettings, TMeterSettings{});
    EXPECT_EQ(FailureOf(SavePosition), "Unable to write to " + m_path.string());
    EXPECT_EQ(test::ReadBytes(m_path / "inside"), "kept");

    const fs::path pipe = m_dir.path() / "pipe.ini";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    SetSettingsFilePath(pipe.string());
    LoadSettings();
    EXPECT_EQ(MeterSettings, TMeterSettings{});
    EXPECT_EQ(FailureOf(SavePosition), "Unable to write to " + pipe.string());
    EXPECT_TRUE(fs::is_fifo(pipe));
}

// A file too large to be read is said to be so once, at start, by its name; every write to it
// is refused as too large, and the file stays.
TEST_F(WriteFailureTest, OversizedFileIsReportedAtStartReadsAsDefaultsAndIsKept) {
    std::string huge = "[Form]\r\ncal=-20\r\n";
    huge.resize(ProfileFile::kMaxFileBytes + 1, 'x');
    test::WriteBytes(m_path, huge);
    SetSettingsFilePath(m_path.string());
    LoadSettings();
    EXPECT_EQ(MeterSettings.cal, "-12");
    const std::string tooLarge =
        "Unable to write to " + m_path.string() + ": the file is too large.";
    EXPECT_EQ(FailureOf(SaveSettings), tooLarge);
    EXPECT_EQ(FailureOf(SavePosition), tooLarge);
    EXPECT_EQ(fs::file_size(m_path), huge.size());
    EXPECT_EQ(m_notifier.messages,
              (std::vector<test::RecordingNotifier::Message>{
                  {"The settings file " + m_path.string() +
                       " is too large to be read; the default settings are used and the file is "
                       "left as it is.",
                   " Kestrin Error"}}));
}

// A save never writes a file that the next start could not read. A file just under 16 MiB (the
// settings and a long comment) is saved and read again with every setting; one that the save
// would take past the bound is refused with its reason, and stays byte for byte.
TEST_F(WriteFailureTest, ASaveNeverMakesTheFileTooLargeToRead) {
    const struct {
        size_t size;  // of the file before the save
        bool saved;
    } cases[] = {{16'777'206, true}, {ProfileFile::kMaxFileBytes - 100, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        std::string before = "[Input]\r\nDevice Name=Desk\r\n[Form]\r\ncal=-18\r\nleft=40\r\n;";
        before.resize(c.size - 2, '-');
        before += "\r\n";
        test::WriteBytes(m_path, before);
        SetSettingsFilePath(m_path.string());
        test::FakeSettingsHost window;
        window.left = 300;
        SetSettingsHost(&window);
        LoadSettings();
        ASSERT_EQ(MeterSettings.cal, "-18");
        MeterSettings.Msix = false;

        const std::string failure = FailureOf(SaveSettings);
        SetSettingsHost(nullptr);
        LoadSettings();
        if (c.saved) {
            EXPECT_EQ(failure, "no error");
            EXPECT_GT(fs::file_size(m_path), c.size);
            EXPECT_EQ(MeterSettings.DeviceName, "Desk");
            EXPECT_EQ(MeterSettings.cal, "-18");
            EXPECT_FALSE(MeterSettings.Msix);
            EXPECT_EQ(MeterSettings.left, 300);
        } else {
            EXPECT_EQ(failure,
                      "Unable to write to " + m_path.string() + ": the file is too large.");
            EXPECT_TRUE(test::ReadBytes(m_path) == before);
            EXPECT_EQ(test::FolderListing(m_dir.path()), "meter.ini;");
        }
        EXPECT_TRUE(m_notifier.messages.empty());
    }
}

// What a writer killed in the middle of its save left goes before the next save writes, so that
// on a full disk its room is there, and goes even when that save fails.
TEST_F(WriteFailureTest, LeftoversOfKilledSavesGoAlsoWhenTheNextSaveFails) {
    const std::string before = "[Form]\r\ncal=-20\r\n";
    test::WriteBytes(m_path, before);
    test::WriteBytes(m_dir.path() / "meter.ini.0badf00d.tmp", "[Form]\r\ncal=");
    SetSettingsFilePath(m_path.string());
    EXPECT_EQ(FailureOf([] {
                  FileSizeLimit limit(8);
                  SavePosition();
              }),
              "Unable to write to " + m_path.string());
    EXPECT_EQ(test::ReadBytes(m_path), before);
    EXPECT_EQ(test::FolderListing(m_dir.path()), "meter.ini;");
}

TEST_F(WriteFailureTest, ResetDeviceShowsItsMessageBeforeTheWriteFails) {
    SetSettingsFilePath("/proc/version");
    EXPECT_EQ(FailureOf(ResetDevice), "Unable to write to /proc/version");
    ASSERT_EQ(m_notifier.messages.size(), 1u);
    EXPECT_EQ(m_notifier.endCount, 0);
}

TEST_F(WriteFailureTest, WriteKeepsTheFilesPermissions) {
    test::WriteBytes(m_path, "[Form]\r\n");
    fs::permissions(m_path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ProfileFile file(m_path.string());
    file.SetString("Form", "top", "3");
    file.Save();
    EXPECT_EQ(fs::status(m_path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const mode_t mask = umask(022);
    const fs::path fresh = m_dir.path() / "fresh.ini";
    ProfileFile freshFile(fresh.string());
    freshFile.SetString("Form", "top", "3");
    freshFile.Save();
    umask(mask);
    EXPECT_EQ(fs::status(fresh).permissions(), static_cast<fs::perms>(0600))
        << "it holds the scrambled password";
}

}  // namespace
}  // namespace kestrin
