#include "measure/scale.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>

namespace kestrin {

namespace {

constexpr double kReferenceDivisor = 10.0;  // sample units per table step at calibration -12 dB
constexpr double kMinScaleDivisor = 1.0;
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
    if (firstFrac != std::string_view::npos) {
        return -static_cast<int64_t>(firstFrac) - 1 + exponent;
    }
    return 0;
}

std::string FormatGeneral(double value, char decimalSeparator) {
    if (value == 0.0) {
        return "0";  // also for -0.0: the caption never shows "-0"
    }
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }

    // Rounded to 15 significant digits without any locale: "-d.dddddddddddddde+XX".
    char buffer[64];
    const auto converted = std::to_chars(buffer, buffer + sizeof buffer, value,
                                         std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view text(buffer, static_cast<size_t>(converted.ptr - buffer));
    const bool negative = text.front() == '-';
    const size_t ePos = text.find('e');
    std::string digits;
    for (char c : text.substr(0, ePos)) {
        if (IsDigit(c)) {
            digits += c;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    std::string_view exponentText = text.substr(ePos + 1);
    if (!exponentText.empty() && exponentText.front() == '+') {
        exponentText.remove_prefix(1);
    }
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    std::string out;
    if (negative) {
        out += '-';
    }
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

}  // namespace

std::optional<double> ParseCalibration(std::string_view text, char decimalSeparator) {
    // Our own scanner decides what is accepted; the conversion itself runs on a normalised copy
    // with '.' as separator, so the process locale never takes part.
    size_t i = 0;
    const size_t n = text.size();
    const auto skipSpaces = [&] {
        while (i < n && text[i] == ' ') {
            ++i;
        }
    };
    const auto takeDigits = [&] {
        const size_t start = i;
        while (i < n && IsDigit(text[i])) {
            ++i;
        }
        return text.substr(start, i - start);
    };

    skipSpaces();
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::string_view intDigits = takeDigits();
    bool hasSeparator = false;
    std::string_view fracDigits;
    if (i < n && text[i] == decimalSeparator) {
        hasSeparator = true;
        ++i;
        fracDigits = takeDigits();
    }
    if (intDigits.empty() && fracDigits.empty() && !hasSeparator) {
        return std::nullopt;
    }

    bool exponentNegative = false;
    std::string_view exponentDigits;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            exponentNegative = text[i] == '-';
            ++i;
        }
        exponentDigits = takeDigits();
        if (exponentDigits.empty()) {
            return std::nullopt;
        }
    }
    skipSpaces();
    if (i != n) {
        return std::nullopt;
    }

    // A lone separator stands for zero, as does a missing integer or fractional part.
    std::string normalised;
    normalised.reserve(intDigits.size() + fracDigits.size() + exponentDigits.size() + 5);
    normalised += intDigits.empty() ? std::string_view("0") : intDigits;
    normalised += '.';
    normalised += fracDigits.empty() ? std::string_view("0") : fracDigits;
    if (!exponentDigits.empty()) {
        normalised += 'e';
        if (exponentNegative) {
            normalised += '-';
        }
        normalised += exponentDigits;
    }

    double magnitude = 0.0;
    const char* const end = normalised.data() + normalised.size();
    const auto result = std::from_chars(normalised.data(), end, magnitude);
    if (result.ptr != end) {
        return std::nullopt;
    }
    if (result.ec == std::errc::result_out_of_range) {
        int64_t exponent = 0;
        for (char c : exponentDigits) {
            exponent = std::min(exponent * 10 + (c - '0'), kExponentCap);
        }
        if (exponentNegative) {
            exponent = -exponent;
        }
        if (LeadingExponent(intDigits, fracDigits, exponent) > 0) {
            return std::nullopt;  // beyond the largest double
        }
        magnitude = 0.0;  // closer to zero than the smallest double: it reads as 0
    } else if (result.ec != std::errc()) {
        return std::nullopt;
    }
    const double calibration = negative ? -magnitude : magnitude;

    // Above about 6133 dB the divisor would exceed the largest double. Such a calibration is
    // refused like any other bad text, so the scale only ever divides by a finite divisor.
    if (!std::isfinite(ComputeScaleDivisor(calibration))) {
        return std::nullopt;
    }
    return calibration;
}

std::string HeadroomText(double calibration, char decimalSeparator) {
    return FormatGeneral(kMarkSixHeadroom - calibration, decimalSeparator) + " dB";
}

double ComputeScaleDivisor(double calibration) {
    const double divisor = kReferenceDivisor * std::pow(10.0, (calibration + 12.0) / 20.0);
    // Below -32 dB the divisor would drop under one sample unit per step; it stays at 1.0 there.
    // The negated test also maps a NaN to the floor.
    if (!(divisor >= kMinScaleDivisor)) {
        return kMinScaleDivisor;
    }
    return divisor;
}

int32_t PeakToHeight(const TLevelTable& table, int32_t peak, double scaleDivisor, bool timesTen) {
    // nearbyint rounds half to even in the default rounding mode, which the program never changes.
    double index = std::nearbyint(static_cast<double>(peak) / scaleDivisor);
    if (timesTen) {
        index *= 10.0;  // after the rounding: S+20 moves in steps of ten
    }
    if (!(index > 0.0)) {
        return table[0];
    }
    if (index >= kMaxLevelIndex) {
        return table[kMaxLevelIndex];
    }
    return table[static_cast<size_t>(index)];
}

void FillLevelTable(TLevelTable& table, int first, int last, int firstHeight, int lastHeight) {
    if (last < first || first < 0 || last > kMaxLevelIndex) {
        return;
    }
    if (last == first) {
        table[static_cast<size_t>(first)] = firstHeight;  // one entry; no step to divide out
        return;
    }
    // Heights are accumulated by repeated addition; the rounding error of the sum decides a few
    // entries near ties, so a + (i - first) * step would give a different table.
    const double step = (static_cast<double>(lastHeight) - static_cast<double>(firstHeight)) /
                        static_cast<double>(last - first);
    const double low = std::min(firstHeight, lastHeight);
    const double high = std::max(firstHeight, lastHeight);
    double x = firstHeight;
    for (int i = first; i <= last; ++i) {
        table[static_cast<size_t>(i)] =
            static_cast<int32_t>(std::nearbyint(std::clamp(x, low, high)));
        x += step;
    }
}

void BuildLevelTable(TLevelTable& table) {
    // Each segment ends on the height of a scale mark (255 * k / 7 rounded) at the index whose
    // level is the mark's dB figure relative to mark 4 at index 819.
    FillLevelTable(table, 0, 205, 0, 36);
    FillLevelTable(table, 205, 333, 36, 73);
    FillLevelTable(table, 333, 512, 73, 109);
    FillLevelTable(table, 512, 819, 109, 146);
    FillLevelTable(table, 819, 1293, 146, 182);
    FillLevelTable(table, 1293, 2061, 182, 219);
    FillLevelTable(table, 2061, 3277, 219, 255);
}

}  // namespace kestrin
