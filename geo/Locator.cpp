#include "geo/Locator.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "geo/GeoConstants.h"
#include "text/Format.h"

namespace tarnvale {
namespace {

constexpr int kLocatorMaxLength = 12;

std::string upperAscii(const std::string& s) {
  std::string u = s;
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

bool inRange(double latitude, double longitude) {
  return latitude >= -geo::kMaxLatitude && latitude <= geo::kMaxLatitude &&
         longitude >= -geo::kMaxLongitude && longitude <= geo::kMaxLongitude;
}

/// Reads "deg min sec" from one half of a DMS text. Fields the read did not
/// yield count as 0; returns how many fields were read (0 when none).
int readDmsPart(const std::string& part, int& degrees, int& minutes, float& seconds) {
  degrees = 0;
  minutes = 0;
  seconds = 0.0f;
  const int n = std::sscanf(part.c_str(), "%d %d %f", &degrees, &minutes, &seconds);
  if (n < 3) seconds = 0.0f;
  if (n < 2) minutes = 0;
  if (n < 1) degrees = 0;
  return n < 0 ? 0 : n;
}

/// Truncation toward zero that stays defined for values no int can hold
/// (an invalid location may carry any number).
int truncIndex(double x) {
  if (!(x > -1e9 && x < 1e9)) return 0;
  return static_cast<int>(x);
}

}  // namespace

int DisplayPrecision(int format) {
  return (format == kFormatLocator || format == kFormatGridReference) ? 8 : 3;
}

const CLocator::Constants& CLocator::initialiseConstants() {
  static const Constants constants = [] {
    Constants c{};
    // The cell sizes are built as a chain (x 0.1, then alternately / 24 and
    // x 0.1) so that every location rounds the same way.
    c.locatorLonSize[0] = 20.0;
    c.locatorLatSize[0] = 10.0;
    for (int level = 1; level < 7; ++level) {
      if (level % 2 == 1) {
        c.locatorLonSize[level] = c.locatorLonSize[level - 1] * 0.1;
        c.locatorLatSize[level] = c.locatorLatSize[level - 1] * 0.1;
      } else {
        c.locatorLonSize[level] = c.locatorLonSize[level - 1] / 24.0;
        c.locatorLatSize[level] = c.locatorLatSize[level - 1] / 24.0;
      }
    }
    return c;
  }();
  return constants;
}

CLocator::CLocator() { initialiseConstants(); }

CLocator::CLocator(double latitude, double longitude)
    : latitude_(latitude), longitude_(longitude), valid_(inRange(latitude, longitude)) {
  initialiseConstants();
}

CLocator::CLocator(const std::string& text, int format) : text_(text), format_(format) {
  initialiseConstants();
  switch (format) {
    case kFormatLocator: valid_ = parseLocator(); break;
    case kFormatGridReference: valid_ = parseGridReference(); break;
    case kFormatDegrees: valid_ = parseDegrees(); break;
    case kFormatDms: valid_ = parseDms(); break;
    default: valid_ = false; break;
  }
}

bool CLocator::setLatLon(double latitude, double longitude) {
  text_.clear();
  latitude_ = latitude;
  longitude_ = longitude;
  format_ = -1;
  valid_ = inRange(latitude, longitude);
  return valid_;
}

std::string CLocator::toText(int format) { return toText(format, 0); }

std::string CLocator::toText(int format, int precision) {
  switch (format) {
    case kFormatLocator: return formatLocator(precision);
    case kFormatGridReference: return formatGridReference(precision);
    case kFormatDegrees: return formatDegrees(precision);
    case kFormatDms: return formatDms();
    default: return "Invalid";
  }
}

double CLocator::easting() const {
  double e = 0.0, n = 0.0;
  return gridEastingNorthing(e, n) ? e : 0.0;
}

double CLocator::northing() const {
  double e = 0.0, n = 0.0;
  return gridEastingNorthing(e, n) ? n : 0.0;
}

bool CLocator::gridEastingNorthing(double& easting, double& northing) const {
  std::string letters;
  int e = 0, n = 0;
  if (!toGrid(latitude_, longitude_, letters, e, n)) return false;
  double offsetE = 0.0, offsetN = 0.0;
  letterOffsets(letters, offsetE, offsetN);
  easting = e + offsetE;
  northing = n + offsetN;
  return true;
}

std::string CLocator::degreesText() const { return formatDegrees(7); }

std::string CLocator::locatorText() { return formatLocator(8); }

std::string CLocator::gridReferenceText() const { return formatGridReference(6); }

// ---- Maidenhead locator ----

bool CLocator::parseLocator() {
  text_ = upperAscii(text_);
  const size_t length = text_.size();
  if (length < 2 || length > kLocatorMaxLength || length % 2 != 0) return false;
  // A short locator stands for the middle-ish point given by '5'/'L' padding.
  if (text_.size() == 2) text_ += "55";
  if (text_.size() == 4) text_ += "LL";
  if (text_.size() == 6) text_ += "55";
  if (text_.size() == 8) text_ += "LL";
  if (text_.size() == 10) text_ += "55";

  for (int i = 0; i < kLocatorMaxLength; ++i) {
    const char c = text_[i];
    const int pair = i / 2;  // 0..5
    char low, high;
    if (pair == 0) {
      low = 'A';
      high = 'R';
    } else if (pair % 2 == 1) {
      low = '0';
      high = '9';
    } else {
      low = 'A';
      high = 'X';
    }
    if (c < low || c > high) return false;
  }

  const Constants& k = initialiseConstants();
  const std::string& t = text_;
  longitude_ = (t[0] - 'A') * k.locatorLonSize[0] - 180.0 + (t[2] - '0') * k.locatorLonSize[1] +
               (t[4] - 'A') * k.locatorLonSize[2] + (t[6] - '0') * k.locatorLonSize[3] +
               (t[8] - 'A') * k.locatorLonSize[4] + (t[10] - '0') * k.locatorLonSize[5] +
               0.5 * k.locatorLonSize[6];
  latitude_ = (t[1] - 'A') * k.locatorLatSize[0] - 90.0 + (t[3] - '0') * k.locatorLatSize[1] +
              (t[5] - 'A') * k.locatorLatSize[2] + (t[7] - '0') * k.locatorLatSize[3] +
              (t[9] - 'A') * k.locatorLatSize[4] + (t[11] - '0') * k.locatorLatSize[5] +
              0.5 * k.locatorLatSize[6];
  return true;
}

std::string CLocator::formatLocator(int precision) {
  if (precision == 0) precision = 8;
  if (precision < 2 || precision > kLocatorMaxLength || precision % 2 != 0) {
    text_ = "Invalid Length";
    return text_;
  }
  const Constants& k = initialiseConstants();
  std::string result = "AA00AA00AA00";
  double lat = latitude_ + 90.0;
  double lon = longitude_ + 180.0;
  for (int level = 0; level < 6; ++level) {
    const int lonIndex = truncIndex(lon / k.locatorLonSize[level]);
    result[2 * level] = static_cast<char>(result[2 * level] + lonIndex);
    lon -= lonIndex * k.locatorLonSize[level];
    const int latIndex = truncIndex(lat / k.locatorLatSize[level]);
    result[2 * level + 1] = static_cast<char>(result[2 * level + 1] + latIndex);
    lat -= latIndex * k.locatorLatSize[level];
  }
  text_ = result.substr(0, static_cast<size_t>(precision));
  return text_;
}

// ---- National Grid reference ----

bool CLocator::parseGridReference() {
  text_ = upperAscii(text_);
  const size_t length = text_.size();
  if (length < 4 || length > 12 || length % 2 != 0) return false;
  static const std::string firstLetters = "STNHOJ";
  static const std::string secondLetters = "ABCDEFGHJKLMNOPQRSTUVWXYZ";
  if (firstLetters.find(text_[0]) == std::string::npos) return false;
  if (secondLetters.find(text_[1]) == std::string::npos) return false;
  for (size_t i = 2; i < length; ++i)
    if (text_[i] < '0' || text_[i] > '9') return false;

  const int half = static_cast<int>(length - 2) / 2;
  int eastDigits = 0, northDigits = 0;
  for (int i = 0; i < half; ++i) {
    eastDigits = eastDigits * 10 + (text_[2 + i] - '0');
    northDigits = northDigits * 10 + (text_[2 + half + i] - '0');
  }
  int scale = 1;
  for (int i = half; i < 5; ++i) scale *= 10;
  // The reference names the south-west corner of its cell: no half-cell offset.
  fromGrid(static_cast<double>(northDigits) * scale, static_cast<double>(eastDigits) * scale,
           text_.substr(0, 2), latitude_, longitude_);
  return true;
}

std::string CLocator::formatGridReference(int precision) const {
  if (precision == 0) precision = 8;
  if (precision < 2 || precision > 10 || precision % 2 != 0) return "Invalid";
  std::string letters;
  int e = 0, n = 0;
  if (!toGrid(latitude_, longitude_, letters, e, n)) return "Invalid";
  char east[16], north[16];
  std::snprintf(east, sizeof east, "%05d", e);
  std::snprintf(north, sizeof north, "%05d", n);
  const size_t keep = static_cast<size_t>(precision / 2);
  return letters + std::string(east).substr(0, keep) + std::string(north).substr(0, keep);
}

// ---- Decimal degrees ----

bool CLocator::parseDegrees() {
  text_ = upperAscii(text_);
  // "number letter number letter", white space optional between the items.
  // Numbers are read as strtod reads them, so "0.1E" is the number 0.1 and
  // the letter E. A text rejected after its numbers were read keeps them.
  const char* p = text_.c_str();
  auto readNumber = [&p](double& target) {
    char* end = nullptr;
    const double v = std::strtod(p, &end);
    if (end == p) return false;
    target = v;
    p = end;
    return true;
  };
  auto readLetter = [&p](char& target) {
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    if (*p == '\0') return false;
    target = *p++;
    return true;
  };
  char latLetter = 0, lonLetter = 0;
  if (!readNumber(latitude_) || !readLetter(latLetter) || !readNumber(longitude_) || !readLetter(lonLetter))
    return false;
  if (latLetter != 'N' && latLetter != 'S') return false;
  if (lonLetter != 'E' && lonLetter != 'W') return false;
  if (!(latitude_ >= 0.0 && latitude_ <= geo::kMaxLatitude)) return false;
  if (!(longitude_ >= 0.0 && longitude_ <= geo::kMaxLongitude)) return false;
  if (latLetter == 'S') latitude_ = -latitude_;
  if (lonLetter == 'W') longitude_ = -longitude_;
  return true;
}

std::string CLocator::formatDegrees(int precision) const {
  if (precision == 0) precision = 7;
  std::string s = FormatFixed(std::fabs(latitude_), 7, precision);
  s += latitude_ < 0 ? " S   " : " N   ";
  s += FormatFixed(std::fabs(longitude_), 8, precision);
  s += longitude_ < 0 ? " W" : " E";
  return s;
}

// ---- Degrees, minutes, seconds ----

bool CLocator::parseDms() {
  text_ = upperAscii(text_);
  size_t latPos = text_.find('N');
  bool north = true;
  if (latPos == std::string::npos) {
    latPos = text_.find('S');
    north = false;
  }
  if (latPos == std::string::npos) return false;
  bool east = true;
  size_t lonPos = text_.find('E');
  if (lonPos == std::string::npos) {
    lonPos = text_.find('W');
    east = false;
  }
  if (lonPos == std::string::npos) return false;

  int latD = 0, latM = 0, lonD = 0, lonM = 0;
  float latS = 0.0f, lonS = 0.0f;
  const int latFields = readDmsPart(text_.substr(0, latPos), latD, latM, latS);
  const int lonFields = readDmsPart(text_.substr(latPos + 1), lonD, lonM, lonS);
  // A half without even its degrees is not a coordinate ("ABC N DEF E").
  if (latFields == 0 || lonFields == 0) return false;

  double lat = latD + latM / 60.0 + static_cast<double>(latS) / 3600.0;
  double lon = lonD + lonM / 60.0 + static_cast<double>(lonS) / 3600.0;
  if (!north) lat = -lat;
  if (!east) lon = -lon;
  // Out-of-range results ("95 N 0 E") would give meaningless paths later.
  if (!inRange(lat, lon)) return false;
  latitude_ = lat;
  longitude_ = lon;
  return true;
}

std::string CLocator::formatDms() const {
  auto split = [](double value, double& d, double& m, double& s) {
    d = std::floor(value);
    m = std::floor((value - d) * 60.0);
    s = (value - d - m / 60.0) * 3600.0;
  };
  double latD, latM, latS, lonD, lonM, lonS;
  split(std::fabs(latitude_), latD, latM, latS);
  split(std::fabs(longitude_), lonD, lonM, lonS);
  std::string s = FormatFixed(latD, 2, 0) + " " + FormatFixed(latM, 2, 0) + " " +
                  FormatFixed(latS, 3, 1);
  s += latitude_ < 0 ? " S   " : " N   ";
  s += FormatFixed(lonD, 3, 0) + " " + FormatFixed(lonM, 2, 0) + " " + FormatFixed(lonS, 3, 1);
  s += longitude_ < 0 ? " W" : " E";
  return s;
}

// ---- Range and bearing on the WGS84 semi-major sphere ----

bool CLocator::destination(double rangeKm, double bearingDeg, double& latitude,
                           double& longitude) const {
  if (!valid_) {
    latitude = 0.0;
    longitude = 0.0;
    return false;
  }
  const double delta = rangeKm * 1000.0 / geo::kWgs84SemiMajorM;
  const double phi1 = latitude_ * geo::kDegToRad;
  const double lambda1 = longitude_ * geo::kDegToRad;
  const double theta = bearingDeg * geo::kDegToRad;
  const double phi2 =
      std::asin(std::cos(theta) * std::sin(delta) * std::cos(phi1) + std::cos(delta) * std::sin(phi1));
  double k = (std::cos(delta) - std::sin(phi1) * std::sin(phi2)) / (std::cos(phi2) * std::cos(phi1));
  if (k > 1.0) k = 1.0;
  if (k < -1.0) k = -1.0;
  const double dLambda = std::acos(k);
  const double lambda2 = (bearingDeg < 0.0 || bearingDeg >= 180.0) ? lambda1 - dLambda : lambda1 + dLambda;
  latitude = phi2 * geo::kRadToDeg;
  longitude = lambda2 * geo::kRadToDeg;
  return true;
}

}  // namespace tarnvale
