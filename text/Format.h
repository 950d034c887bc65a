#pragma once
// Number-to-text rules shared by every label, field, table and the command line.
#include <string>

namespace tarnvale {

/// Fixed notation with exactly @p decimals digits after the point. The value is
/// first rounded (half away from zero, on its exact binary value) to at most
/// @p precision significant digits and at most @p decimals decimals; digit
/// positions beyond the significant ones are written as zeros. When the rounded
/// integer part has more digits than @p precision the general scientific form
/// of FormatGeneral is used instead. No thousands separators; a leading minus
/// only when the rounded value is not zero.
/// Example: FormatFixed(123.456, 4, 2) == "123.50".
std::string FormatFixed(double value, int precision, int decimals);

/// The shorter of plain and scientific notation with at most @p precision
/// significant digits, trailing zeros removed and the point only when needed.
/// Scientific ("1.5E-7", "1.23E12") only below 0.00001 in magnitude or when
/// the integer part has more digits than @p precision.
std::string FormatGeneral(double value, int precision);

/// The form "-d.dddE+dd": @p significant digits in the mantissa, the exponent
/// always signed and written with at least @p exponentDigits digits.
std::string FormatExponent(double value, int significant, int exponentDigits);

}  // namespace tarnvale
