#include "config/settings.h"

#include <filesystem>
#include <system_error>

#include "config/notice.h"
#include "config/profile_file.h"

namespace kestrin {

TMeterSettings MeterSettings;

namespace {

constexpr std::string_view kInput = "Input";
constexpr std::string_view kForm = "Form";

SettingsHost* host = nullptr;

// Before the windows exist the check box shows Locked and the window stands where it was loaded.
bool LockSetChecked() { return host ? host->LockSetChecked() : MeterSettings.Locked; }
int32_t WindowLeft() { return host ? host->WindowLeft() : MeterSettings.left; }
int32_t WindowTop() { return host ? host->WindowTop() : MeterSettings.top; }

// Makes the folder and those above it that are missing, each for its owner alone (0700, whatever
// the umask): the file in it holds the scrambled password. Folders that exist keep their
// permissions. A folder that can't be made shows as a failed write of the file.
void CreatePrivateFolders(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (folder.empty() || fs::exists(folder, error) || error) return;
    CreatePrivateFolders(folder.parent_path());
    if (fs::create_directory(folder, error)) {
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    }
}

// Opens the settings file for an operation. A per-user copy that doesn't exist yet reads as the
// file beside the executable; a write creates its folder and starts from that file's contents.
ProfileFile OpenSettingsFile(bool forWriting) {
    const SettingsFileLocation where = SettingsFile();
    if (!forWriting) return ProfileFile(where.seedPath.empty() ? where.path : where.seedPath);
    if (where.perUser) CreatePrivateFolders(std::filesystem::path(where.path).parent_path());
    ProfileFile file(where.path);
    if (!where.seedPath.empty()) file.StartFrom(ProfileFile(where.seedPath));
    return file;
}

// The standard modes' keys reach the file only when they differ from their defaults or the file
// holds them already: the file of an operator who never chose one stays as it was.
void SaveStandardModes(ProfileFile& file, const TMeterSettings& s) {
    const TMeterSettings defaults;
    const auto wanted = [&](std::string_view key, bool differs) {
        return differs || file.HasKey(kForm, key);
    };
    if (wanted("ballistics", s.ballistics != defaults.ballistics)) {
        file.SetInteger(kForm, "ballistics", s.ballistics);
    }
    if (wanted("TPover", s.TPover != defaults.TPover)) file.SetBool(kForm, "TPover", s.TPover);
    if (wanted("TPlevel", s.TPlevel != defaults.TPlevel)) {
        file.SetString(kForm, "TPlevel", s.TPlevel);
    }
    if (wanted("loudness", s.loudness != defaults.loudness)) {
        file.SetBool(kForm, "loudness", s.loudness);
    }
    if (wanted("target", s.target != defaults.target)) file.SetString(kForm, "target", s.target);
}

}  // namespace

void SetSettingsHost(SettingsHost* newHost) { host = newHost; }

void LoadSettings() {
    const ProfileFile file = OpenSettingsFile(false);
    // Starting with the defaults would otherwise look as though the operator's settings were lost.
    if (file.tooLarge()) {
        notifier().ShowMessage("The settings file " + file.fullPath() +
                                   " is too large to be read; the default settings are used and "
                                   "the file is left as it is.",
                               kErrorCaption);
    }
    const TMeterSettings defaults;
    TMeterSettings& s = MeterSettings;
    s.DeviceName = file.ReadString(kInput, "Device Name", defaults.DeviceName);
    s.ShortName = file.ReadString(kInput, "Short Name", defaults.ShortName);
    s.cal = file.ReadString(kForm, "cal", defaults.cal);
    s.amber = file.ReadBool(kForm, "amber", defaults.amber);
    s.password = file.ReadString(kForm, "password", defaults.password);
    if (!s.password.empty()) s.password = ScramblePassword(s.password);
    s.decay = file.ReadString(kForm, "decay", defaults.decay);
    s.OnTop = file.ReadBool(kForm, "OnTop", defaults.OnTop);
    s.PeakHold = file.ReadBool(kForm, "PeakHold", defaults.PeakHold);
    s.dbScale = file.ReadBool(kForm, "dbScale", defaults.dbScale);
    s.Msix = file.ReadBool(kForm, "Msix", defaults.Msix);
    s.Locked = file.ReadBool(kForm, "Locked", defaults.Locked);
    s.ABLR = file.ReadBool(kForm, "ABLR", defaults.ABLR);
    s.Acolor = file.ReadInteger(kForm, "Acolor", defaults.Acolor);
    s.Bcolor = file.ReadInteger(kForm, "Bcolor", defaults.Bcolor);
    s.Mcolor = file.ReadInteger(kForm, "Mcolor", defaults.Mcolor);
    s.Scolor = file.ReadInteger(kForm, "Scolor", defaults.Scolor);
    s.showMS = file.ReadBool(kForm, "showMS", defaults.showMS);
    s.left = file.ReadInteger(kForm, "left", defaults.left);
    s.top = file.ReadInteger(kForm, "top", defaults.top);
    s.ballistics = file.ReadInteger(kForm, "ballistics", defaults.ballistics);
    if (s.ballistics < kDesignBallistics || s.ballistics > kIecTypeIIbBallistics) {
        s.ballistics = defaults.ballistics;
    }
    s.TPover = file.ReadBool(kForm, "TPover", defaults.TPover);
    s.TPlevel = file.ReadString(kForm, "TPlevel", defaults.TPlevel);
    s.loudness = file.ReadBool(kForm, "loudness", defaults.loudness);
    s.target = file.ReadString(kForm, "target", defaults.target);
}

void ApplySettingFallbacks() {
    if (MeterSettings.cal.empty()) MeterSettings.cal = " 0";
    if (MeterSettings.decay.empty()) MeterSettings.decay = "2";
}

void SaveSettings() {
    ProfileFile file = OpenSettingsFile(true);
    TMeterSettings& s = MeterSettings;
    file.SetString(kInput, "Device Name", s.DeviceName);
    file.SetString(kInput, "Short Name", s.ShortName);
    file.SetString(kForm, "cal", s.cal);
    file.SetString(kForm, "decay", s.decay);
    file.SetBool(kForm, "amber", s.amber);
    file.SetBool(kForm, "ontop", s.OnTop);
    file.SetBool(kForm, "PeakHold", s.PeakHold);
    file.SetBool(kForm, "dbScale", s.dbScale);
    file.SetBool(kForm, "ABLR", s.ABLR);
    file.SetBool(kForm, "Msix", s.Msix);
    file.SetInteger(kForm, "AColor", s.Acolor);
    file.SetInteger(kForm, "BColor", s.Bcolor);
    file.SetInteger(kForm, "MColor", s.Mcolor);
    file.SetInteger(kForm, "SColor", s.Scolor);
    if (!s.Locked) {
        s.password.clear();
        file.SetString(kForm, "password", "");
    } else {
        file.SetString(kForm, "password",
                       s.password.empty() ? std::string() : ScramblePassword(s.password));
    }
    file.SetBool(kForm, "Locked", LockSetChecked());
    file.SetInteger(kForm, "left", WindowLeft());
    file.SetInteger(kForm, "top", WindowTop());
    SaveStandardModes(file, s);
    file.Save();
}

void SavePosition() {
    ProfileFile file = OpenSettingsFile(true);
    file.SetInteger(kForm, "left", WindowLeft());
    file.SetInteger(kForm, "top", WindowTop());
    file.SetBool(kForm, "showMS", MeterSettings.showMS);
    file.Save();
}

void ResetDevice() {
    // The file is read once the box is dismissed: what another copy of the meter saved while it
    // stood open stays.
    notifier().ShowMessage(
        "The configured Input Device is not available and will be reset to the default.",
        kErrorCaption);
    ProfileFile file = OpenSettingsFile(true);
    file.SetString(kInput, "Device Name", "");
    file.Save();
}

std::string ScramblePassword(const std::string& text) {
    std::string result(text);
    for (char& byte : result) byte = static_cast<char>(~static_cast<unsigned char>(byte));
    return result;
}

bool PasswordFitsFile(const std::string& password) {
    return ProfileValueSurvives(ScramblePassword(password));
}

}  // namespace kestrin
