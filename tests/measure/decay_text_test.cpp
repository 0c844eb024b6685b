#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "measure/ballistics.h"
#include "measure/level_text.h"

namespace kestrin {
namespace {

TEST(ParseDecay, AcceptsDecimalIntegers) {
    const std::pair<std::string, int32_t> cases[] = {
        {"2", 2},
        {"0", 0},
        {"-3", -3},
        {"+7", 7},
        {"   12", 12},
        {"-0", 0},
        {"00000000000000000000042", 42},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(ParseDecay(text), value) << '"' << text << '"';
    }
}

TEST(ParseDecay, AcceptsHexadecimalAfterEachPrefix) {
    const std::pair<std::string, int32_t> cases[] = {
        {"$10", 16},
        {"x1F", 31},
        {"X1f", 31},
        {"0x7FFFFFFF", INT32_MAX},
        {"0X10", 16},
        {"$7fffffff", INT32_MAX},
        {"-$80000000", INT32_MIN},
        {"+$A", 10},
        {" -x2", -2},
        {"$0000000000000000FF", 255},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(ParseDecay(text), value) << '"' << text << '"';
    }
}

TEST(ParseDecay, RefusesAnythingElse) {
    const std::string refused[] = {
        "",    " ",   "2.5",   "abc",   "2 ",  " 2 ", "\t2", "2\t", "-",    "+",   "--2",
        "+-2", "- 2", "$",     "x",     "X",   "0x",  "0X",  "$-5", "0x-5", "1e3", "0xG",
        "12a", "a12", "0b101", "0x0x5", "$$5", "x$5", "$ 5", "٣",   "FF",   "0,5", "2_000",
    };
    for (const std::string& text : refused) {
        EXPECT_EQ(ParseDecay(text), std::nullopt) << '"' << text << '"';
    }
    EXPECT_EQ(ParseDecay(std::string("2\0", 2)), std::nullopt);
}

TEST(ParseDecay, RefusesValuesBeyondThirtyTwoBits) {
    const std::string refused[] = {
        "2147483648",   "-2147483649",
        "$80000000",    "0xFFFFFFFF",
        "$FFFFFFFF",    "-$80000001",
        "4294967296",   "99999999999999999999999",
        "-0x100000000", "$FFFFFFFFFFFFFFFFFFFFFFFF",
    };
    for (const std::string& text : refused) {
        EXPECT_EQ(ParseDecay(text), std::nullopt) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace kestrin
