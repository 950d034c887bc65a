#include "session/ClimateTexts.h"

#include "model/ModelDriver.h"
#include "text/Format.h"

namespace tarnvale {
namespace {

std::string valueOrNoData(bool found, double value, const std::string& unit) {
  return found ? FormatFixed(value, 4, 1) + unit : "No data";
}

SiteClimateTexts site(const CRefractivity& climate, const CLocator& at) {
  SiteClimateTexts t;
  const double lat = at.latitude(), lon = at.longitude();
  double v = 0.0;
  bool found = climate.n0At(lat, lon, true, v);
  t.n0 = valueOrNoData(found, v, " N units");
  found = climate.dnAt(lat, lon, true, v);
  t.deltaN = valueOrNoData(found, v, " N units/km");
  found = climate.surfaceDuctAt(lat, lon, true, v);
  t.surfaceDuct = valueOrNoData(found, v, " %");
  found = climate.elevatedDuctAt(lat, lon, true, v);
  t.elevatedDuct = valueOrNoData(found, v, " %");
  return t;
}

}  // namespace

ClimatePageTexts ClimatePage(const CRefractivity& climate, const CLocator& tx, const CLocator& rx, double percent) {
  ClimatePageTexts page;
  page.percentTime = FormatGeneral(percent, 5) + " %";
  const CLocator middle = MidPoint(tx, rx);
  double deltaN = 0.0;
  page.kFactor = climate.dnAt(middle.latitude(), middle.longitude(), true, deltaN)
                     ? FormatFixed(KFactorForDeltaN(deltaN), 4, 1)
                     : "Defaulting to 1.333";
  page.transmitter = site(climate, tx);
  page.receiver = site(climate, rx);
  return page;
}

std::string ClimateStatusText(ClimateSource source, double n0, double deltaN, bool forcedKFactor) {
  const char* what = nullptr;
  switch (source) {
    case ClimateSource::kMaps:
      return {};
    case ClimateSource::kNoMaps:
      what = "No radio-climate maps found: ";
      break;
    case ClimateSource::kNoValue:
      what = "No radio-climate data at mid-path: ";
      break;
    case ClimateSource::kCoverage:
      what = "Coverage climate: ";
      break;
  }
  std::string text = std::string(what) + "N0 " + FormatGeneral(n0, 6);
  if (forcedKFactor) return text + " used, \u0394N from the K factor";
  return text + " and \u0394N " + FormatGeneral(deltaN, 6) + " used";
}

const char* ClimateSourceName(ClimateSource source) { return source == ClimateSource::kMaps ? "maps" : "default"; }

}  // namespace tarnvale
