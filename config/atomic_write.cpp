#include "config/atomic_write.h"

#include <cstddef>

namespace kestrin {
namespace {

constexpr size_t kHexDigits = 8;
constexpr std::string_view kTemporaryEnding = ".tmp";

}  // namespace

bool IsTemporaryNameOf(std::string_view name, std::string_view fileName) {
    if (name.size() != fileName.size() + 1 + kHexDigits + kTemporaryEnding.size()) return false;
    if (!name.starts_with(fileName) || !name.ends_with(kTemporaryEnding)) return false;
    name.remove_prefix(fileName.size());
    if (name.front() != '.') return false;
    for (const char c : name.substr(1, kHexDigits)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

}  // namespace kestrin
