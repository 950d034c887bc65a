#include "link/AntennaFrame.h"

#include <algorithm>
#include <cmath>

#include "geo/GeoConstants.h"
#include "link/AntennaPattern.h"

namespace tarnvale {

AntennaDirection ToAntennaFrame(double bearingDeg, double elevationDeg, double antennaAzimuthDeg, double downtiltDeg) {
  const double relative = WrapDegrees(bearingDeg - antennaAzimuthDeg);
  if (downtiltDeg == 0.0) return {relative, 0.0 - elevationDeg};

  // Axes of the ground: x along the antenna azimuth, y to its right, z up.
  // The antenna's boresight is (cos t, 0, -sin t), its right y and its top
  // (sin t, 0, cos t); the ray's coordinates on them give its direction.
  const double a = relative * geo::kDegToRad;
  const double e = elevationDeg * geo::kDegToRad;
  const double t = downtiltDeg * geo::kDegToRad;
  const double horizontal = std::cos(e);
  const double x = horizontal * std::cos(a);
  const double y = horizontal * std::sin(a);
  const double z = std::sin(e);
  const double forward = std::cos(t) * x - std::sin(t) * z;
  const double up = std::sin(t) * x + std::cos(t) * z;
  AntennaDirection d;
  d.azimuthDeg = WrapDegrees(std::atan2(y, forward) * geo::kRadToDeg);
  d.depressionDeg = -std::asin(std::clamp(up, -1.0, 1.0)) * geo::kRadToDeg;
  return d;
}

}  // namespace tarnvale
