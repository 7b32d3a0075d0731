#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qemra::sim {

// Number texts on the serial line always use "." whatever the process locale says, so these
// helpers go through std::to_chars / std::from_chars and never through printf.

// Fixed-point text with the given number of decimals; "-0.00" comes out as "0.00".
std::string FixedText(double value, int decimals);

// The shortest text that reads back as the same single-precision number ("0.5", "8462").
std::string ShortText(float value);

// A decimal number with optional sign, fraction and exponent, nothing else around it.
std::optional<double> ParseNumber(std::string_view text);

}  // namespace qemra::sim
