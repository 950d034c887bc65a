#include "terrain/ProfileSampler.h"

#include <cmath>
#include <cstddef>

namespace tarnvale {

using namespace profile;

ProfileSpacing ChooseSpacing(double lengthKm, int pointLimit) {
  double spacing = lengthKm < kShortPathKm ? kShortPathFraction * lengthKm : kBaseSpacingKm;
  // Grown one step at a time, so the spacing carries the rounding of each sum.
  while (lengthKm / spacing > pointLimit) spacing += kBaseSpacingKm;
  return {spacing, static_cast<int>(std::floor(lengthKm / spacing))};
}

bool SampleProfile(TerrainProfile& profile, const CPath& path, double k, bool coverage, bool interpolate,
                   const CSRTM& terrain, const CZONES& zones) {
  profile.maxHeight = 0.0;
  if (!path.isValid()) return false;
  double length = 0.0, bearing = 0.0;
  path.rangeBearing(length, bearing);
  if (!(length >= kMinPathKm)) return false;

  // The chord's depth below the arc needs a sphere at least as wide as the
  // path; anything else (k <= 0 among them) has no bulge to measure.
  const double radius = kEarthRadiusKm * k;
  const double halfLength = length / 2.0;
  const double clearance = radius * radius - halfLength * halfLength;
  if (!(clearance >= 0.0) || !std::isfinite(clearance)) return false;

  const int pointLimit = coverage ? TerrainProfile::kCoveragePointLimit : TerrainProfile::kPathPointLimit;
  const auto [spacing, n] = ChooseSpacing(length, pointLimit);
  const auto capacity = static_cast<std::size_t>(n);
  if (profile.dist.size() < capacity || profile.height.size() < capacity || profile.zone.size() < capacity ||
      profile.curvature.size() < capacity)
    return false;

  profile.pathLength = length;
  profile.n = n;
  const double chordDepth = std::trunc(kMetresPerKm * std::sqrt(clearance));  // whole metres
  const int sea = terrain.seaValue();
  const int missing = terrain.missingValue();
  profile.maxHeight = kNoHeight;
  for (int i = 0; i < n; ++i) {
    const double d = i * spacing;
    profile.dist[i] = d;
    double latitude = 0.0, longitude = 0.0;
    path.pointAt(d, latitude, longitude);
    profile.zone[i] = zones.zoneAt(latitude, longitude);
    const int h = terrain.heightAt(latitude, longitude, interpolate);
    profile.height[i] = (h == sea || h == missing) ? 0.0 : h;
    if (coverage || i == 0 || i == n - 1) {
      profile.curvature[i] = 0.0;
    } else {
      const double offCentre = d - halfLength;
      profile.curvature[i] = kMetresPerKm * std::sqrt(radius * radius - offCentre * offCentre) - chordDepth;
    }
    if (profile.height[i] > profile.maxHeight) profile.maxHeight = profile.height[i];
  }
  if (!coverage) profile.midBulge = kMidBulgeFactor * length * length / radius;
  return true;
}

}  // namespace tarnvale
