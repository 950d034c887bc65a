#include "terrain/CoverageSampler.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "terrain/ProfileSampler.h"

namespace tarnvale {

namespace {

// Chebyshev series of a function of distance over [0, L], fitted at the
// nodes of the first kind.
struct Series {
  static constexpr int kNodes = CoverageSampler::kFitNodes;
  std::array<double, kNodes> c{};
  double scale = 0.0;  // 2 / L

  // t in [-1, 1] for distance d; Clenshaw's recurrence.
  double at(double d) const {
    const double t = d * scale - 1.0;
    double b1 = 0.0, b2 = 0.0;
    for (int k = kNodes - 1; k >= 1; --k) {
      const double b = 2.0 * t * b1 - b2 + c[k];
      b2 = b1;
      b1 = b;
    }
    return t * b1 - b2 + 0.5 * c[0];
  }
};

// True when @p degrees lies within kNodeLineMargin samples of a line of tile
// nodes.
bool nearNodeLine(double degrees) {
  const double q = degrees * srtm::kSamplesPerDegree;
  return std::fabs(q - std::nearbyint(q)) < CoverageSampler::kNodeLineMargin;
}

}  // namespace

CoverageSampler::CoverageSampler(const CSRTM& terrain, const CZONES& zones)
    : terrain_(terrain), zones_(zones), zonesOpen_(zones.isOpen()) {}

std::uint8_t CoverageSampler::zone(double latitude, double longitude) const {
  return zonesOpen_ ? zones_.zoneAt(latitude, longitude) : zones::kNoData;
}

int CoverageSampler::height(double latitude, double longitude) {
  // The plain lookup of CSRTM, without its slot scan while the point stays in
  // the tile of the previous sample. The store's own lookup serves every
  // other point (it loads the tile and keeps the usage scores).
  const bool inside = latitude >= srtm::kMinLatitude && latitude < srtm::kMaxLatitude &&
                      longitude >= srtm::kMinLongitude && longitude < srtm::kMaxLongitude;
  if (!inside) return terrain_.heightAt(latitude, longitude, false);
  const int south = CSRTMTILE::cellCorner(latitude);
  const int west = CSRTMTILE::cellCorner(longitude);
  if (!tile_ || south != cellSouth_ || west != cellWest_ || !tile_->holdsCell(south, west)) {
    const int h = terrain_.heightAt(latitude, longitude, false);
    tile_ = nullptr;
    for (int s = 0; s < terrain_.slotCount(); ++s)
      if (terrain_.slot(s).loaded() && terrain_.slot(s).holdsCell(south, west)) tile_ = &terrain_.slot(s);
    cellSouth_ = south;
    cellWest_ = west;
    return h;
  }
  const double i = std::trunc(std::fabs(tile_->south() - latitude) / srtm::kSpacingDeg);
  const double j = std::trunc(std::fabs(tile_->west() - longitude) / srtm::kSpacingDeg);
  const double row = srtm::kLastIndex - i;
  if (row < 0 || row > srtm::kLastIndex || j < 0 || j > srtm::kLastIndex) return srtm::kSeaValue;
  return tile_->sampleAt(static_cast<int>(row), static_cast<int>(j));
}

bool CoverageSampler::sample(TerrainProfile& profile, double txLatitude, double txLongitude, double rxLatitude,
                             double rxLongitude, double k) {
  using namespace profile;
  profile.maxHeight = 0.0;
  path_.setEnds(txLatitude, txLongitude, rxLatitude, rxLongitude);
  double length = 0.0, bearing = 0.0;
  path_.rangeBearing(length, bearing);
  if (!(length >= kMinPathKm)) return false;
  const double radius = kEarthRadiusKm * k;
  const double halfLength = length / 2.0;
  const double clearance = radius * radius - halfLength * halfLength;
  if (!(clearance >= 0.0) || !std::isfinite(clearance)) return false;
  const auto [spacing, n] = ChooseSpacing(length, TerrainProfile::kCoveragePointLimit);
  const auto capacity = static_cast<std::size_t>(n);
  if (profile.dist.size() < capacity || profile.height.size() < capacity || profile.zone.size() < capacity ||
      profile.curvature.size() < capacity)
    return false;

  // Offsets from the transmitter, fitted: they are small, so the fit keeps
  // nearly all the bits of the exact positions.
  bool fit = length <= kFitMaxKm && n >= 2;
  Series latitudes, longitudes;
  if (fit) {
    constexpr int m = Series::kNodes;
    std::array<double, m> dLat{}, dLon{};
    for (int node = 0; node < m; ++node) {
      const double x = halfLength * (1.0 + std::cos(std::numbers::pi * (node + 0.5) / m));
      double lat = 0.0, lon = 0.0;
      path_.pointAt(x, lat, lon);
      dLat[node] = lat - txLatitude;
      dLon[node] = lon - txLongitude;
    }
    for (int kk = 0; kk < m; ++kk) {
      double a = 0.0, b = 0.0;
      for (int node = 0; node < m; ++node) {
        const double w = std::cos(std::numbers::pi * kk * (node + 0.5) / m);
        a += dLat[node] * w;
        b += dLon[node] * w;
      }
      latitudes.c[kk] = 2.0 * a / m;
      longitudes.c[kk] = 2.0 * b / m;
    }
    latitudes.scale = longitudes.scale = 2.0 / length;
    // The fit must meet the exact path where it is furthest from the nodes'
    // middle: at the last sample.
    const double last = (n - 1) * spacing;
    double lat = 0.0, lon = 0.0;
    path_.pointAt(last, lat, lon);
    fit = std::fabs(txLatitude + latitudes.at(last) - lat) <= kFitCheckDeg &&
          std::fabs(txLongitude + longitudes.at(last) - lon) <= kFitCheckDeg;
  }
  (fit ? fitted_ : exact_)++;

  profile.pathLength = length;
  profile.n = n;
  profile.maxHeight = kNoHeight;
  const int sea = terrain_.seaValue();
  const int missing = terrain_.missingValue();
  for (int i = 0; i < n; ++i) {
    const double d = i * spacing;
    profile.dist[i] = d;
    double latitude = 0.0, longitude = 0.0;
    if (fit) {
      latitude = txLatitude + latitudes.at(d);
      longitude = txLongitude + longitudes.at(d);
    }
    // Near a line of tile nodes (which holds every zone cell edge too) the
    // fitted point could fall on the other side of it than the exact one.
    if (!fit || nearNodeLine(latitude) || nearNodeLine(longitude)) path_.pointAt(d, latitude, longitude);
    profile.zone[i] = zone(latitude, longitude);
    const int h = height(latitude, longitude);
    profile.height[i] = (h == sea || h == missing) ? 0.0 : h;
    profile.curvature[i] = 0.0;
    if (profile.height[i] > profile.maxHeight) profile.maxHeight = profile.height[i];
  }
  return true;
}

}  // namespace tarnvale
