#include "config/profile_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "config/atomic_write.h"
#include "config/file_system.h"

namespace kestrin {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kLineBreaking{"\r\n\0", 3};
constexpr size_t kReadChunkBytes = 64 * 1024;
// Editors that save UTF-8 may put this mark before the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr const char* kTooLarge = "the file is too large.";

struct Line {
    size_t begin;    // first byte of the line
    size_t textEnd;  // end of its text, where CR LF or LF begins
    size_t next;     // first byte of the following line; the file's size after the last
};

Line LineAt(std::string_view bytes, size_t begin) {
    const size_t lf = bytes.find('\n', begin);
    if (lf == std::string_view::npos) return {begin, bytes.size(), bytes.size()};
    const size_t textEnd = (lf > begin && bytes[lf - 1] == '\r') ? lf - 1 : lf;
    return {begin, textEnd, lf + 1};
}

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool InMatchingQuotes(std::string_view text) {
    return text.size() >= 2 && text.front() == text.back() &&
           (text.front() == '"' || text.front() == '\'');
}

// The platform's reader gives a value that stands in a matching pair of double or single quotes
// without them: cal="-20" reads -20.
std::string_view Unquoted(std::string_view value) {
    return InMatchingQuotes(value) ? value.substr(1, value.size() - 2) : value;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

struct ParsedLine {
    enum Kind { Other, Section, Key } kind = Other;
    std::string_view name;
    std::string_view value;
};

ParsedLine Parse(std::string_view text) {
    const std::string_view trimmed = Trim(text);
    if (!trimmed.empty() && trimmed.front() == '[') {
        const size_t close = trimmed.find(']');
        if (close != std::string_view::npos) {
            return {ParsedLine::Section, Trim(trimmed.substr(1, close - 1)), {}};
        }
    }
    const size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) return {};
    std::string_view value = trimmed.substr(equals + 1);
    value = Unquoted(Trim(value.substr(0, value.find('\0'))));
    return {ParsedLine::Key, Trim(trimmed.substr(0, equals)), value};
}

// Where a key stands in the file, or where it would go.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    Line keyLine{};
    std::string_view keyName;  // as spelled in the file
    std::string_view value;
    Line lastLine{};  // the section's line, or its last key line: a new key goes after it
};

