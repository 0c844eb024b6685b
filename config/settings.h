#pragma once

#include <cstdint>
#include <string>

#include "config/settings_error.h"

namespace kestrin {

// The bars' ballistics as the "ballistics" key numbers them: the design's (rise at once, fall by
// the decay field) or an IEC quasi-peak type.
constexpr int32_t kDesignBallistics = 0;
constexpr int32_t kIecTypeIBallistics = 1;
constexpr int32_t kIecTypeIIaBallistics = 2;
constexpr int32_t kIecTypeIIbBallistics = 3;

// The meter's settings in memory, one instance for the run. Fields carry their INI key names.
// Texts are bytes as they stand in the settings file; colours are 0x00BBGGRR.
struct TMeterSettings {
    std::string DeviceName;             // input device by name; empty means the default device
    std::string ShortName = "Kestrin";  // display name: the meter window's caption
    std::string cal = "-12";            // calibration text, dB below full scale at mark 4
    std::string decay = "2";            // decay text, pixels per buffer
    std::string password;               // lock password, plain in memory
    bool amber = false;                 // amber zone from mark 4 to mark 6
    bool OnTop = false;
    bool PeakHold = false;  // held peaks and over latch until a reset
    bool dbScale = true;
    bool Msix = true;  // M = (A+B) - 6 dB; false: - 3 dB
    bool Locked = false;
    bool ABLR = false;  // channel labels "A  B"; false: "L  R"
    bool showMS = true;
    int32_t Acolor = 0x00FF00;
    int32_t Bcolor = 0x00FF00;
    int32_t Mcolor = 0xFFFFFF;
    int32_t Scolor = 0x00FFFF;
    int32_t left = 200;  // window position as loaded, screen pixels
    int32_t top = 200;
    // The standard modes, all off by default. They reach the file only once they differ from
    // their defaults (or the file holds them already), so that a file of the design's stays so.
    int32_t ballistics = kDesignBallistics;  // one of the k...Ballistics below
    bool TPover = false;                     // the over indicator lights on true peaks
    std::string TPlevel = "-1";              // true-peak over level text, dBTP
    bool loudness = false;                   // the loudness column and its strip are shown
    std::string target = "-23";              // loudness target text, LUFS, shown at mark 4

    bool operator==(const TMeterSettings&) const = default;
};

extern TMeterSettings MeterSettings;

// What the store needs of the windows: the lock check box and the meter window's position. With
// no host set (before the windows exist) the check box counts as showing Locked and the window as
// standing at left/top.
class SettingsHost {
  public:
    virtual ~SettingsHost() = default;
    virtual bool LockSetChecked() const = 0;
    virtual int32_t WindowLeft() const = 0;
    virtual int32_t WindowTop() const = 0;
};
void SetSettingsHost(SettingsHost* host);

// The settings file: the executable's path with the extension of its file name replaced by
// ".ini" (or ".ini" appended). SetSettingsFilePath points the store elsewhere (tests); an empty
// path goes back to the one beside the executable.
std::string SettingsFilePathFor(const std::string& executablePath);
std::string SettingsFilePath();
void SetSettingsFilePath(const std::string& path);

// Where the settings are read and written. Beside the executable while its folder can be
// written; otherwise (a system-wide install) the same file name is kept per user under
// <configHome>/kestrin/, and until that file exists the one beside the executable, if any, is
// what is read.
struct SettingsFileLocation {
    std::string path;      // read and written
    std::string seedPath;  // read instead while path does not exist; empty when none
    bool perUser = false;  // path is the per-user copy, whose folder a write creates
};
SettingsFileLocation SettingsFile();
SettingsFileLocation LocateSettingsFile(const std::string& executablePath,
                                        const std::string& configHome, bool folderWritable);
// Locates the settings as if the program ran from this path (empty: the running program).
void SetExecutablePath(const std::string& path);
// $XDG_CONFIG_HOME, or ~/.config when it is unset or not absolute.
std::string UserConfigHome();
// Whether a file can be created in the folder (tried, so that it holds for root as well).
bool FolderIsWritable(const std::string& folder);

// Each reads the file once, works key by key in memory and, for the three that write, replaces
// the file once at the end, whole: a kill or a power cut leaves either the file before the
// operation or the file after it, never a part of it, and the meter waits for one flush to the
// disk instead of one per key. A failed write throws SettingsWriteError ("Unable to write to
// <path>"); the file is then byte for byte as before the operation, while the changes made in
// memory (SaveSettings' emptying of an unlocked password) stay.
// LoadSettings runs once, at start; a file too large to be read is reported then, in a box
// naming it, and its writes fail as too large (see ProfileFile::kMaxFileBytes).
void LoadSettings();
void ApplySettingFallbacks();  // empty cal becomes " 0", empty decay "2"
void SaveSettings();
void SavePosition();
// Shows its message, then (once it is dismissed) empties "Device Name" in the file; memory stays.
void ResetDevice();

// Complements every byte; applying it twice gives the text back.
std::string ScramblePassword(const std::string& text);
// Whether the scrambled password survives a round trip through the settings file: none of its
// bytes scrambles to NUL, CR or LF, and neither end to a blank that reading would trim. One that
// doesn't fit comes back different: cut at such a byte when written, trimmed when read.
bool PasswordFitsFile(const std::string& password);

}  // namespace kestrin
