#include "geo/LocationText.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace tarnvale {
namespace {

bool readNumber(const char*& p, double& value) {
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  // Only plain decimal numbers: no "nan", "inf" or hexadecimal forms.
  const char* q = p;
  if (*q == '+' || *q == '-') ++q;
  if (!std::isdigit(static_cast<unsigned char>(*q)) && *q != '.') return false;
  char* end = nullptr;
  value = std::strtod(p, &end);
  if (end == p || !std::isfinite(value)) return false;
  for (const char* c = p; c < end; ++c)
    if (*c == 'x' || *c == 'X') return false;
  p = end;
  return true;
}

/// "lat,lon" or "lat lon" as two signed numbers and nothing else.
bool parsePlainNumbers(const std::string& text, double& latitude, double& longitude) {
  const char* p = text.c_str();
  if (!readNumber(p, latitude)) return false;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  if (*p == ',') ++p;
  if (!readNumber(p, longitude)) return false;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  return *p == '\0';
}

}  // namespace

const std::map<std::string, int>& FormatNames() {
  static const std::map<std::string, int> names = {
      {"loc", kFormatLocator}, {"ngr", kFormatGridReference}, {"deg", kFormatDegrees}, {"dms", kFormatDms}};
  return names;
}

CLocator ParseLocation(const std::string& text, int format) {
  CLocator location(text, format);
  if (location.isValid() || format != kFormatDegrees) return location;
  double latitude = 0.0, longitude = 0.0;
  if (parsePlainNumbers(text, latitude, longitude)) return CLocator(latitude, longitude);
  return location;
}

CLocator LocationIn(const std::string& text, int format) {
  if (format >= 0) return ParseLocation(text, format);
  for (int f : {kFormatLocator, kFormatGridReference, kFormatDegrees, kFormatDms}) {
    CLocator location = ParseLocation(text, f);
    if (location.isValid()) return location;
  }
  return CLocator();
}

LocationTexts DescribeLocation(const CLocator& location) {
  CLocator copy = location;  // the formatter keeps its text in the object
  LocationTexts t;
  double easting = 0.0, northing = 0.0;
  const bool onGrid = copy.gridEastingNorthing(easting, northing);
  t.loc = copy.toText(kFormatLocator, DisplayPrecision(kFormatLocator));
  t.ngr = copy.toText(kFormatGridReference, DisplayPrecision(kFormatGridReference));
  t.deg = copy.toText(kFormatDegrees, DisplayPrecision(kFormatDegrees));
  t.dms = copy.toText(kFormatDms, DisplayPrecision(kFormatDms));
  t.easting = static_cast<long long>(onGrid ? easting : 0.0);
  t.northing = static_cast<long long>(onGrid ? northing : 0.0);
  return t;
}

}  // namespace tarnvale
