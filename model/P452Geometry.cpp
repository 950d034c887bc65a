// Zones, the path centre and b0 of the P.452-18 model.
#include <algorithm>
#include <cmath>
#include <limits>

#include "geo/GeoConstants.h"
#include "model/P452Inputs.h"
#include "model/P452Parts.h"

namespace tarnvale::p452 {

namespace {

using geo::kDegToRad;
using geo::kRadToDeg;

constexpr double kHalfTurnDeg = 180.0;
// b0: the latitude above which its own formula holds (degrees).
constexpr double kPolarLatitude = 70.0;
// Offsets below this count as none in the great-circle point.
constexpr double kNoOffset = 1e-9;
// GreatestElevation: the tangents near enough the greatest to tie with it
// (relative), and the greatest tangent for which that holds.
constexpr double kNearTieFraction = 1e-9;
constexpr double kSteepestNearTie = 1e3;
// The smallest argument of the inverse normal.
constexpr double kMinProbability = 0.000001;

bool inRun(std::uint8_t zone, bool land) {
  return land ? (zone == itu_zone::kCoastalLand || zone == itu_zone::kInland) : zone == itu_zone::kInland;
}

// Length of the run of points first..last: from the first to the last point,
// plus half the step beyond each end of the run that is not an end of the
// profile. The half steps are summed first, as the reference does.
double runLength(const double* d, int n, int first, int last) {
  double delta = 0.0;
  if (d[last] < d[n - 1]) delta = delta + (d[last + 1] - d[last]) / 2.0;
  if (d[first] > 0) delta = delta + (d[first] - d[first - 1]) / 2.0;
  return d[last] - d[first] + delta;
}

double sind(double degrees) { return std::sin(degrees * kDegToRad); }
double cosd(double degrees) { return std::cos(degrees * kDegToRad); }
double atan2d(double y, double x) { return std::atan2(y, x) * kRadToDeg; }

}  // namespace

double LongestRun(const double* d, const std::uint8_t* zone, int n, bool land) {
  double longest = 0.0;
  int i = 0;
  while (i < n) {
    if (!inRun(zone[i], land)) {
      ++i;
      continue;
    }
    const int first = i;
    while (i + 1 < n && inRun(zone[i + 1], land)) ++i;
    const double length = runLength(d, n, first, i);
    if (length > longest) longest = length;  // a NaN run leaves the longest as it was
    ++i;
  }
  return longest;
}

double SeaFraction(const double* d, const std::uint8_t* zone, int n) {
  double sea = 0.0;
  int i = 0;
  while (i < n) {
    if (zone[i] != itu_zone::kSea) {
      ++i;
      continue;
    }
    const int first = i;
    while (i + 1 < n && zone[i + 1] == itu_zone::kSea) ++i;
    double delta = 0.0;
    if (d[i] < d[n - 1]) delta = delta + (d[i + 1] - d[i]) / 2.0;
    if (d[first] > 0) delta = delta + (d[first] - d[first - 1]) / 2.0;
    sea = sea + d[i] - d[first] + delta;
    ++i;
  }
  return sea / (d[n - 1] - d[0]);
}

double Beta0(double phi, double dtm, double dlm) {
  const double tau = 1 - std::exp(-(4.12 * 1e-4 * std::pow(dlm, 2.41)));
  double mu1 = std::pow(std::pow(10.0, -dtm / (16 - 6.6 * tau)) + std::pow(10.0, -5 * (0.496 + 0.354 * tau)), 0.2);
  if (mu1 > 1) mu1 = 1;
  const double latitude = std::fabs(phi);
  if (latitude <= kPolarLatitude) {
    const double mu4 = std::pow(10.0, (-0.935 + 0.0176 * latitude) * std::log10(mu1));
    return std::pow(10.0, -0.015 * latitude + 1.67) * mu1 * mu4;
  }
  const double mu4 = std::pow(10.0, 0.3 * std::log10(mu1));
  return 4.17 * mu1 * mu4;
}

void GreatCirclePoint(double phir_e, double phit_e, double phir_n, double phit_n, double radiusKm, double distanceKm,
                      double& phipnt_e, double& phipnt_n) {
  const double dlon = phir_e - phit_e;
  const double r = sind(phit_n) * sind(phir_n) + cosd(phit_n) * cosd(phir_n) * cosd(dlon);
  const double x1 = sind(phir_n) - r * sind(phit_n);
  const double y1 = cosd(phit_n) * cosd(phir_n) * sind(dlon);
  const double bearing = (std::fabs(x1) < kNoOffset && std::fabs(y1) < kNoOffset) ? phir_e : atan2d(y1, x1);
  const double angle = distanceKm / radiusKm;  // radians
  const double s = sind(phit_n) * std::cos(angle) + cosd(phit_n) * std::sin(angle) * cosd(bearing);
  phipnt_n = std::asin(s) * kRadToDeg;
  const double x2 = std::cos(angle) - s * sind(phit_n);
  const double y2 = cosd(phit_n) * std::sin(angle) * sind(bearing);
  phipnt_e = (x2 < kNoOffset && y2 < kNoOffset) ? bearing : phit_e + atan2d(y2, x2);
}

double WrapLongitude(double degrees) {
  const double wrapped = std::remainder(degrees, 2 * kHalfTurnDeg);
  return wrapped == -kHalfTurnDeg ? kHalfTurnDeg : wrapped;
}

int GreatestElevation(const double* x, int first, int last, bool lastOfEqual, double& maximum) {
  double greatest = -std::numeric_limits<double>::infinity();
  for (int i = first; i <= last; ++i)
    if (x[i] > greatest) greatest = x[i];
  // The arctangent is monotonic and within an ulp of exact: an x further
  // than this below the greatest has a clearly smaller angle, so only those
  // nearer can tie. Beyond slopes of 1000 the angles crowd at 90 degrees and
  // every x is taken.
  const bool steep = !(std::fabs(greatest) <= kSteepestNearTie);
  const double nearest = steep ? -std::numeric_limits<double>::infinity()
                               : greatest - kNearTieFraction * (1 + std::fabs(greatest));
  int where = -1;
  double best = -std::numeric_limits<double>::infinity();
  for (int i = first; i <= last; ++i) {
    if (!(x[i] >= nearest)) continue;
    const double angle = 1000 * std::atan(x[i]);
    if (lastOfEqual ? angle >= best : angle > best) {
      best = angle;
      where = i;
    }
  }
  maximum = best;
  return where;
}

double InverseCumulativeNormal(double x) {
  if (x < kMinProbability) x = kMinProbability;
  const double tx = std::sqrt(-2 * std::log(x));
  constexpr double C0 = 2.515516698, C1 = 0.802853, C2 = 0.010328;
  constexpr double D1 = 1.432788, D2 = 0.189269, D3 = 0.001308;
  const double ksi = ((C2 * tx + C1) * tx + C0) / (((D3 * tx + D2) * tx + D1) * tx + 1);
  return ksi - tx;
}

}  // namespace tarnvale::p452
