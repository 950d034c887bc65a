#pragma once
// CPath: the great circle between two ends on the 6371 km sphere.
#include "geo/Locator.h"

namespace tarnvale {

/// Range, initial bearing and points along the great circle from end 1 (the
/// transmitter) to end 2 (the receiver). Ranges in km, bearings in degrees
/// clockwise from north, positions in WGS84 degrees at the interface.
class CPath {
 public:
  CPath() = default;

  /// End 1 only, with its cached sine and cosine, so that pointAlong works
  /// without a second end.
  void setStart(const CLocator& start);
  void setStart(double latitude, double longitude);
  /// Both ends; solves the range and bearing.
  void setEnds(const CLocator& start, const CLocator& end);
  void setEnds(const CLocator& start, double latitude2, double longitude2);
  void setEnds(double latitude1, double longitude1, double latitude2, double longitude2);
  void setEnds(double latitude1, double longitude1, const CLocator& end);

  /// Range (km, angle x 6371) and initial bearing (degrees, 0..360).
  void rangeBearing(double& rangeKm, double& bearingDeg) const;
  /// The point @p distanceKm along the path from end 1.
  void pointAt(double distanceKm, double& latitude, double& longitude) const;
  /// The point of the same great circle as pointAt, with pointAt's latitude
  /// to the last bit and the longitude worked out by an arc tangent instead
  /// of pointAt's arc cosine. Near end 1's meridian the arc cosine works on
  /// values close to 1 and pointAt's longitude wavers (by up to a few 1e-8
  /// radian, about (5e-16 / (cos lat cos lat1) + 3.3e-16) / |sin dLon| radian
  /// away from it); this one does not. For curves fitted to pointAt's path.
  void steadyPointAt(double distanceKm, double& latitude, double& longitude) const;
  /// The point @p distanceKm from end 1 along @p bearingDeg. The longitude is
  /// not brought back into -180..180.
  void pointAlong(double bearingDeg, double distanceKm, double& latitude, double& longitude) const;

  bool isValid() const { return valid_; }

 private:
  void solve();
  /// pointAlong with the cosine of the bearing already known.
  void pointAlong(double bearingDeg, double cosTheta, double distanceKm, double& latitude, double& longitude) const;

  double lat1_ = 0.0, lon1_ = 0.0;  // radians
  double lat2_ = 0.0, lon2_ = 0.0;
  double bearing_ = 0.0;            // radians, 0..2 pi
  double cosBearing_ = 1.0;         // cosine of bearing_ as pointAlong works it out
  double sinBearing_ = 0.0;         // magnitude of the sine of the same angle
  double sinLat1_ = 0.0, cosLat2_ = 0.0, cosLat1_ = 0.0, sinLat2_ = 0.0;
  double angle_ = 0.0;              // central angle, radians
  bool valid_ = false;
};

}  // namespace tarnvale
