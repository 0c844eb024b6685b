#include <gtest/gtest.h>

#include <filesystem>

#include "config/settings.h"

namespace kestrin {
namespace {

TEST(SettingsFilePathTest, ReplacesTheExtensionOfTheFileName) {
    EXPECT_EQ(SettingsFilePathFor("/opt/kestrin/kestrin.exe"), "/opt/kestrin/kestrin.ini");
    EXPECT_EQ(SettingsFilePathFor("/opt/meter.1.76.bin"), "/opt/meter.1.76.ini");
    EXPECT_EQ(SettingsFilePathFor("/usr/bin/kestrin"), "/usr/bin/kestrin.ini");
    EXPECT_EQ(SettingsFilePathFor("/opt/kestrin.d/kestrin"), "/opt/kestrin.d/kestrin.ini");
    EXPECT_EQ(SettingsFilePathFor("kestrin"), "kestrin.ini");
}

TEST(SettingsFilePathTest, LiesBesideTheRunningProgram) {
    SetSettingsFilePath("");
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(SettingsFilePath(), (program.parent_path() / "config_tests.ini").string());
}

}  // namespace
}  // namespace kestrin
