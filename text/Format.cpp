#include "text/Format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace tarnvale {
namespace {

// Rounding decisions are made on the exact binary value. A short expansion
// decides almost every case; only when the digits after the rounding position
// read 4999... or 5000... (a possible carry from further digits, or a tie) is
// the value expanded in full (no double needs more than 767 digits).
constexpr int kShortDigits = 40;
constexpr int kExactDigits = 800;
constexpr int kMaxPrecision = 18;

/// A non-negative finite value as decimal digits d1 d2 d3 ... with the value
/// equal to 0.d1d2d3... x 10^point.
struct Decimal {
  std::string digits;  // no leading zeros; empty for zero
  int point = 0;
};

Decimal expand(double magnitude, int count) {
  Decimal d;
  if (magnitude == 0.0) return d;
  static thread_local char buf[kExactDigits + 32];
  std::snprintf(buf, sizeof buf, "%.*e", count - 1, magnitude);
  // "d.ddddde+XX"
  const char* p = buf;
  d.digits.reserve(kExactDigits);
  d.digits.push_back(*p++);
  if (*p == '.') ++p;
  while (*p >= '0' && *p <= '9') d.digits.push_back(*p++);
  int exponent = 0;
  if (*p == 'e' || *p == 'E') exponent = std::atoi(p + 1);
  d.point = exponent + 1;
  return d;
}

/// Replaces the short expansion @p d of @p magnitude by the full one when the
/// short digits cannot decide the rounding to @p keep digits.
void refine(Decimal& d, double magnitude, int keep) {
  if (keep < 0 || keep >= kShortDigits - 1 || d.digits.empty()) return;
  const char first = d.digits[keep];
  if (first != '4' && first != '5') return;
  const char rest = first == '4' ? '9' : '0';
  for (size_t i = keep + 1; i < d.digits.size(); ++i)
    if (d.digits[i] != rest) return;
  d = expand(magnitude, kExactDigits);
}

Decimal digitsFor(double magnitude, int keep) {
  Decimal d = expand(magnitude, kShortDigits);
  refine(d, magnitude, keep);
  return d;
}

/// Rounds half away from zero so that @p keep digits remain (keep may be <= 0).
void roundTo(Decimal& d, int keep) {
  if (d.digits.empty()) return;
  if (keep < 0) {
    d.digits.clear();
    return;
  }
  if (static_cast<size_t>(keep) >= d.digits.size()) return;
  const bool up = d.digits[keep] >= '5';
  d.digits.resize(keep);
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9') {
      d.digits[i] = '0';
      --i;
    }
    if (i >= 0) {
      ++d.digits[i];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.point;
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

std::string nonFinite(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

/// Scientific form of already rounded digits: d[.ddd]E[-]x.
std::string scientific(bool negative, const Decimal& d) {
  std::string s;
  if (negative) s.push_back('-');
  s.push_back(d.digits[0]);
  if (d.digits.size() > 1) {
    s.push_back('.');
    s.append(d.digits, 1, std::string::npos);
  }
  s.push_back('E');
  s += std::to_string(d.point - 1);
  return s;
}

int clampPrecision(int precision) { return std::clamp(precision, 1, kMaxPrecision); }

}  // namespace

std::string FormatFixed(double value, int precision, int decimals) {
  if (!std::isfinite(value)) return nonFinite(value);
  precision = clampPrecision(precision);
  decimals = std::clamp(decimals, 0, kMaxPrecision);
  const double magnitude = std::fabs(value);
  Decimal d = expand(magnitude, kShortDigits);
  const int keep = std::min(precision, d.point + decimals);
  refine(d, magnitude, keep);
  roundTo(d, keep);
  const bool zero = d.digits.empty();
  const bool negative = value < 0 && !zero;
  if (!zero && d.point > precision) return scientific(negative, d);

  auto digitAt = [&](int i) -> char {
    return (i >= 0 && static_cast<size_t>(i) < d.digits.size()) ? d.digits[i] : '0';
  };
  std::string s;
  if (negative) s.push_back('-');
  if (zero || d.point <= 0) {
    s.push_back('0');
  } else {
    for (int i = 0; i < d.point; ++i) s.push_back(digitAt(i));
  }
  if (decimals > 0) {
    s.push_back('.');
    for (int k = 0; k < decimals; ++k) s.push_back(zero ? '0' : digitAt(d.point + k));
  }
  return s;
}

std::string FormatGeneral(double value, int precision) {
  if (!std::isfinite(value)) return nonFinite(value);
  precision = clampPrecision(precision);
  Decimal d = digitsFor(std::fabs(value), precision);
  roundTo(d, precision);
  if (d.digits.empty()) return "0";
  const bool negative = value < 0;
  // 0.d x 10^point below 0.00001 means point < -4.
  if (d.point > precision || d.point < -4) return scientific(negative, d);

  std::string s;
  if (negative) s.push_back('-');
  const int n = static_cast<int>(d.digits.size());
  if (d.point <= 0) {
    s += "0.";
    s.append(static_cast<size_t>(-d.point), '0');
    s += d.digits;
  } else {
    for (int i = 0; i < d.point; ++i) s.push_back(i < n ? d.digits[i] : '0');
    if (n > d.point) {
      s.push_back('.');
      s.append(d.digits, d.point, std::string::npos);
    }
  }
  return s;
}

std::string FormatExponent(double value, int significant, int exponentDigits) {
  if (!std::isfinite(value)) return nonFinite(value);
  significant = clampPrecision(significant);
  exponentDigits = std::clamp(exponentDigits, 0, 4);
  Decimal d = digitsFor(std::fabs(value), significant);
  roundTo(d, significant);
  const bool zero = d.digits.empty();
  std::string s;
  if (value < 0 && !zero) s.push_back('-');
  s.push_back(zero ? '0' : d.digits[0]);
  if (significant > 1) {
    s.push_back('.');
    for (int i = 1; i < significant; ++i)
      s.push_back(static_cast<size_t>(i) < d.digits.size() ? d.digits[i] : '0');
  }
  const int exponent = zero ? 0 : d.point - 1;
  s.push_back('E');
  s.push_back(exponent < 0 ? '-' : '+');
  std::string e = std::to_string(std::abs(exponent));
  if (static_cast<int>(e.size()) < exponentDigits) e.insert(0, exponentDigits - e.size(), '0');
  s += e;
  return s;
}

}  // namespace tarnvale
