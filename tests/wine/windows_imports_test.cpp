// The Windows program is one file that runs on a Windows machine with nothing else installed: it
// imports only DLLs that every Windows system has, none of the compiler's runtime DLLs.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <sstream>
#include <string>

#include "tests/support/child_process.h"

namespace kestrin::test {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

TEST(WindowsProgram, ImportsOnlyTheSystemsOwnDlls) {
    const std::set<std::string> system = {
        "kernel32.dll", "user32.dll",   "gdi32.dll",   "comdlg32.dll", "shell32.dll",
        "winmm.dll",    "advapi32.dll", "msvcrt.dll",  "ole32.dll",    "oleaut32.dll",
        "comctl32.dll", "shlwapi.dll",  "version.dll", "imm32.dll",    "uxtheme.dll"};
    std::string output;
    ASSERT_EQ(RunProgram({KESTRIN_MINGW_OBJDUMP, "-p", KESTRIN_WINDOWS_EXE}, EnvironmentWith({}),
                         std::chrono::seconds(30), &output),
              0)
        << output;
    ASSERT_NE(output.find("pei-x86-64"), std::string::npos) << "not a 64-bit Windows program";

    std::set<std::string> imported;
    std::stringstream lines(output);
    const std::string marker = "DLL Name: ";
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find(marker);
        if (at != std::string::npos) imported.insert(Lower(line.substr(at + marker.size())));
    }
    EXPECT_TRUE(imported.count("kernel32.dll")) << "no imports read from:\n" << output;
    for (const std::string& dll : imported) {
        EXPECT_TRUE(system.count(dll)) << dll << " is not part of Windows";
    }
    // The meter draws with GDI, runs windows with USER and records with the multimedia functions.
    for (const std::string dll : {"user32.dll", "gdi32.dll", "winmm.dll"}) {
        EXPECT_TRUE(imported.count(dll)) << "does not import " << dll;
    }
}

}  // namespace
}  // namespace kestrin::test
