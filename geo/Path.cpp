#include "geo/Path.h"

#include <cmath>

#include "geo/GeoConstants.h"

namespace tarnvale {

using geo::kDegToRad;
using geo::kPathEarthRadiusKm;
using geo::kPi;
using geo::kRadToDeg;

// Ends closer than this central angle (about 6.4 m) have no defined bearing.
constexpr double kMinBearingAngle = 1e-6;

void CPath::setStart(const CLocator& start) { setStart(start.latitude(), start.longitude()); }

void CPath::setStart(double latitude, double longitude) {
  lat1_ = latitude * kDegToRad;
  lon1_ = longitude * kDegToRad;
  sinLat1_ = std::sin(lat1_);
  cosLat1_ = std::cos(lat1_);
  valid_ = true;
}

void CPath::setEnds(const CLocator& start, const CLocator& end) {
  setEnds(start.latitude(), start.longitude(), end.latitude(), end.longitude());
}

void CPath::setEnds(const CLocator& start, double latitude2, double longitude2) {
  setEnds(start.latitude(), start.longitude(), latitude2, longitude2);
}

void CPath::setEnds(double latitude1, double longitude1, const CLocator& end) {
  setEnds(latitude1, longitude1, end.latitude(), end.longitude());
}

void CPath::setEnds(double latitude1, double longitude1, double latitude2, double longitude2) {
  lat1_ = latitude1 * kDegToRad;
  lon1_ = longitude1 * kDegToRad;
  lat2_ = latitude2 * kDegToRad;
  lon2_ = longitude2 * kDegToRad;
  solve();
  valid_ = true;
}

void CPath::solve() {
  sinLat1_ = std::sin(lat1_);
  cosLat1_ = std::cos(lat1_);
  sinLat2_ = std::sin(lat2_);
  cosLat2_ = std::cos(lat2_);
  double c = std::cos(lon2_ - lon1_) * cosLat1_ * cosLat2_ + sinLat1_ * sinLat2_;
  if (c > 1.0) c = 1.0;
  if (c < -1.0) c = -1.0;
  angle_ = std::acos(c);
  bearing_ = 0.0;
  if (angle_ > kMinBearingAngle) {
    const double g = (sinLat2_ - std::cos(angle_) * sinLat1_) / (std::sin(angle_) * cosLat1_);
    if (g > -1.0 && g < 1.0)
      bearing_ = std::acos(g);
    else if (g <= -1.0)
      bearing_ = kPi;
    else
      bearing_ = 0.0;
  }
  // Compared as stored, with no wrap at 180 degrees.
  if (lon2_ < lon1_) bearing_ = 2.0 * kPi - bearing_;
  // The cosine pointAlong takes of the bearing in degrees, worked once for
  // every point a path is sampled at.
  cosBearing_ = std::cos(bearing_ * kRadToDeg * kDegToRad);
  sinBearing_ = std::fabs(std::sin(bearing_ * kRadToDeg * kDegToRad));
}

void CPath::rangeBearing(double& rangeKm, double& bearingDeg) const {
  rangeKm = angle_ * kPathEarthRadiusKm;
  bearingDeg = bearing_ * kRadToDeg;
}

void CPath::pointAt(double distanceKm, double& latitude, double& longitude) const {
  pointAlong(bearing_ * kRadToDeg, cosBearing_, distanceKm, latitude, longitude);
}

void CPath::steadyPointAt(double distanceKm, double& latitude, double& longitude) const {
  const double delta = distanceKm * (1.0 / kPathEarthRadiusKm);
  const double sinLat = cosBearing_ * std::sin(delta) * cosLat1_ + std::cos(delta) * sinLat1_;
  const double lat = std::asin(sinLat);  // as pointAt works it out
  // The east and north components of the way from end 1's meridian, both
  // well conditioned however small the angle between them.
  const double dLon = std::atan2(sinBearing_ * std::sin(delta) * cosLat1_, std::cos(delta) - sinLat1_ * sinLat);
  const double bearingDeg = bearing_ * kRadToDeg;
  const double lon = (bearingDeg < 0.0 || bearingDeg >= 180.0) ? lon1_ - dLon : lon1_ + dLon;
  latitude = lat * kRadToDeg;
  longitude = lon * kRadToDeg;
}

void CPath::pointAlong(double bearingDeg, double distanceKm, double& latitude, double& longitude) const {
  pointAlong(bearingDeg, std::cos(bearingDeg * kDegToRad), distanceKm, latitude, longitude);
}

void CPath::pointAlong(double bearingDeg, double cosTheta, double distanceKm, double& latitude,
                       double& longitude) const {
  const double delta = distanceKm * (1.0 / kPathEarthRadiusKm);
  const double lat = std::asin(cosTheta * std::sin(delta) * cosLat1_ + std::cos(delta) * sinLat1_);
  const double k = (std::cos(delta) - std::sin(lat) * sinLat1_) / (std::cos(lat) * cosLat1_);
  double dLon;
  if (k > 1.0)
    dLon = 0.0;
  else if (k < -1.0)
    dLon = kPi;
  else
    dLon = std::acos(k);
  const double lon = (bearingDeg < 0.0 || bearingDeg >= 180.0) ? lon1_ - dLon : lon1_ + dLon;
  latitude = lat * kRadToDeg;
  longitude = lon * kRadToDeg;
}

}  // namespace tarnvale
