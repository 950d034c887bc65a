#include "climate/ClimateGrid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#if defined(__GLIBC__)
#include <clocale>
#include <locale.h>
#endif

namespace tarnvale {
namespace {

using climate::kFullCircleDeg;
using climate::kHalfCircleDeg;
using climate::kMissingData;

/// Bytes read from a map file at a time.
constexpr std::size_t kReadChunk = 1 << 20;

/// Map files always use a '.' decimal point, whatever locale the desktop
/// program runs in.
double ToDouble(const char* text, char** end) {
#if defined(__GLIBC__)
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
  if (cLocale) return strtod_l(text, end, cLocale);
#endif
  return std::strtod(text, end);
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

/// An optional '-', digits with at most one '.', and at least one digit;
/// optionally 'e' or 'E', an optional sign and digits.
bool PlainDecimal(const char* begin, const char* end) {
  const char* c = begin;
  if (c < end && *c == '-') ++c;
  int digits = 0, points = 0;
  for (; c < end && (IsDigit(*c) || *c == '.'); ++c) (*c == '.' ? points : digits)++;
  if (digits == 0 || points > 1) return false;
  if (c == end) return true;
  if (*c != 'e' && *c != 'E') return false;
  ++c;
  if (c < end && (*c == '+' || *c == '-')) ++c;
  if (c == end) return false;
  for (; c < end; ++c)
    if (!IsDigit(*c)) return false;
  return true;
}

/// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
/// Largest integer below which every integer is a double.
constexpr std::uint64_t kExactIntegerLimit = std::uint64_t{1} << 53;
/// Digits an unsigned 64-bit integer always holds.
constexpr int kSafeDigits = 19;

/// Converts the map files' usual number, an optional '-', digits and at most
/// one '.', read from @p c up to the first other character (returned in
/// @p stop), when its digits make an integer below 2^53 and it has at most 22
/// decimals. Both that integer and the power of ten are then exact doubles,
/// so one correctly rounded division gives the double nearest the decimal:
/// the very value strtod gives. False, with @p value untouched, otherwise;
/// the caller still checks that the number is the whole token.
bool ShortDecimal(const char* c, const char* limit, double& value, const char*& stop) {
  const bool negative = c < limit && *c == '-';
  if (negative) ++c;
  std::uint64_t digits = 0;
  int count = 0, decimals = 0;
  bool point = false;
  for (; c < limit; ++c) {
    if (IsDigit(*c)) {
      if (count == kSafeDigits) return false;
      digits = digits * 10 + static_cast<unsigned>(*c - '0');
      ++count;
      decimals += point ? 1 : 0;
    } else if (*c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  const int maxDecimals = static_cast<int>(std::size(kExactPowersOfTen)) - 1;
  if (count == 0 || digits >= kExactIntegerLimit || decimals > maxDecimals) return false;
  const double magnitude = static_cast<double>(digits) / kExactPowersOfTen[decimals];
  value = negative ? -magnitude : magnitude;
  stop = c;
  return true;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

/// Successive "%lf" conversions over a file, taken a chunk at a time so that a
/// map is parsed without first holding the whole text. The numbers accepted are
/// those of strtod in the C locale, with glibc scanf's treatment of malformed
/// tails: a dangling exponent marker ("1e", "1.5e+") is swallowed after the
/// number, while "0x" without digits and an unfinished "infinity" are refused.
class NumberReader {
 public:
  explicit NumberReader(std::FILE* file) : file_(file) {}

  /// The next number; false at end of file or when the next token does not
  /// start with a number.
  bool next(double& value) {
    std::size_t end = pos_;
    for (;;) {
      while (pos_ < buffer_.size() && IsSpace(buffer_[pos_])) ++pos_;
      if (pos_ == buffer_.size()) {
        if (!refill()) return false;
        continue;
      }
      // The usual token in one pass: a short decimal that white space (or
      // the end of the file) ends.
      const char* limit = buffer_.c_str() + buffer_.size();
      const char* stop = nullptr;
      double number = 0.0;
      if (ShortDecimal(buffer_.c_str() + pos_, limit, number, stop) &&
          (stop < limit ? IsSpace(*stop) : eof_)) {
        pos_ = static_cast<std::size_t>(stop - buffer_.c_str());
        value = number;
        return true;
      }
      // A token running into the end of the buffer may continue in the file.
      end = pos_;
      while (end < buffer_.size() && !IsSpace(buffer_[end])) ++end;
      if (end == buffer_.size() && !eof_) {
        refill();
        continue;
      }
      break;
    }
    const char* start = buffer_.c_str() + pos_;
    // Any other plain decimal number that is all number is converted
    // without the C library: from_chars rounds to the nearest double exactly
    // as strtod does, several times faster.
    if (PlainDecimal(start, buffer_.c_str() + end)) {
      double number = 0.0;
      const auto [ptr, ec] = std::from_chars(start, buffer_.c_str() + end, number);
      if (ec == std::errc() && ptr == buffer_.c_str() + end) {
        pos_ = end;
        value = number;
        return true;
      }
    }
    char* stop = nullptr;
    const double number = ToDouble(start, &stop);
    if (stop == start) return false;

    const char* body = start + ((*start == '+' || *start == '-') ? 1 : 0);
    const bool hex = body[0] == '0' && Lower(body[1]) == 'x';
    if (hex && stop == body + 1) return false;
    if (Lower(body[0]) == 'i' && Lower(*stop) == 'i') return false;
    if (hex || IsDigit(body[0]) || body[0] == '.') {
      const char marker = hex ? 'p' : 'e';
      const bool hasExponent = std::any_of(body, static_cast<const char*>(stop),
                                           [marker](char c) { return Lower(c) == marker; });
      if (!hasExponent && Lower(*stop) == marker) {
        ++stop;
        if (*stop == '+' || *stop == '-') ++stop;
      }
    }
    pos_ = static_cast<std::size_t>(stop - buffer_.c_str());
    value = number;
    return true;
  }

 private:
  /// Drops what has been consumed and appends the next chunk; false when
  /// nothing more could be read.
  bool refill() {
    if (eof_) return false;
    buffer_.erase(0, pos_);
    pos_ = 0;
    const std::size_t kept = buffer_.size();
    buffer_.resize(kept + kReadChunk);
    const std::size_t got = std::fread(buffer_.data() + kept, 1, kReadChunk, file_);
    buffer_.resize(kept + got);
    if (got < kReadChunk) eof_ = true;  // end of file, or a read error: no more input either way
    return got > 0;
  }

  std::FILE* file_;
  std::string buffer_;
  std::size_t pos_ = 0;
  bool eof_ = false;
};

}  // namespace

ClimateGrid::ClimateGrid(std::string_view name, double percentage_, const climate::GridLattice& lattice)
    : percentage(percentage_),
      latitudeOrigin(lattice.latitudeOrigin),
      latitudeStep(lattice.latitudeStep),
      rows(lattice.rows),
      longitudeOrigin(lattice.longitudeOrigin),
      longitudeStep(lattice.longitudeStep),
      columns(lattice.columns) {
  const std::size_t n = std::min(name.size(), fileName.size() - 1);
  std::memcpy(fileName.data(), name.data(), n);
  fileName[n] = '\0';
}

std::string_view ClimateGrid::name() const { return std::string_view(fileName.data()); }

bool ClimateGrid::isLoaded() const {
  return rows > 0 && columns > 0 && data.size() == static_cast<std::size_t>(rows) * columns;
}

double ClimateGrid::rowLatitude(int row) const { return latitudeOrigin + (rows - 1 - row) * latitudeStep; }

double ClimateGrid::columnLongitude(int column) const { return longitudeOrigin + column * longitudeStep; }

bool ClimateGrid::load(const std::filesystem::path& directory) {
  if (rows <= 0 || columns <= 0) return false;
  try {
    const std::filesystem::path path = directory.empty() ? std::filesystem::path(name()) : directory / name();
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    std::vector<double> values(static_cast<std::size_t>(rows) * columns);
    NumberReader reader(file.get());
    for (double& v : values)
      if (!reader.next(v)) return false;
    data = std::move(values);
    return true;
  } catch (...) {
    // Out of memory or an unusable path: the map simply stays unloaded.
    return false;
  }
}

bool ClimateGrid::valueAt(double latitude, double longitude, bool interpolate, double& value) const {
  if (!isLoaded() || !(latitudeStep > 0.0) || !(longitudeStep > 0.0)) return false;
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return false;
  return interpolate ? interpolatedValue(latitude, longitude, value) : nearestValue(latitude, longitude, value);
}

int ClimateGrid::storedColumn(long k) const {
  if (k >= 0 && k < columns) return static_cast<int>(k);
  // On a map that goes round the whole circle, the column past the last one
  // is column 0 again (180W is 180E; 360E is 0E).
  const double perCircle = kFullCircleDeg / longitudeStep;
  const long wrap = std::lround(perCircle);
  if (std::fabs(perCircle - static_cast<double>(wrap)) < 1e-9 && wrap > 0 && wrap <= columns && k >= wrap &&
      k - wrap < columns)
    return static_cast<int>(k - wrap);
  return -1;
}

bool ClimateGrid::nearestValue(double latitude, double longitude, double& value) const {
  // Halfway between two rows the southern one wins, between two columns the eastern one.
  const double row = std::trunc(rows - ((latitude - latitudeOrigin) + latitudeStep / 2.0) / latitudeStep);
  if (!(row >= 0.0 && row < rows)) return false;
  if (longitudeOrigin >= 0.0 && longitude < 0.0) longitude += kFullCircleDeg;
  const double k = std::trunc((longitude - longitudeOrigin + longitudeStep / 2.0) / longitudeStep);
  if (!(k >= 0.0 && k <= columns)) return false;
  const int column = storedColumn(static_cast<long>(k));
  if (column < 0) return false;
  value = at(static_cast<int>(row), column);
  return true;
}

bool ClimateGrid::interpolatedValue(double latitude, double longitude, double& value) const {
  if (rows < 2) return false;
  // North of the top row (grid B stops at 83N) the row of latN comes out
  // negative and the top two rows serve; south of 90S there is no row below.
  const double latS = std::floor(latitude / latitudeStep) * latitudeStep;
  const double latN = (std::floor(latitude / latitudeStep) + 1.0) * latitudeStep;
  double rowN = std::trunc(rows - ((latN - latitudeOrigin) + latitudeStep / 2.0) / latitudeStep);
  if (rowN < 0.0) rowN = 0.0;
  if (!(rowN + 1.0 < rows)) return false;
  const int row = static_cast<int>(rowN);

  double lonW = std::floor(longitude / longitudeStep) * longitudeStep;
  double lonE = lonW + longitudeStep;
  if (lonW < longitudeOrigin) lonW += kFullCircleDeg;
  if (lonE > longitudeOrigin + kFullCircleDeg) lonE -= kFullCircleDeg;
  const double k = std::trunc((lonW - longitudeOrigin + longitudeStep / 2.0) / longitudeStep);
  if (!(k >= 0.0 && k <= columns)) return false;
  const int west = storedColumn(static_cast<long>(k));
  const int east = storedColumn(static_cast<long>(k) + 1);
  if (west < 0 || east < 0) return false;

  double dW = std::fabs(longitude - lonW);
  double dE = std::fabs(longitude - lonE);
  if (dW > kHalfCircleDeg) dW = kFullCircleDeg - dW;
  if (dE > kHalfCircleDeg) dE = kFullCircleDeg - dE;
  const double dN = latitude - latN;
  const double dS = latitude - latS;

  // Each node weighs by a linear cone of radius diag around it, in plain
  // degrees of latitude and longitude.
  const double diag = std::sqrt(latitudeStep * latitudeStep + longitudeStep * longitudeStep);
  const double distance[4] = {std::sqrt(dN * dN + dW * dW), std::sqrt(dN * dN + dE * dE),
                              std::sqrt(dS * dS + dW * dW), std::sqrt(dS * dS + dE * dE)};
  const double node[4] = {at(row, west), at(row, east), at(row + 1, west), at(row + 1, east)};
  double sumWeight = 0.0;
  double sumWeighted = 0.0;
  for (int i = 0; i < 4; ++i) {
    const double weight = diag - distance[i];
    if (weight >= 0.0 && weight <= diag && node[i] > kMissingData) {
      sumWeight += weight;
      sumWeighted += weight * node[i];
    }
  }
  // Only the far corner of a cell may hold data while carrying no weight: that
  // is no data at the point.
  if (!(sumWeight > 0.0)) return false;
  value = sumWeighted / sumWeight;
  return true;
}

}  // namespace tarnvale
