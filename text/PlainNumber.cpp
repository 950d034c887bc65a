#include "text/PlainNumber.h"

#include <charconv>
#include <cmath>

namespace tarnvale {

std::optional<double> ParsePlainNumber(const std::string& text) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  const char* p = begin;
  if (p != end && (*p == '+' || *p == '-')) ++p;
  // Only digits or a point may follow the sign: no second sign, and no words
  // such as "nan" or "inf".
  if (p == end || !((*p >= '0' && *p <= '9') || *p == '.')) return std::nullopt;
  // from_chars reads a '-' but not a '+'.
  const char* start = *begin == '+' ? begin + 1 : begin;
  double value = 0.0;
  const auto [stop, error] = std::from_chars(start, end, value, std::chars_format::general);
  if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace tarnvale
