// Random texts through both parsers, checked against small reference readers built from
// regular expressions and the C library, and random values through the caption formatter.
#include <gtest/gtest.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <regex>
#include <string>

#include "measure/ballistics.h"
#include "measure/level_text.h"
#include "measure/scale.h"

namespace kestrin {
namespace {

constexpr int kRounds = 40000;

std::string RandomText(std::mt19937& random, const std::string& alphabet, int maxLength) {
    std::uniform_int_distribution<int> length(0, maxLength);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::string text;
    const int n = length(random);
    for (int i = 0; i < n; ++i) {
        // Mostly characters the grammars know, now and then any byte at all.
        text += random() % 16 == 0 ? static_cast<char>(anyByte(random)) : alphabet[pick(random)];
    }
    return text;
}

// The calibration grammar as a regular expression; the value read by strtod in the test's own
// C locale after putting '.' in place of the separator.
std::optional<double> ReferenceCalibration(const std::string& text, char separator) {
    static const std::regex withPoint(" *[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]*)([eE][+-]?[0-9]+)? *");
    static const std::regex withComma(" *[+-]?([0-9]+,?[0-9]*|,[0-9]*)([eE][+-]?[0-9]+)? *");
    if (!std::regex_match(text, separator == ',' ? withComma : withPoint)) {
        return std::nullopt;
    }
    std::string normalised = text;
    for (char& c : normalised) {
        if (c == separator) {
            c = '.';
        }
    }
    const size_t dot = normalised.find('.');
    const bool bareDot =
        dot != std::string::npos &&
        (dot == 0 || !std::isdigit(static_cast<unsigned char>(normalised[dot - 1]))) &&
        (dot + 1 == normalised.size() ||
         !std::isdigit(static_cast<unsigned char>(normalised[dot + 1])));
    if (bareDot) {
        normalised.insert(dot, "0");  // strtod needs a digit beside the point
    }
    errno = 0;
    const double value = std::strtod(normalised.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value)) {
        return std::nullopt;
    }
    if (!std::isfinite(ComputeScaleDivisor(value))) {
        return std::nullopt;
    }
    return value;
}

std::optional<int32_t> ReferenceDecay(const std::string& text) {
    static const std::regex grammar(" *([+-]?)(?:([0-9]+)|(?:\\$|x|X|0x|0X)([0-9A-Fa-f]+))");
    std::smatch match;
    if (!std::regex_match(text, match, grammar)) {
        return std::nullopt;
    }
    const bool hex = match[3].matched;
    const std::string digits = hex ? match[3].str() : match[2].str();
    errno = 0;
    const unsigned long long magnitude = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (errno == ERANGE) {
        return std::nullopt;
    }
    const long long value = match[1].str() == "-" ? -static_cast<long long>(magnitude)
                                                  : static_cast<long long>(magnitude);
    if (magnitude > 0x80000000ULL || value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

TEST(RandomInput, CalibrationParserAgreesWithReference) {
    std::mt19937 random(12345);
    int accepted = 0;
    for (char separator : {'.', ','}) {
        for (int round = 0; round < kRounds; ++round) {
            const std::string text = RandomText(random, " +-.,eE0123456789\tx", 12);
            const std::optional<double> parsed = ParseCalibration(text, separator);
            ASSERT_EQ(parsed, ReferenceCalibration(text, separator))
                << '"' << text << "\" separator " << separator;
            if (parsed) {
                ++accepted;
                const double divisor = ComputeScaleDivisor(*parsed);
                ASSERT_TRUE(std::isfinite(divisor) && divisor >= 1.0) << text;
                const std::string caption = HeadroomText(*parsed, separator);
                ASSERT_GE(caption.size(), 4u);
                ASSERT_EQ(caption.substr(caption.size() - 3), " dB");
            }
        }
    }
    EXPECT_GT(accepted, kRounds / 50);  // the alphabet must reach the accepting paths too
}

TEST(RandomInput, DecayParserAgreesWithReference) {
    std::mt19937 random(54321);
    int accepted = 0;
    for (int round = 0; round < 2 * kRounds; ++round) {
        const std::string text = RandomText(random, " +-$xX0123456789abcdefABCDEF.\t", 14);
        const std::optional<int32_t> parsed = ParseDecay(text);
        ASSERT_EQ(parsed, ReferenceDecay(text)) << '"' << text << '"';
        accepted += parsed.has_value();
    }
    EXPECT_GT(accepted, kRounds / 50);
}

TEST(RandomInput, DecayValuesReadBackInEveryForm) {
    std::mt19937 random(99);
    std::uniform_int_distribution<int32_t> values(INT32_MIN, INT32_MAX);
    const char* const prefixes[] = {"$", "x", "X", "0x", "0X"};
    for (int round = 0; round < kRounds; ++round) {
        const int32_t value = values(random);
        const std::string blanks(random() % 3, ' ');
        const long long wide = value;
        const std::string sign = wide < 0 ? "-" : (random() % 2 ? "+" : "");
        const unsigned long long magnitude = static_cast<unsigned long long>(std::llabs(wide));
        char digits[32];
        std::snprintf(digits, sizeof digits, random() % 2 ? "%llX" : "%llx", magnitude);
        const std::string hex = blanks + sign + prefixes[random() % 5] + digits;
        ASSERT_EQ(ParseDecay(hex), value) << hex;
        const std::string decimal = blanks + sign + std::to_string(magnitude);
        ASSERT_EQ(ParseDecay(decimal), value) << decimal;
    }
}

TEST(RandomInput, CalibrationValuesReadBackExactly) {
    std::mt19937_64 random(2024);
    std::uniform_real_distribution<double> values(-6133.0, 6133.0);
    std::uniform_int_distribution<int> scale(-300, 300);
    for (int round = 0; round < kRounds; ++round) {
        double value = values(random);
        if (round % 2 == 1) {
            value = -std::ldexp(std::abs(value), scale(random));  // all magnitudes, below the cap
        }
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        std::string text(buffer, end);
        ASSERT_EQ(ParseCalibration(text), value) << text;
        for (char& c : text) {
            if (c == '.') {
                c = ',';
            }
        }
        ASSERT_EQ(ParseCalibration(text, ','), value) << text;
    }
}

// The caption holds the headroom to 15 significant digits, in plain notation exactly when its
// magnitude is from 0.00001 up to below 10^15.
TEST(RandomInput, HeadroomCaptionsHoldFifteenDigits) {
    std::mt19937_64 random(77);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> scale(-80, 80);
    for (int round = 0; round < kRounds; ++round) {
        // Every other calibration lies near -8 dB, where the headroom is tiny.
        const double offset = std::ldexp(mantissa(random), scale(random));
        const double calibration = round % 2 == 0 ? offset : -8.0 + offset;
        const std::string caption = HeadroomText(calibration);
        ASSERT_EQ(caption.substr(caption.size() - 3), " dB");
        const std::string number = caption.substr(0, caption.size() - 3);

        char expected[64];
        std::snprintf(expected, sizeof expected, "%.15g", -8.0 - calibration);
        const double rounded = std::strtod(expected, nullptr);
        ASSERT_EQ(std::strtod(number.c_str(), nullptr), rounded) << number;

        const bool plain =
            rounded == 0.0 || (std::abs(rounded) >= 0.00001 && std::abs(rounded) < 1e15);
        ASSERT_EQ(number.find('E') == std::string::npos, plain) << number;
        ASSERT_EQ(number.find('e'), std::string::npos) << number;
        ASSERT_EQ(number.find('+'), std::string::npos) << number;
        const std::string mantissaText = number.substr(0, number.find('E'));
        if (mantissaText.find('.') != std::string::npos) {
            ASSERT_NE(mantissaText.back(), '0') << number;
            ASSERT_NE(mantissaText.back(), '.') << number;
        }
        size_t significant = 0;
        bool leading = true;
        for (char c : mantissaText) {
            if (c >= '1' && c <= '9') {
                leading = false;
            }
            if (c >= '0' && c <= '9' && !leading) {
                ++significant;
            }
        }
        ASSERT_LE(significant, 15u) << number;
    }
}

}  // namespace
}  // namespace kestrin
