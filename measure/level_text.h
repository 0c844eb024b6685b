#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrin {

// The texts the operator types for the calibration and the decay, and the headroom caption
// shown for a calibration: what each accepts and how it reads. A text refused here is shown in
// red and the meter uses its fallback (calibration 0.0 dB, kFallbackDecay).

// Parses the calibration text (dB relative to full scale that reads mark 4): blanks, optional
// sign, digits with at most one decimal separator, optional exponent, blanks. Anything else, an
// empty text or a value beyond the range of a double gives nothing. Blanks are spaces only. A
// calibration above about 6133 dB, whose scale divisor would exceed the range of a double, is
// refused too, so the divisor is always finite. A value closer to zero than the smallest double
// reads as 0. Independent of the process locale.
std::optional<double> ParseCalibration(std::string_view text, char decimalSeparator = '.');

// The headroom caption for a calibration: -8 - calibration in general format, then " dB".
std::string HeadroomText(double calibration, char decimalSeparator = '.');

// Parses a decay text as a 32-bit signed integer: leading blanks, optional sign, decimal digits
// or hexadecimal after "$", "x", "X", "0x" or "0X"; nothing may follow the digits. Only spaces
// count as blanks (a tab is refused, as in the calibration text). The signed value must lie in
// -2147483648..2147483647 for hexadecimal too: "$7FFFFFFF" and "-$80000000" are accepted,
// "$FFFFFFFF" is refused rather than read as -1.
std::optional<int32_t> ParseDecay(std::string_view text);

}  // namespace kestrin
