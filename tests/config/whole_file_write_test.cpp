#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "config/profile_file.h"
#include "config/settings.h"
#include "tests/config/ordinary_user.h"
#include "tests/config/settings_store_fixture.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;

// What happens to the names in a folder while it is watched: files created in it and files
// renamed into it, in order.
class FolderWatch {
  public:
    explicit FolderWatch(const fs::path& folder) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        EXPECT_GE(m_fd, 0);
        EXPECT_GE(inotify_add_watch(m_fd, folder.c_str(), IN_CREATE | IN_MOVED_TO), 0);
    }
    ~FolderWatch() { close(m_fd); }

    // "create <name>" and "rename to <name>" since the last call.
    std::vector<std::string> Events() {
        std::vector<std::string> events;
        alignas(inotify_event) char buffer[4096];
        ssize_t got;
        while ((got = read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                const std::string name = event->len ? event->name : "";
                events.push_back(((event->mask & IN_CREATE) ? "create " : "rename to ") + name);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return events;
    }

  private:
    int m_fd;
};

class WholeFileWriteTest : public test::SettingsStoreTest {};

TEST_F(WholeFileWriteTest, EachOperationReplacesTheFileOnce) {
    Given("[Form]\r\nleft=5\r\n");
    FolderWatch watch(m_dir.path());
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"SaveSettings", SaveSettings},
        {"SavePosition", SavePosition},
        {"ResetDevice", ResetDevice}};
    for (const auto& [name, operation] : operations) {
        operation();
        const std::vector<std::string> events = watch.Events();
        ASSERT_EQ(events.size(), 2u) << name;
        EXPECT_TRUE(events[0].starts_with("create kestrin.ini.")) << name << ": " << events[0];
        EXPECT_EQ(events[1], "rename to kestrin.ini") << name;
    }
    EXPECT_EQ(test::FolderListing(m_dir.path()), "kestrin.ini;");
}

TEST_F(WholeFileWriteTest, ChangesStayInMemoryUntilSave) {
    Given("[Form]\r\ncal=-20\r\n");
    ProfileFile file(m_path.string());
    file.SetString("Form", "cal", "-18");
    file.SetInteger("Input", "x", -3);
    file.SetBool("Form", "amber", true);
    EXPECT_EQ(OnDisk(), "[Form]\r\ncal=-20\r\n");
    EXPECT_EQ(file.ReadString("Form", "cal", "d"), "-18");
    file.Save();
    EXPECT_EQ(OnDisk(), "[Form]\r\ncal=-18\r\namber=1\r\n[Input]\r\nx=-3\r\n");
    EXPECT_EQ(file.bytes(), OnDisk());
}

// A writer killed before its rename leaves its temporary file. The next write removes such
// leftovers, but nothing a living writer holds, nothing of another name, nothing another user
// made and nothing that is not a plain file of this folder.
TEST_F(WholeFileWriteTest, LeftoversOfKilledWritersGoWithTheNextWrite) {
    Given("[Form]\r\n");
    const fs::path folder = m_dir.path();
    test::WriteBytes(folder / "kestrin.ini.0badf00d.tmp", "[Form]\r\ncal=");
    test::WriteBytes(folder / "kestrin.ini.1234abcd.tmp", "being written");
    test::WriteBytes(folder / "kestrin.ini.0BADF00D.tmp", "not ours: upper case");
    test::WriteBytes(folder / "kestrin.ini.backup.tmp", "not ours");
    test::WriteBytes(folder / "other.ini.0badf00d.tmp", "another file's");
    test::WriteBytes(folder / "precious", "kept");
    fs::create_symlink(folder / "precious", folder / "kestrin.ini.cafef00d.tmp");
    fs::create_directory(folder / "kestrin.ini.deadbeef.tmp");
    // Only root can make a file another user's.
    const bool otherUsers = test::RunningAsRoot();
    if (otherUsers) {
        const fs::path theirs = folder / "kestrin.ini.5eed5eed.tmp";
        test::WriteBytes(theirs, "another user's");
        ASSERT_EQ(chown(theirs.c_str(), test::kOrdinaryUid, test::kOrdinaryUid), 0);
    }

    // Another copy of the meter in the middle of its own write.
    const int held = open((folder / "kestrin.ini.1234abcd.tmp").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    SavePosition();
    close(held);

    EXPECT_EQ(test::FolderListing(folder),
              std::string("kestrin.ini;kestrin.ini.0BADF00D.tmp;kestrin.ini.1234abcd.tmp;") +
                  (otherUsers ? "kestrin.ini.5eed5eed.tmp;" : "") +
                  "kestrin.ini.backup.tmp;kestrin.ini.cafef00d.tmp;kestrin.ini.deadbeef.tmp;"
                  "other.ini.0badf00d.tmp;precious;");
    EXPECT_EQ(test::ReadBytes(folder / "precious"), "kept");

    // Once its writer is gone, the next write takes it away too.
    SavePosition();
    EXPECT_FALSE(fs::exists(folder / "kestrin.ini.1234abcd.tmp"));
}

}  // namespace
}  // namespace kestrin
