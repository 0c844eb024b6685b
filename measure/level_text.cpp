#include "measure/level_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>

#include "measure/scale.h"

namespace kestrin {

namespace {

constexpr double kMarkSixHeadroom = -8.0;  // dB: mark 6 stands 8 dB above the reference mark

// General number format for captions: 15 significant digits at most, plain decimal notation for
// magnitudes from 0.00001 up to below 10^15, otherwise a mantissa with "E" and the exponent.
constexpr int kSignificantDigits = 15;
constexpr int kPlainExponentMax = 14;
constexpr int kPlainExponentMin = -5;

constexpr int64_t kExponentCap = 1'000'000'000;  // far beyond any double; stops the count growing

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal exponent of the first significant digit of the mantissa digits before and after the
// separator, with the written exponent added; used only to tell an overflow from an underflow.
int64_t LeadingExponent(std::string_view intDigits, std::string_view fracDigits, int64_t exponent) {
    const size_t firstInt = intDigits.find_first_not_of('0');
    if (firstInt != std::string_view::npos) {
        return static_cast<int64_t>(intDigits.size() - firstInt) - 1 + exponent;
    }
    const size_t firstFrac = fracDigits.find_first_not_of('0');
    if (firstFrac != std::string_view::npos) return -static_cast<int64_t>(firstFrac) - 1 + exponent;
    return 0;
}

std::string FormatGeneral(double value, char decimalSeparator) {
    if (value == 0.0) return "0";  // also for -0.0: the caption never shows "-0"
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";

    // Rounded to 15 significant digits without any locale: "-d.dddddddddddddde+XX".
    char buffer[64];
    const auto converted = std::to_chars(buffer, buffer + sizeof buffer, value,
                                         std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view text(buffer, static_cast<size_t>(converted.ptr - buffer));
    const bool negative = text.front() == '-';
    const size_t ePos = text.find('e');
    std::string digits;
    for (char c : text.substr(0, ePos)) {
        if (IsDigit(c)) digits += c;
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string_view exponentText = text.substr(ePos + 1);
    if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    std::string out;
    if (negative) out += '-';
    if (exponent > kPlainExponentMax || exponent < kPlainExponentMin) {
        out += digits.front();
        if (digits.size() > 1) {
            out += decimalSeparator;
            out.append(digits, 1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent >= 0) {
        const size_t intCount = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= intCount) {
            out += digits;
            out.append(intCount - digits.size(), '0');
        } else {
            out.append(digits, 0, intCount);
            out += decimalSeparator;
            out.append(digits, intCount);
        }
    } else {
        out += '0';
        out += decimalSeparator;
        out.append(static_cast<size_t>(-exponent - 1), '0');
        out += digits;
    }
    return out;
}

struct NumberText {
    bool negative = false;
    std::string_view intDigits;   // before the separator; may be empty
    std::string_view fracDigits;  // after it; may be empty
    bool exponentNegative = false;
    std::string_view exponentDigits;  // empty when no exponent is written
};

// Our own scanner decides what is accepted: blanks, optional sign, digits with at most one
// separator, optional exponent, blanks. Gives nothing for any other text.
std::optional<NumberText> ScanNumber(std::string_view text, char decimalSeparator) {
    size_t i = 0;
    const size_t n = text.size();
    const auto skipSpaces = [&] {
        while (i < n && text[i] == ' ') ++i;
    };
    const auto takeDigits = [&] {
        const size_t start = i;
        while (i < n && IsDigit(text[i])) ++i;
        return text.substr(start, i - start);
    };

    NumberText number;
    skipSpaces();
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        number.negative = text[i] == '-';
        ++i;
    }
    number.intDigits = takeDigits();
    bool hasSeparator = false;
    if (i < n && text[i] == decimalSeparator) {
        hasSeparator = true;
        ++i;
        number.fracDigits = takeDigits();
    }
    if (number.intDigits.empty() && number.fracDigits.empty() && !hasSeparator) return std::nullopt;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            number.exponentNegative = text[i] == '-';
            ++i;
        }
        number.exponentDigits = takeDigits();
        if (number.exponentDigits.empty()) return std::nullopt;
    }
    skipSpaces();
    if (i != n) return std::nullopt;
    return number;
}

// The magnitude of a scanned number, converted from a normalised copy with '.' as separator so
// that the process locale never takes part. Nothing when it lies beyond the largest double; 0
// when it lies closer to zero than the smallest.
std::optional<double> Magnitude(const NumberText& number) {
    // A lone separator stands for zero, as does a missing integer or fractional part.
    std::string normalised;
    normalised.reserve(number.intDigits.size() + number.fracDigits.size() +
                       number.exponentDigits.size() + 5);
    normalised += number.intDigits.empty() ? std::string_view("0") : number.intDigits;
    normalised += '.';
    normalised += number.fracDigits.empty() ? std::string_view("0") : number.fracDigits;
    if (!number.exponentDigits.empty()) {
        normalised += 'e';
        if (number.exponentNegative) normalised += '-';
        normalised += number.exponentDigits;
    }

    double magnitude = 0.0;
    const char* const end = normalised.data() + normalised.size();
    const auto result = std::from_chars(normalised.data(), end, magnitude);
    if (result.ptr != end) return std::nullopt;
    if (result.ec == std::errc::result_out_of_range) {
        int64_t exponent = 0;
        for (char c : number.exponentDigits) {
            exponent = std::min(exponent * 10 + (c - '0'), kExponentCap);
        }
        if (number.exponentNegative) exponent = -exponent;
        if (LeadingExponent(number.intDigits, number.fracDigits, exponent) > 0) {
            return std::nullopt;  // beyond the largest double
        }
        return 0.0;  // closer to zero than the smallest double: it reads as 0
    }
    if (result.ec != std::errc()) return std::nullopt;
    return magnitude;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<double> ParseCalibration(std::string_view text, char decimalSeparator) {
    const std::optional<NumberText> number = ScanNumber(text, decimalSeparator);
    if (!number) return std::nullopt;
    const std::optional<double> magnitude = Magnitude(*number);
    if (!magnitude) return std::nullopt;
    const double calibration = number->negative ? -*magnitude : *magnitude;

    // Above about 6133 dB the divisor would exceed the largest double. Such a calibration is
    // refused like any other bad text, so the scale only ever divides by a finite divisor.
    if (!std::isfinite(ComputeScaleDivisor(calibration))) return std::nullopt;
    return calibration;
}

std::string HeadroomText(double calibration, char decimalSeparator) {
    return FormatGeneral(kMarkSixHeadroom - calibration, decimalSeparator) + " dB";
}

std::optional<int32_t> ParseDecay(std::string_view text) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == n) return std::nullopt;  // empty, a lone sign or a prefix without digits

    // The magnitude may reach 2^31 for a negative value; anything larger is refused at once, so
    // a long run of digits never overflows the sum.
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
    int64_t magnitude = 0;
    for (; i < n; ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0 || digit >= base) return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > kLimit) return std::nullopt;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

}  // namespace kestrin
