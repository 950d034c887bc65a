#include "sites/SiteText.h"

#include "geo/Locator.h"
#include "text/Format.h"

namespace tarnvale {
namespace {
constexpr int kHeightPrecision = 5;
constexpr int kDetailGridDigits = 6;
constexpr int kDetailLocatorLength = 8;
constexpr int kCopyLocatorLength = 8;
}  // namespace

std::array<std::string, 5> SiteDetails(const CSite& site, const CSRTM& terrain) {
  CLocator where(site.latitude(), site.longitude());
  const int height = terrain.heightAt(site.latitude(), site.longitude(), false);
  return {site.name(),
          "Height    " + FormatFixed(height, kHeightPrecision, 0) + " m",
          "NGR       " + where.toText(kFormatGridReference, kDetailGridDigits),
          "Locator   " + where.toText(kFormatLocator, kDetailLocatorLength),
          "Lat/Long " + where.toText(kFormatDms)};
}

std::string SiteLocationText(const CSite& site, int format) {
  CLocator where(site.latitude(), site.longitude());
  if (format == kFormatLocator) return where.toText(kFormatLocator, kCopyLocatorLength);
  return where.toText(format);
}

std::string SiteCountText(int count) { return std::to_string(count) + " Sites"; }

}  // namespace tarnvale
