// The settings file survives the meter being killed at any moment of a save: a saver process
// writing two complete records in turn is killed with SIGKILL again and again, and after every
// kill the file holds exactly one of the two records, byte for byte. A kill in the middle of a
// write leaves at most that write's temporary file, and the next finished write removes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "config/atomic_write.h"
#include "config/settings.h"
#include "tests/soak/saver_records.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace kestrin::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kKills = 200;
constexpr int kMaxDelayUs = 30'000;  // after the saver is ready
constexpr uint32_t kSeed = 20261208;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The file as the store leaves it once a record's SaveSettings and SavePosition have both run.
std::string SavedBytes(const fs::path& path, const TMeterSettings& record) {
    MeterSettings = record;
    SaveSettings();
    SavePosition();
    return ReadBytes(path);
}

class SettingsKillTest : public testing::Test {
  protected:
    void SetUp() override { SetSettingsFilePath(m_path.string()); }
    void TearDown() override {
        SetSettingsFilePath("");
        MeterSettings = {};
    }

    // The names in the settings folder other than the settings file: temporary files of its
    // own, and anything else.
    void CountOthers(int& temporaries, std::string& strangers) const {
        temporaries = 0;
        for (const auto& entry : fs::directory_iterator(m_folder.path())) {
            const std::string name = entry.path().filename().string();
            if (name == "kestrin.ini") continue;
            if (IsTemporaryNameOf(name, "kestrin.ini")) {
                ++temporaries;
            } else {
                strangers += name + ";";
            }
        }
    }

    TempDir m_folder;  // the settings file's, and nothing else's
    TempDir m_logs;
    fs::path m_path = m_folder.path() / "kestrin.ini";
};

TEST_F(SettingsKillTest, FileIsAlwaysOneWholeRecord) {
    const TMeterSettings recordA = SettingsRecordA();
    const TMeterSettings recordB = SettingsRecordB();
    const std::string bytesA = SavedBytes(m_path, recordA);
    const std::string bytesB = SavedBytes(m_path, recordB);
    ASSERT_NE(bytesA, bytesB);

    std::mt19937 random(kSeed);
    std::uniform_int_distribution<int> delayUs(0, kMaxDelayUs);
    int allowedTemporaries = 0;  // what the kills since the last finished write may have left
    int killsMidWrite = 0;       // kills that left a temporary file
    int finishedOperations = 0;
    int filesA = 0;
    for (int kill = 1; kill <= kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        const fs::path log = m_logs.path() / ("saver-" + std::to_string(kill) + ".log");
        ChildProcess saver;
        saver.Start({KESTRIN_SETTINGS_SAVER, m_path.string()}, EnvironmentWith({}), log.string());
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (ReadBytes(log).size() < 6 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(100us);
        }
        ASSERT_EQ(ReadBytes(log).substr(0, 6), "ready\n");
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ASSERT_TRUE(saver.Running()) << "the saver ended on its own: " << ReadBytes(log);
        saver.Kill();

        const std::string bytes = ReadBytes(m_path);
        ASSERT_TRUE(bytes == bytesA || bytes == bytesB) << "torn file:\n" << bytes;
        LoadSettings();
        EXPECT_EQ(MeterSettings, bytes == bytesA ? recordA : recordB);
        filesA += bytes == bytesA;

        const std::string said = ReadBytes(log);
        const int finished = static_cast<int>(std::count(said.begin(), said.end(), '\n')) - 1;
        finishedOperations += finished;
        allowedTemporaries = finished > 0 ? 1 : allowedTemporaries + 1;
        int temporaries = 0;
        std::string strangers;
        CountOthers(temporaries, strangers);
        EXPECT_EQ(strangers, "");
        ASSERT_LE(temporaries, allowedTemporaries);
        killsMidWrite += temporaries > 0 && finished > 0;
    }

    // The meter's next write leaves the folder clean.
    MeterSettings = recordA;
    SavePosition();
    int temporaries = 0;
    std::string strangers;
    CountOthers(temporaries, strangers);
    EXPECT_EQ(temporaries, 0);

    std::printf(
        "%d kills: %d operations finished between them, %d kills left a temporary file, "
        "record A found %d times, record B %d times\n",
        kKills, finishedOperations, killsMidWrite, filesA, kKills - filesA);
    EXPECT_GT(finishedOperations, 0);
}

}  // namespace
}  // namespace kestrin::test