// Where the first line begins: after a byte-order mark, which belongs to no line.
size_t FirstLineStart(std::string_view bytes) {
    return bytes.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

Location Locate(std::string_view bytes, std::string_view section, std::string_view key) {
    Location where;
    bool inSection = false;
    for (size_t pos = FirstLineStart(bytes); pos < bytes.size();) {
        const Line line = LineAt(bytes, pos);
        pos = line.next;
        const ParsedLine parsed = Parse(bytes.substr(line.begin, line.textEnd - line.begin));
        if (parsed.kind == ParsedLine::Section) {
            if (inSection) break;
            if (SameName(parsed.name, section)) {
                where.sectionFound = inSection = true;
                where.lastLine = line;
            }
        } else if (parsed.kind == ParsedLine::Key && inSection) {
            if (SameName(parsed.name, key)) {
                where.keyFound = true;
                where.keyLine = line;
                where.keyName = parsed.name;
                where.value = parsed.value;
                break;
            }
            where.lastLine = line;
        }
    }
    return where;
}

// The ending the file's lines already use; CR LF for a file that has none yet.
std::string_view LineEnding(std::string_view bytes) {
    const size_t lf = bytes.find('\n');
    if (lf == std::string_view::npos || (lf > 0 && bytes[lf - 1] == '\r')) return "\r\n";
    return "\n";
}

std::optional<int32_t> ParseHex(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    uint64_t value = 0;
    for (const char c : digits) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    // Eight hex digits are a 32-bit pattern: $FFFFFFFF is -1.
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

std::optional<int32_t> ParseDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

// Sets one key in the file's bytes: in place when it exists, else after the last key of its
// section, else in a new section at the end. The bytes are changed where they stand, so that a
// large file is not copied whole for every key.
void SetValue(std::string& bytes, std::string_view section, std::string_view key,
              std::string_view value) {
    value = value.substr(0, value.find_first_of(kLineBreaking));
    const std::string_view ending = LineEnding(bytes);
    const Location where = Locate(bytes, section, key);

    // Made whole before the bytes change: the names and the value may stand in them.
    std::string text;
    if (where.keyFound) {
        text.append(where.keyName).append("=").append(value);
        bytes.replace(where.keyLine.begin, where.keyLine.textEnd - where.keyLine.begin, text);
    } else if (where.sectionFound) {
        const Line& after = where.lastLine;
        if (after.next == after.textEnd) text.append(ending);
        text.append(key).append("=").append(value).append(ending);
        bytes.insert(after.next, text);
    } else {
        if (bytes.size() > FirstLineStart(bytes) && bytes.back() != '\n') text.append(ending);
        text.append("[").append(section).append("]").append(ending);
        text.append(key).append("=").append(value).append(ending);
        bytes.append(text);
    }
}

std::string FullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.string();
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : m_path(std::move(path)) {
    const int fd = OpenForReading(m_path);
    if (fd < 0) {
        m_writable = errno == ENOENT || errno == ENOTDIR;
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        m_writable = false;
        return;
    }
    // Room for the whole file at once, instead of a string grown chunk by chunk; what is read
    // still decides, should the file change meanwhile.
    m_bytes.reserve(std::min(static_cast<size_t>(std::max<off_t>(info.st_size, 0)), kMaxFileBytes));
    char chunk[kReadChunkBytes];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            m_writable = got == 0;
            break;
        }
        if (m_bytes.size() + static_cast<size_t>(got) > kMaxFileBytes) {
            m_writable = false;
            m_tooLarge = true;
            break;
        }
        m_bytes.append(chunk, static_cast<size_t>(got));
    }
    ::close(fd);
    if (!m_writable) std::string().swap(m_bytes);
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const Location where = Locate(m_bytes, section, key);
    return std::string(where.keyFound ? where.value : defaultValue);
}

int32_t ProfileFile::ReadInteger(std::string_view section, std::string_view key,
                                 int32_t defaultValue) const {
    const Location where = Locate(m_bytes, section, key);
    if (!where.keyFound) return defaultValue;
    return ParseProfileInteger(where.value).value_or(defaultValue);
}

bool ProfileFile::ReadBool(std::string_view section, std::string_view key,
                           bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool ProfileFile::HasKey(std::string_view section, std::string_view key) const {
    return Locate(m_bytes, section, key).keyFound;
}

void ProfileFile::SetString(std::string_view section, std::string_view key,
                            std::string_view value) {
    SetValue(m_bytes, section, key, value);
}

void ProfileFile::SetInteger(std::string_view section, std::string_view key, int32_t value) {
    SetString(section, key, std::to_string(value));
}

void ProfileFile::SetBool(std::string_view section, std::string_view key, bool value) {
    SetString(section, key, value ? "1" : "0");
}

std::string ProfileFile::fullPath() const { return FullPath(m_path); }

void ProfileFile::Save() const {
    if (m_tooLarge || m_bytes.size() > kMaxFileBytes) {
        throw SettingsWriteError(FullPath(m_path), kTooLarge);
    }
    if (!m_writable || !ReplaceFileAtomically(m_path, m_bytes)) {
        throw SettingsWriteError(FullPath(m_path));
    }
}

std::optional<int32_t> ParseProfileInteger(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return ParseHex(text.substr(2));
    }
    if (!text.empty() && text.front() == '$') return ParseHex(text.substr(1));
    return ParseDecimal(text);
}

bool ProfileValueSurvives(std::string_view value) {
    if (value.find_first_of(kLineBreaking) != std::string_view::npos) return false;
    if (value.empty()) return true;
    return !InMatchingQuotes(value) && kBlanks.find(value.front()) == std::string_view::npos &&
           kBlanks.find(value.back()) == std::string_view::npos;
}

}  // namespace kestrin
