#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/settings_error.h"

namespace kestrin {

// One settings (INI) file, read and written key by key with the rules of the desktop's private
// profile functions. The file is bytes: nothing is transcoded, so a value may hold any byte but
// NUL, CR and LF.
//
// Reading: a line "[name]" opens a section (a line starting with "[" but without "]" does not);
// a line holding "=" is a key, its name before the first "=" and its value after it. Names and
// values lose their blanks (space, tab, CR, VT, FF) at both ends, and a value ends at a NUL byte;
// a value then standing in a matching pair of double or single quotes loses them.
// Section and key names compare without regard to ASCII letter case; the first section of a name
// and the first key of a name in it win. Lines ending in CR LF and LF are read alike. Lines before
// the first section and lines that are neither sections nor keys are kept but never match.
//
// Writing: an existing key's line becomes "name=value" in place (the name keeps the spelling the
// file has, the line its ending); a new key goes right after the last key of its section (after
// the section line when it has none); a new section goes at the end of the file. Every other
// byte of the file stays as it was. New lines end the way the file's first line ends; a file that
// has no line ending yet gets CR LF. A value is cut at its first CR, LF or NUL so that it can't
// break the file's lines.
//
// The Set functions change the bytes in memory only, so that an operation on many keys reaches the
// disk once, whole, with Save(); the file replaces the old one atomically (see atomic_write.h).
class ProfileFile {
  public:
    // Reads the file. A missing file reads as an empty one. A file that can't be read (no
    // permission, not a regular file, larger than kMaxFileBytes) also reads as empty, but every
    // write to it fails, so nothing already in it is lost. A UTF-8 byte-order mark that an editor
    // put at the start is no part of the first line, and stays where it is.
    explicit ProfileFile(std::string path);

    // The largest file read and written, far above any real settings file (under a kilobyte):
    // the bound only keeps a damaged or hostile file from filling the memory.
    static constexpr size_t kMaxFileBytes = 64 * 1024 * 1024;

    const std::string& path() const { return m_path; }
    // The path as the operator's messages name it: absolute.
    std::string fullPath() const;
    const std::string& bytes() const { return m_bytes; }
    // Whether the file is there but larger than kMaxFileBytes, and so read as empty.
    bool tooLarge() const { return m_tooLarge; }
    // Takes another file's contents as what the first write builds on: for a per-user copy that
    // doesn't exist yet, of a file that can't be written where it stands.
    void StartFrom(const ProfileFile& original) { m_bytes = original.m_bytes; }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // A value in decimal, or in hexadecimal after "$" or after "0x"/"0X" (up to eight digits,
    // taken as a 32-bit pattern: $FFFFFFFF is -1); anything else, a value that needs more than
    // 32 bits included, gives the default.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
    // An integer as above, true when not 0.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    // Whether the section holds the key, whatever its value.
    bool HasKey(std::string_view section, std::string_view key) const;

    // Changes made in memory only; nothing reaches the disk until Save().
    void SetString(std::string_view section, std::string_view key, std::string_view value);
    void SetInteger(std::string_view section, std::string_view key, int32_t value);
    void SetBool(std::string_view section, std::string_view key, bool value);
    // Replaces the file by the bytes in memory. Throws SettingsWriteError when the file can't be
    // replaced (or could not be read), or when it would become larger than kMaxFileBytes, which
    // no later read would take; the file on disk is then as it was, and this object keeps its
    // changes.
    void Save() const;

  private:
    std::string m_path;
    std::string m_bytes;
    bool m_writable = true;   // false when an existing file could not be read
    bool m_tooLarge = false;  // the file could not be read for its size
};

// The reading rules for integers and colours on a value already trimmed.
std::optional<int32_t> ParseProfileInteger(std::string_view text);

// Whether a value reads back exactly as it was written: no CR, LF or NUL in it, no blank at
// either end and no matching quotes around it.
bool ProfileValueSurvives(std::string_view value);

}  // namespace kestrin
