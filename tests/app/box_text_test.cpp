#include "config/box_text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrin {
namespace {

// A box that fits when none of its lines is longer than `limit` characters.
BoxFits LinesUpTo(size_t limit) {
    return [limit](const std::string& text) {
        size_t characters = 0;
        for (const char c : text) {
            if (c == '\n' || c == '\r') {
                characters = 0;
            } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && ++characters > limit) {
                return false;
            }
        }
        return true;
    };
}

struct FitCase {
    const char* name;
    std::string text;
    size_t limit;
    std::string shown;
};

class BoxText : public testing::TestWithParam<FitCase> {};

TEST_P(BoxText, ShortensTheLongestLineInItsMiddle) {
    const FitCase& c = GetParam();
    EXPECT_EQ(FitBoxText(c.text, LinesUpTo(c.limit)), c.shown);
}

const std::string kNotFoundEnd = "\"  not found.\n\r\n\rThe default device will be used.";

std::string Repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoxText,
    testing::Values(
        FitCase{"AFittingTextStays", "Input device  \"USB Mic" + kNotFoundEnd, 40,
                "Input device  \"USB Mic" + kNotFoundEnd},
        // 64 characters on the first line: 37 kept, 19 of its start and 18 of its end.
        FitCase{"ADeviceName",
                "Input device  \"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789" + kNotFoundEnd, 40,
                "Input device  \"ABCD...56789" + kNotFoundEnd},
        FitCase{"APath", "Unable to write to /home/operator/meters/studio/kestrin.ini", 50,
                "Unable to write to /home...ters/studio/kestrin.ini"},
        // Two bytes to each character: whole characters are kept, counted as characters.
        FitCase{"WholeCharacters", Repeated("\xC3\xA9", 50), 10,
                Repeated("\xC3\xA9", 4) + "..." + Repeated("\xC3\xA9", 3)},
        // The longest line is the one shortened, wherever it stands.
        FitCase{"TheLongestLine", "Short.\n" + Repeated("ab", 20) + "\nAnd short.", 11,
                "Short.\nabab...abab\nAnd short."}),
    [](const testing::TestParamInfo<FitCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kestrin
