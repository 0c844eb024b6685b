// Arbitrary texts through the calibration parser, with either decimal separator. What parses
// must give a finite scale divisor of at least one sample unit, read the same with the other
// separator swapped in, and give a headroom caption that holds -8 dB less the calibration to 15
// significant digits.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "measure/level_text.h"
#include "measure/scale.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// The headroom rounded to 15 significant digits by the C library (the fuzzer runs in the C
// locale).
double RoundedHeadroom(double calibration) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", -8.0 - calibration);
    return std::strtod(text, nullptr);
}

void CheckParsed(const std::string& text, char separator) {
    const std::optional<double> calibration = kestrin::ParseCalibration(text, separator);
    if (!calibration) return;
    FUZZ_CHECK(std::isfinite(*calibration));
    const double divisor = kestrin::ComputeScaleDivisor(*calibration);
    FUZZ_CHECK(std::isfinite(divisor) && divisor >= 1.0);

    const std::string caption = kestrin::HeadroomText(*calibration, separator);
    FUZZ_CHECK(caption.size() > 3 && caption.ends_with(" dB"));
    std::string number = caption.substr(0, caption.size() - 3);
    FUZZ_CHECK(number.find_first_not_of("-0123456789E" + std::string(1, separator)) ==
               std::string::npos);
    for (char& c : number) {
        if (c == separator) c = '.';
    }
    FUZZ_CHECK(std::strtod(number.c_str(), nullptr) == RoundedHeadroom(*calibration));
}

// The text with the two separators exchanged.
std::string Swapped(std::string text) {
    for (char& c : text) {
        if (c == '.') {
            c = ',';
        } else if (c == ',') {
            c = '.';
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckParsed(text, '.');
    CheckParsed(text, ',');
    const std::optional<double> withPoint = kestrin::ParseCalibration(text, '.');
    FUZZ_CHECK(withPoint == kestrin::ParseCalibration(Swapped(text), ','));
    return 0;
}
