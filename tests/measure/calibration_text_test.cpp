#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "measure/level_text.h"
#include "measure/scale.h"

namespace kestrin {
namespace {

struct Accepted {
    std::string text;
    double value;
};

void ExpectAccepted(const std::vector<Accepted>& cases, char separator) {
    for (const Accepted& c : cases) {
        const std::optional<double> parsed = ParseCalibration(c.text, separator);
        ASSERT_TRUE(parsed.has_value()) << '"' << c.text << '"';
        EXPECT_EQ(*parsed, c.value) << '"' << c.text << '"';
    }
}

void ExpectRefused(const std::vector<std::string>& texts, char separator) {
    for (const std::string& text : texts) {
        EXPECT_EQ(ParseCalibration(text, separator), std::nullopt) << '"' << text << '"';
    }
}

TEST(ParseCalibration, AcceptsSignedDecimalsWithSpaces) {
    ExpectAccepted({{"-12", -12.0},
                    {" 0", 0.0},
                    {"0", 0.0},
                    {"+5", 5.0},
                    {"  -14.5  ", -14.5},
                    {"-20 ", -20.0},
                    {"007", 7.0},
                    {".5", 0.5},
                    {"-.25", -0.25},
                    {"5.", 5.0},
                    {"0.000", 0.0}},
                   '.');
}

TEST(ParseCalibration, ALoneSeparatorReadsAsZero) {
    ExpectAccepted({{".", 0.0}, {"-.", 0.0}, {" +. ", 0.0}, {".e5", 0.0}}, '.');
}

TEST(ParseCalibration, AcceptsExponents) {
    ExpectAccepted({{"1e1", 10.0},
                    {"1E+1", 10.0},
                    {"2.5e-1", 0.25},
                    {"-1.5E2", -150.0},
                    {"1.e2", 100.0},
                    {"-12e0 ", -12.0},
                    {"1e0000000000000000000000001", 10.0},
                    {"0e99999999999999999999", 0.0}},
                   '.');
}

TEST(ParseCalibration, UsesTheGivenDecimalSeparator) {
    ExpectAccepted({{"-14,5", -14.5}, {",5", 0.5}, {"1,5e1", 15.0}, {"-20", -20.0}}, ',');
    ExpectRefused({"-14.5", "1.5", ".", "1,5,", "1.5e1"}, ',');
    ExpectRefused({"-14,5", ","}, '.');
}

TEST(ParseCalibration, RefusesMalformedTexts) {
    ExpectRefused(
        {"",     " ",   "   ", "+",    "-",   "e5",   "E",    "1e",    "1e+",   "1e-",  "1.2.3",
         "1..2", "--1", "+-1", "1 2",  "- 1", "1 e5", "1e 5", "1e5.5", "1e5e5", "\t1",  "1\t",
         "1\n",  "1x",  "abc", "0x10", "inf", "nan",  "-inf", "1,5",   "٣",     "1e+-5"},
        '.');
    ExpectRefused({std::string("1\0", 2), std::string("\0", 1)}, '.');
}

TEST(ParseCalibration, RefusesValuesBeyondTheRangeOfADouble) {
    ExpectRefused({"1e309", "-1e309", "1e400", "-1e99999999999999999999",
                   "1000000000000000000000000000000000000000000000000000e300"},
                  '.');
}

TEST(ParseCalibration, ValuesBelowTheSmallestDoubleReadAsZero) {
    ExpectAccepted({{"1e-400", 0.0}, {"-1e-99999999999999999999", 0.0}, {"0.0000001e-320", 0.0}},
                   '.');
}

TEST(ParseCalibration, RefusesCalibrationsWhoseDivisorWouldNotBeFinite) {
    const std::optional<double> highest = ParseCalibration("6133");
    ASSERT_TRUE(highest.has_value());
    EXPECT_TRUE(std::isfinite(ComputeScaleDivisor(*highest)));
    ExpectRefused({"6134", "10000", "1e300", "1.7976931348623157e308"}, '.');
    ExpectAccepted({{"-1.7976931348623157e308", -1.7976931348623157e308}}, '.');
    EXPECT_EQ(ComputeScaleDivisor(*ParseCalibration("-1e308")), 1.0);
}

TEST(HeadroomText, GivesMarkSixDistanceToFullScale) {
    EXPECT_EQ(HeadroomText(-12.0), "4 dB");
    EXPECT_EQ(HeadroomText(-14.5), "6.5 dB");
    EXPECT_EQ(HeadroomText(-20.0), "12 dB");
    EXPECT_EQ(HeadroomText(0.0), "-8 dB");
    EXPECT_EQ(HeadroomText(-40.0), "32 dB");
    EXPECT_EQ(HeadroomText(-1008.0), "1000 dB");
    EXPECT_EQ(HeadroomText(-7.75), "-0.25 dB");
}

TEST(HeadroomText, ZeroHasNoSign) {
    EXPECT_EQ(HeadroomText(-8.0), "0 dB");
    EXPECT_EQ(HeadroomText(-8.0, ','), "0 dB");
}

TEST(HeadroomText, UsesTheGivenDecimalSeparator) {
    EXPECT_EQ(HeadroomText(-14.5, ','), "6,5 dB");
    EXPECT_EQ(HeadroomText(-8.0 - 0x1.8p-18, ','), "5,7220458984375E-6 dB");
}

TEST(HeadroomText, RoundsToFifteenSignificantDigits) {
    EXPECT_EQ(HeadroomText(-8.0 - 1.0 / 3.0), "0.333333333333334 dB");
    EXPECT_EQ(HeadroomText(-8.0 - 123456789012345.0), "123456789012345 dB");
}

TEST(HeadroomText, ExponentFormOutsidePlainRange) {
    EXPECT_EQ(HeadroomText(-1000000000000008.0), "1E15 dB");
    EXPECT_EQ(HeadroomText(-1000000000000007.0), "999999999999999 dB");
    EXPECT_EQ(HeadroomText(-1234567890123464.0), "1.23456789012346E15 dB");
    EXPECT_EQ(HeadroomText(-2e20), "2E20 dB");
    EXPECT_EQ(HeadroomText(2e20), "-2E20 dB");
    EXPECT_EQ(HeadroomText(-8.0 - 0x1p-17), "7.62939453125E-6 dB");
    EXPECT_EQ(HeadroomText(-8.0 - 0x1p-16), "0.0000152587890625 dB");
    EXPECT_EQ(HeadroomText(-1.7976931348623157e308), "1.79769313486232E308 dB");
}

}  // namespace
}  // namespace kestrin
