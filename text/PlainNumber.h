#pragma once
// Plain decimal numbers as typed in a file or an argument: nothing else is a number.
#include <optional>
#include <string>

namespace tarnvale {

/// The finite number that @p text writes in plain decimal notation: an
/// optional sign, digits with an optional decimal point, an optional
/// exponent ("51.5", "-1.5", "+0.25", "2e-3"). Nothing else, not even spaces,
/// "nan" or "inf", is a number.
std::optional<double> ParsePlainNumber(const std::string& text);

}  // namespace tarnvale
