#include "config/box_text.h"

#include <string_view>
#include <vector>

namespace kestrin {
namespace {

constexpr std::string_view kLeftOut = "...";

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// A byte that continues a UTF-8 character rather than starting one.
bool Continues(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Where each character of `line` starts, and its end as the last entry.
std::vector<size_t> CharacterStarts(std::string_view line) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < line.size(); ++i) {
        if (!Continues(line[i])) starts.push_back(i);
    }
    starts.push_back(line.size());
    return starts;
}

// The longest line of the text (in characters), as its first byte and its length in bytes.
std::string_view LongestLine(std::string_view text) {
    std::string_view longest = text.substr(0, 0);
    size_t longestCharacters = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = start;
        while (end < text.size() && !IsLineEnd(text[end])) ++end;
        const std::string_view line = text.substr(start, end - start);
        const size_t characters = CharacterStarts(line).size() - 1;
        if (characters > longestCharacters) {
            longest = line;
            longestCharacters = characters;
        }
        start = end + 1;
    }
    return longest;
}

}  // namespace

std::string FitBoxText(const std::string& text, const BoxFits& fits) {
    if (fits(text)) return text;
    const std::string_view line = LongestLine(text);
    const size_t lineStart = static_cast<size_t>(line.data() - text.data());
    const std::string_view before = std::string_view(text).substr(0, lineStart);
    const std::string_view after = std::string_view(text).substr(lineStart + line.size());
    const std::vector<size_t> starts = CharacterStarts(line);
    const size_t characters = starts.size() - 1;

    // The line keeping `kept` of its characters, the odd one at the start.
    auto shortened = [&](size_t kept) {
        const size_t head = starts[(kept + 1) / 2];
        const size_t tail = starts[characters - kept / 2];
        std::string result;
        result.reserve(before.size() + head + kLeftOut.size() + line.size() - tail + after.size());
        result.append(before).append(line.substr(0, head)).append(kLeftOut);
        result.append(line.substr(tail)).append(after);
        return result;
    };
    // The box grows with the characters kept: the most that fit lie below the first that don't.
    size_t fitting = 0;
    size_t tooMany = characters;
    while (tooMany - fitting > 1) {
        const size_t middle = fitting + (tooMany - fitting) / 2;
        if (fits(shortened(middle))) {
            fitting = middle;
        } else {
            tooMany = middle;
        }
    }
    return shortened(fitting);
}

}  // namespace kestrin
