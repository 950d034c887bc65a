// The National Grid: 100 km square letters, the transverse Mercator projection
// on the Airy 1830 ellipsoid (series after Snyder, with the Grid's constants)
// and the seven-parameter Helmert shift between OSGB36 and WGS84.
#include <cmath>
#include <string>

#include "geo/GeoConstants.h"
#include "geo/Locator.h"

namespace tarnvale {
namespace {

using geo::kDegToRad;
using geo::kRadToDeg;

constexpr double kF0 = 0.9996012717;              // central meridian scale factor
constexpr double kLambda0Deg = -2.0;               // true origin longitude (inverse)
constexpr double kLambda0Rad = -0.03490658503;     // true origin longitude (forward), as stored
constexpr double kAiryA = 6377563.396;             // m
constexpr double kAiryE2 = 0.0066705397616;        // first eccentricity squared
constexpr double kAiryEp2 = 0.0067153346685;       // second eccentricity squared
constexpr double kAiryE1 = 0.0016732202503;        // (a - b) / (a + b)
constexpr double kM0 = 5429228.6032;               // meridional arc to 49 N (m)
constexpr double kWgs84A = 6378137.0;              // m
constexpr double kWgs84E2 = 0.0066943800355;
constexpr double kFalseEasting = 400000.0;         // E0
constexpr double kFalseNorthing = -100000.0;       // N0

constexpr double kGridMaxEasting = 700000.0;
constexpr double kGridMaxNorthing = 1300000.0;
constexpr double kMinLatitude = 45.0, kMaxLatitude = 65.0;
constexpr double kMinLongitude = -15.0, kMaxLongitude = 5.0;

constexpr double kSquare = 100000.0;       // 100 km square
constexpr int kSquareM = 100000;
constexpr int kBigSquareM = 500000;        // 500 km square of the first letter

// 5 x 5 block of squares, row by row from the south, west to east.
constexpr const char* kSquareLetters = "VWXYZQRSTULMNOPFGHJKABCDE";

struct Helmert {
  double tx, ty, tz;   // m
  double scale;        // 1 + s
  double rxSec, rySec, rzSec;  // arc seconds
};
constexpr Helmert kOsgbToWgs = {446.448, -125.157, 542.06, 0.9999795106, 0.1502, 0.2470, 0.8421};
constexpr Helmert kWgsToOsgb = {-446.448, 125.157, -542.06, 1.0000204894, -0.1502, -0.2470, -0.8421};

struct Ellipsoid {
  double a, e2;
};
constexpr Ellipsoid kAiry = {kAiryA, kAiryE2};
constexpr Ellipsoid kWgs84 = {kWgs84A, kWgs84E2};

/// Latitude/longitude (degrees) on @p source to latitude/longitude on @p target.
void shiftDatum(double& latitude, double& longitude, const Ellipsoid& source, const Ellipsoid& target,
                const Helmert& h) {
  const double phi = latitude * kDegToRad;
  const double lambda = longitude * kDegToRad;
  const double sinPhi = std::sin(phi);
  const double nu = source.a / std::sqrt(1.0 - source.e2 * sinPhi * sinPhi);
  const double x = nu * std::cos(phi) * std::cos(lambda);
  const double y = nu * std::cos(phi) * std::sin(lambda);
  const double z = nu * (1.0 - source.e2) * sinPhi;

  const double rx = h.rxSec * kDegToRad / 3600.0;
  const double ry = h.rySec * kDegToRad / 3600.0;
  const double rz = h.rzSec * kDegToRad / 3600.0;
  const double m = h.scale;
  const double x2 = h.tx + m * x - rz * y + ry * z;
  const double y2 = h.ty + rz * x + m * y - rx * z;
  const double z2 = h.tz - ry * x + rx * y + m * z;

  const double lambda2 = std::atan2(y2, x2);
  const double p = std::sqrt(x2 * x2 + y2 * y2);
  double phi2 = std::atan2(z2, p * (1.0 - target.e2));
  double phiNew = phi2;
  // Each pass shrinks the error by about e^2; the stop leaves well under a millimetre.
  for (int pass = 0; pass < 100; ++pass) {
    const double s = std::sin(phi2);
    const double nu2 = target.a / std::sqrt(1.0 - target.e2 * s * s);
    phiNew = std::atan2(z2 + target.e2 * nu2 * s, p);
    if (std::fabs(phi2 - phiNew) <= 1e-8) break;
    phi2 = phiNew;
  }
  latitude = phiNew * kRadToDeg;
  longitude = lambda2 * kRadToDeg;
}

/// Forward projection of an OSGB36 point (radians) to grid x, y about the true origin.
void project(double phi, double lambda, double& x, double& y) {
  const double e2 = kAiryE2, e4 = e2 * e2, e6 = e4 * e2;
  const double sinPhi = std::sin(phi), cosPhi = std::cos(phi), tanPhi = std::tan(phi);
  const double nu = kAiryA / std::sqrt(1.0 - e2 * sinPhi * sinPhi);
  const double t = tanPhi * tanPhi;
  const double c = kAiryEp2 * cosPhi * cosPhi;
  const double a = cosPhi * (lambda - kLambda0Rad);
  const double m = kAiryA * ((1.0 - e2 / 4.0 - 3.0 * e4 / 64.0 - 5.0 * e6 / 256.0) * phi -
                             (3.0 * e2 / 8.0 + 3.0 * e4 / 32.0 + 45.0 * e6 / 1024.0) * std::sin(2.0 * phi) +
                             (15.0 * e4 / 256.0 + 45.0 * e6 / 1024.0) * std::sin(4.0 * phi) -
                             (35.0 * e6 / 3072.0) * std::sin(6.0 * phi));
  const double a2 = a * a, a3 = a2 * a, a4 = a3 * a, a5 = a4 * a, a6 = a5 * a;
  x = kF0 * nu *
      (a + (1.0 - t + c) * a3 / 6.0 + (5.0 - 18.0 * t + t * t + 72.0 * c - 58.0 * kAiryEp2) * a5 / 120.0);
  y = kF0 * (m - kM0 +
             nu * tanPhi *
                 (a2 / 2.0 + (5.0 - t + 9.0 * c + 4.0 * c * c) * a4 / 24.0 +
                  (61.0 - 58.0 * t + t * t + 600.0 * c - 330.0 * kAiryEp2) * a6 / 720.0));
}

bool firstLetterOffset(char letter, double& easting, double& northing) {
  switch (letter) {
    case 'S': easting = 0; northing = 0; return true;
    case 'T': easting = 500000; northing = 0; return true;
    case 'N': easting = 0; northing = 500000; return true;
    case 'O': easting = 500000; northing = 500000; return true;
    case 'H': easting = 0; northing = 1000000; return true;
    case 'J': easting = 500000; northing = 1000000; return true;
    default: easting = 0; northing = 0; return false;
  }
}

}  // namespace

bool CLocator::toGrid(double latitude, double longitude, std::string& letters, int& easting,
                      int& northing) {
  if (!(latitude >= kMinLatitude && latitude <= kMaxLatitude && longitude >= kMinLongitude &&
        longitude <= kMaxLongitude))
    return false;
  double lat = latitude, lon = longitude;
  wgs84ToOsgb36InPlace(lat, lon);
  double x = 0.0, y = 0.0;
  project(lat * kDegToRad, lon * kDegToRad, x, y);
  const double e = x + kFalseEasting;
  const double n = y + kFalseNorthing;
  if (!(e >= 0.0 && e <= kGridMaxEasting && n >= 0.0 && n <= kGridMaxNorthing)) return false;
  gridLetters(e, n, letters, easting, northing);
  return true;
}

void CLocator::gridLetters(double easting, double northing, std::string& letters, int& squareEasting,
                           int& squareNorthing) {
  // Whole metres by trunc(x + 0.5); callers stay inside the grid's extent.
  const int e = static_cast<int>(easting + 0.5);
  const int n = static_cast<int>(northing + 0.5);
  const int first = 5 * (n / kBigSquareM) + (e / kBigSquareM) + 7;
  const int second = 5 * ((n % kBigSquareM) / kSquareM) + (e % kBigSquareM) / kSquareM;
  letters.clear();
  letters.push_back(first >= 0 && first < 25 ? kSquareLetters[first] : '?');
  letters.push_back(second >= 0 && second < 25 ? kSquareLetters[second] : '?');
  squareEasting = e % kSquareM;
  squareNorthing = n % kSquareM;
}

void CLocator::letterOffsets(const std::string& letters, double& easting, double& northing) {
  easting = 0.0;
  northing = 0.0;
  if (letters.size() < 2) return;
  firstLetterOffset(letters[0], easting, northing);
  const std::string table = kSquareLetters;
  const size_t k = table.find(letters[1]);
  if (k == std::string::npos) return;
  easting += static_cast<double>(k % 5) * kSquare;
  northing += static_cast<double>(k / 5) * kSquare;
}

void CLocator::fromGrid(double northing, double easting, const std::string& letters, double& latitude,
                        double& longitude) {
  double offsetE = 0.0, offsetN = 0.0;
  letterOffsets(letters, offsetE, offsetN);
  const double x = easting + offsetE - kFalseEasting;
  const double y = northing + offsetN - kFalseNorthing;

  const double e2 = kAiryE2, e4 = e2 * e2, e6 = e4 * e2;
  const double e1 = kAiryE1, e1_2 = e1 * e1, e1_3 = e1_2 * e1, e1_4 = e1_3 * e1;
  const double m = y / kF0 + kM0;
  const double mu = m / (kAiryA * (1.0 - e2 / 4.0 - 3.0 * e4 / 64.0 - 5.0 * e6 / 256.0));
  const double phi1 = mu + (3.0 * e1 / 2.0 - 27.0 * e1_3 / 32.0) * std::sin(2.0 * mu) +
                      (21.0 * e1_2 / 16.0 - 55.0 * e1_4 / 32.0) * std::sin(4.0 * mu) +
                      (151.0 * e1_3 / 96.0) * std::sin(6.0 * mu);

  const double sinPhi1 = std::sin(phi1), cosPhi1 = std::cos(phi1), tanPhi1 = std::tan(phi1);
  const double c1 = kAiryEp2 * cosPhi1 * cosPhi1;
  const double t1 = tanPhi1 * tanPhi1;
  const double w = 1.0 - e2 * sinPhi1 * sinPhi1;
  const double n1 = kAiryA / std::sqrt(w);
  const double r1 = (1.0 - e2) * kAiryA / std::pow(w, 1.5);
  const double d = x / (n1 * kF0);
  const double d2 = d * d, d3 = d2 * d, d4 = d3 * d, d5 = d4 * d, d6 = d5 * d;

  const double phi =
      phi1 - (n1 * tanPhi1 / r1) *
                 (d2 / 2.0 - (5.0 + 3.0 * t1 + 10.0 * c1 - 4.0 * c1 * c1 - 9.0 * kAiryEp2) * d4 / 24.0 +
                  (61.0 + 90.0 * t1 + 298.0 * c1 + 45.0 * t1 * t1 - 252.0 * kAiryEp2 - 3.0 * c1 * c1) * d6 /
                      720.0);
  const double lambda = (d - (1.0 + 2.0 * t1 + c1) * d3 / 6.0 +
                         (5.0 - 2.0 * c1 + 28.0 * t1 - 3.0 * c1 * c1 + 8.0 * kAiryEp2 + 24.0 * t1 * t1) * d5 /
                             120.0) /
                        cosPhi1;
  latitude = phi * kRadToDeg;
  longitude = lambda * kRadToDeg + kLambda0Deg;
  osgb36ToWgs84InPlace(latitude, longitude);
}

void CLocator::osgb36ToWgs84(double latitude, double longitude, double& outLatitude, double& outLongitude) {
  outLatitude = latitude;
  outLongitude = longitude;
  osgb36ToWgs84InPlace(outLatitude, outLongitude);
}

void CLocator::osgb36ToWgs84InPlace(double& latitude, double& longitude) {
  shiftDatum(latitude, longitude, kAiry, kWgs84, kOsgbToWgs);
}

void CLocator::wgs84ToOsgb36(double latitude, double longitude, double& outLatitude, double& outLongitude) {
  outLatitude = latitude;
  outLongitude = longitude;
  wgs84ToOsgb36InPlace(outLatitude, outLongitude);
}

void CLocator::wgs84ToOsgb36InPlace(double& latitude, double& longitude) {
  shiftDatum(latitude, longitude, kWgs84, kAiry, kWgsToOsgb);
}

}  // namespace tarnvale
