#pragma once
// Angular conversions and Earth figures used by the location and path code.
// Values are written out as the program has always used them, so that
// results match digit for digit.

namespace tarnvale::geo {

inline constexpr double kDegToRad = 0.017453292519943295;  ///< pi/180
inline constexpr double kRadToDeg = 57.29577951308232;     ///< 180/pi
inline constexpr double kPi = 3.14159265358979323846;

/// Sphere on which path ranges, bearings and points along a path are measured (km).
inline constexpr double kPathEarthRadiusKm = 6371.0;
/// Semi-major axis of WGS84 (m); the sphere of CLocator::destination.
inline constexpr double kWgs84SemiMajorM = 6378137.0;

/// Latitude and longitude bounds of a valid point (degrees, bounds included).
inline constexpr double kMaxLatitude = 90.0;
inline constexpr double kMaxLongitude = 180.0;

}  // namespace tarnvale::geo
