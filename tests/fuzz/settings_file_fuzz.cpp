// Arbitrary bytes as the settings file. The file layer must read them without harm and keep
// every other key when one is written; the store must load them, and what it then saves must
// load back as the same settings (where the values can stand in the file at all), and a device
// reset must change the device name alone.
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "config/notice.h"
#include "config/profile_file.h"
#include "config/settings.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace kestrin;

// A folder of the run's own, in memory where the system offers it (writes are flushed to the
// disk at every save, which a disk-backed folder would make the slowest part of the run).
class ScratchFolder {
  public:
    ScratchFolder() {
        std::filesystem::path base = "/dev/shm";
        if (access(base.c_str(), W_OK) != 0) base = std::filesystem::temp_directory_path();
        std::string pattern = (base / "kestrin-fuzz-XXXXXX").string();
        FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
        m_path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string File(std::string_view name) const { return (m_path / name).string(); }

  private:
    std::filesystem::path m_path;
};

// Device resets tell the operator; here nobody is told.
class SilentNotifier : public Notifier {
  public:
    void ShowMessage(const std::string&, const std::string&) override {}
    void EndProgram() override {}
};

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Probe {
    std::string_view section;
    std::string_view key;
};

// Every key the meter reads or writes, in both of its spellings, and a few that it doesn't.
constexpr std::array<Probe, 28> kProbes = {{
    {"Input", "Device Name"},
    {"Input", "Short Name"},
    {"Form", "cal"},
    {"Form", "amber"},
    {"Form", "password"},
    {"Form", "decay"},
    {"Form", "OnTop"},
    {"Form", "ontop"},
    {"Form", "PeakHold"},
    {"Form", "dbScale"},
    {"Form", "Msix"},
    {"Form", "Locked"},
    {"Form", "ABLR"},
    {"Form", "Acolor"},
    {"Form", "BColor"},
    {"Form", "Mcolor"},
    {"Form", "SColor"},
    {"Form", "showMS"},
    {"Form", "left"},
    {"Form", "top"},
    {"Form", "x"},
    {"Form", ""},
    {"Input", "cal"},
    {"form", "CAL"},
    {"", "cal"},
    {"[Form]", "cal"},
    {"Form", "Form"},
    {"Other", "k"},
}};

// Names compare without regard to ASCII letter case.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Writing one key changes what that key reads and nothing else.
void CheckSingleKeyWrite(const std::string& path, std::string_view bytes) {
    ProfileFile file(path);
    FUZZ_CHECK(file.bytes() == bytes);
    std::array<std::string, kProbes.size()> before;
    for (size_t i = 0; i < kProbes.size(); ++i) {
        before[i] = file.ReadString(kProbes[i].section, kProbes[i].key, "\x01none");
        file.ReadInteger(kProbes[i].section, kProbes[i].key, 7);
        file.ReadBool(kProbes[i].section, kProbes[i].key, true);
    }

    file.SetString("Form", "cal", "-18");
    file.Save();
    FUZZ_CHECK(ReadFile(path) == file.bytes());
    const ProfileFile reread(path);
    for (size_t i = 0; i < kProbes.size(); ++i) {
        const std::string now = reread.ReadString(kProbes[i].section, kProbes[i].key, "\x01none");
        const bool written =
            SameName(kProbes[i].section, "Form") && SameName(kProbes[i].key, "cal");
        FUZZ_CHECK(written ? now == "-18" : now == before[i]);
    }
}

bool Survives(const TMeterSettings& s) {
    return ProfileValueSurvives(s.DeviceName) && ProfileValueSurvives(s.ShortName) &&
           ProfileValueSurvives(s.cal) && ProfileValueSurvives(s.decay) &&
           (!s.Locked || PasswordFitsFile(s.password));
}

// Load, save, load: the same settings, but for an unlocked password, which saving empties.
void CheckStoreRoundTrip(const std::string& path, std::string_view bytes) {
    WriteFile(path, bytes);
    SetSettingsFilePath(path);
    LoadSettings();
    TMeterSettings expected = MeterSettings;
    if (!expected.Locked) expected.password.clear();
    SaveSettings();
    FUZZ_CHECK(MeterSettings == expected);
    LoadSettings();
    if (Survives(expected)) FUZZ_CHECK(MeterSettings == expected);

    const TMeterSettings saved = MeterSettings;
    ResetDevice();
    LoadSettings();
    expected = saved;
    expected.DeviceName.clear();
    FUZZ_CHECK(MeterSettings == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFolder folder;
    static SilentNotifier silent;
    SetNotifier(&silent);
    const std::string path = folder.File("kestrin.ini");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    WriteFile(path, bytes);
    CheckSingleKeyWrite(path, bytes);
    CheckStoreRoundTrip(path, bytes);
    return 0;
}
