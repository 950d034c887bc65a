#include "terrain/CoverageSampler.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>

#include "geo/CpuClones.h"
#include "terrain/ProfileSampler.h"

namespace tarnvale {

namespace {

// Markers of a sample's cell: the store answers it (off the map's range, or
// a cell beyond the map's edge), or it awaits its exact point.
constexpr int kAskStore = -1;
constexpr int kExact = -2;
// Node of a sample off its tile's node grid, which the store reads as sea.
constexpr int kSeaNode = -1;
// Markers of a sample's zone cell: its code is set already (placed exactly),
// or the cell lies outside the window.
constexpr int kZoneSet = -1;
constexpr int kZoneOutside = -2;
// A window cell not yet looked up (no zone code has this value).
constexpr std::uint8_t kUnknownZone = 0xfe;

// Zone map cells per degree (one arc-minute), and tile nodes per zone cell.
constexpr int kZoneCellsPerDegree = 60;
constexpr int kNodesPerZoneCell = srtm::kSamplesPerDegree / kZoneCellsPerDegree;
// Tile nodes from the North Pole and from 180 W to the first node line.
constexpr int kPoleNodes = 90 * srtm::kSamplesPerDegree;
constexpr int kAntimeridianNodes = 180 * srtm::kSamplesPerDegree;

// Chebyshev nodes of the first kind for a fit of M nodes: the nodes'
// positions (1 + cos(pi (m + 1/2) / M)) / 2 as fractions of the path, the
// weights cos(pi k (m + 1/2) / M) of term k at node m, and the power
// coefficients of each Chebyshev polynomial T_k, worked once.
struct FitTable {
  int nodes = 0;
  double fraction[CoverageSampler::kMaxFitNodes] = {};
  double weight[CoverageSampler::kMaxFitNodes][CoverageSampler::kMaxFitNodes] = {};
  double power[CoverageSampler::kMaxFitNodes][CoverageSampler::kMaxFitNodes] = {};  // T_k = sum power[k][j] t^j

  explicit FitTable(int m) : nodes(m) {
    for (int node = 0; node < m; ++node) {
      fraction[node] = (1.0 + std::cos(std::numbers::pi * (node + 0.5) / m)) / 2.0;
      for (int k = 0; k < m; ++k) weight[k][node] = std::cos(std::numbers::pi * k * (node + 0.5) / m);
    }
    // T_0 = 1, T_1 = t, T_k+1 = 2 t T_k - T_k-1: whole coefficients, exact.
    power[0][0] = 1.0;
    if (m > 1) power[1][1] = 1.0;
    for (int k = 1; k + 1 < m; ++k)
      for (int j = 0; j < m; ++j)
        power[k + 1][j] = (j > 0 ? 2.0 * power[k][j - 1] : 0.0) - power[k - 1][j];
  }
};

const FitTable& fitTable(int fitClass) {
  using S = CoverageSampler;
  static const FitTable tables[] = {FitTable(S::kFitClassNodes[0]), FitTable(S::kFitClassNodes[1]),
                                    FitTable(S::kFitClassNodes[2]), FitTable(S::kFitClassNodes[3]),
                                    FitTable(S::kFitClassNodes[4]), FitTable(S::kFitClassNodes[5]),
                                    FitTable(S::kFitClassNodes[6]), FitTable(S::kFitClassNodes[7])};
  static_assert(std::size(tables) == S::kFitClassNodes.size());
  return tables[fitClass];
}

// The polynomial with the M power coefficients c at t, by Horner's rule.
template <int M>
inline double horner(const double* c, double t) {
  double v = c[M - 1];
#pragma GCC unroll 16
  for (int j = M - 2; j >= 0; --j) v = v * t + c[j];
  return v;
}

// The fitted positions of the samples at dist[0..n-1]: offsets from the
// transmitter, small, so that nearly all the bits of the exact positions stay.
template <int M>
TARNVALE_CPU_CLONES void fittedPositions(const double* __restrict dist, int n, double scale, const double* fitLat,
                                         const double* fitLon, double txLatitude, double txLongitude,
                                         double* __restrict latitudes, double* __restrict longitudes) {
  double a[M], b[M];
  std::copy_n(fitLat, M, a);
  std::copy_n(fitLon, M, b);
  for (int i = 0; i < n; ++i) {
    const double t = dist[i] * scale - 1.0;
    latitudes[i] = txLatitude + horner<M>(a, t);
    longitudes[i] = txLongitude + horner<M>(b, t);
  }
}

// fittedPositions for a fit of @p nodes nodes, one of kFitClassNodes.
void fittedPositionsOf(int nodes, const double* dist, int n, double scale, const double* fitLat, const double* fitLon,
                       double txLatitude, double txLongitude, double* latitudes, double* longitudes) {
  static_assert(CoverageSampler::kFitClassNodes == std::array<int, 8>{4, 5, 6, 7, 8, 9, 10, 12});
  const auto run = [&](auto positions) {
    positions(dist, n, scale, fitLat, fitLon, txLatitude, txLongitude, latitudes, longitudes);
  };
  switch (nodes) {
    case 4: run(fittedPositions<4>); break;
    case 5: run(fittedPositions<5>); break;
    case 6: run(fittedPositions<6>); break;
    case 7: run(fittedPositions<7>); break;
    case 8: run(fittedPositions<8>); break;
    case 9: run(fittedPositions<9>); break;
    case 10: run(fittedPositions<10>); break;
    default: run(fittedPositions<12>); break;
  }
}

// The fit at @p t, with its highest unused coefficients 0: leading zeros
// leave Horner's rule exactly where a shorter one would be.
inline double fitAt(const std::array<double, CoverageSampler::kMaxFitNodes>& c, double t) {
  return horner<CoverageSampler::kMaxFitNodes>(c.data(), t);
}

// Where each fitted sample lies. A sample far enough from every line of tile
// nodes (kFitMargin node spacings, and in longitude pointAt's wavering
// besides) has the whole parts of its node coordinates, lat x 1200 and
// lon x 1200, the same as the store's quotients give, for the fitted and
// pointAt's point alike; its cell, its node in the
// cell's tile and its zone cell (whose edges lie on every twentieth node
// line) follow from those two whole numbers. Any other sample, and any off
// the map's range, is marked for its exact point. Written without branches,
// so that it vectorises.
TARNVALE_CPU_CLONES void locateFitted(const double* __restrict latitudes, const double* __restrict longitudes, int n,
                                      double txLongitude, double wavering, int zoneRow0, int zoneColumn0,
                                      int* __restrict cells, int* __restrict nodes, int* __restrict zoneCells) {
  constexpr double kMargin = CoverageSampler::kFitMargin;
  constexpr double kNodes = srtm::kSamplesPerDegree;
  constexpr double kZoneCellsPerNode = 1.0 / kNodesPerZoneCell;  // within 1e-16 of 1 / 20
  constexpr double kWindow = CoverageSampler::kZoneWindow;
  const double row0 = zoneRow0, column0 = zoneColumn0;
  for (int i = 0; i < n; ++i) {
    const double latitude = latitudes[i], longitude = longitudes[i];
    // A fitted path keeps within a degree or two of its ends; a point off the
    // map's range (over the antimeridian) is located all the same and then
    // marked. All of it in whole numbers held exactly as doubles.
    const bool inside = (latitude >= srtm::kMinLatitude) & (latitude < srtm::kMaxLatitude) &
                        (longitude >= srtm::kMinLongitude) & (longitude < srtm::kMaxLongitude);
    const double q = latitude * kNodes, p = longitude * kNodes;
    const double row = std::floor(q), column = std::floor(p);  // the node lines at or south-west of the sample
    // Distances (node spacings) to the nearest node lines; pointAt's point may
    // lie further off in longitude by its wavering, which falls as the
    // distance from the transmitter's meridian grows.
    const double qd = std::min(q - row, 1.0 - (q - row));
    const double pd = std::min(p - column, 1.0 - (p - column));
    const bool clear = inside & (qd >= kMargin) & ((pd - kMargin) * std::fabs(longitude - txLongitude) >= wavering);
    const double south = std::floor(latitude), west = std::floor(longitude);  // the cell, as node line `row` names it
    const double node = (srtm::kLastIndex - (row - south * kNodes)) * srtm::kTileEdge + (column - west * kNodes);
    const double cell = (south - srtm::kSouthmostCell) * srtm::kCellColumns + (west - srtm::kWestmostCell);
    cells[i] = clear ? static_cast<int>(cell) : kExact;
    nodes[i] = static_cast<int>(node);
    // Zone rows count from the North Pole, columns from 180 W; the products
    // by 1/20 of whole numbers below 2^18 fall on the right side of every
    // whole number.
    const double zoneRow = std::floor((kPoleNodes - 1 - row) * kZoneCellsPerNode) - row0;
    const double zoneColumn = std::floor((column + kAntimeridianNodes) * kZoneCellsPerNode) - column0;
    const bool inWindow = (zoneRow >= 0.0) & (zoneRow < kWindow) & (zoneColumn >= 0.0) & (zoneColumn < kWindow);
    const double zoneCell = zoneRow * kWindow + zoneColumn;
    zoneCells[i] = clear ? (inWindow ? static_cast<int>(zoneCell) : kZoneOutside) : kZoneSet;
  }
}

// CSRTMTILE::cellCorner, inline.
inline int cellCornerOf(double degrees) {
  return degrees >= 0.0 ? static_cast<int>(degrees) : static_cast<int>(degrees - 1.0);
}

// std::trunc for the magnitudes of node quotients within a tile, without a
// call into the maths library.
inline double truncated(double x) { return static_cast<double>(static_cast<std::int32_t>(x)); }

}  // namespace

CoverageSampler::CoverageSampler(const CSRTM& terrain, const CZONES& zones)
    : terrain_(terrain),
      zones_(zones),
      zonesOpen_(zones.isOpen()),
      zoneWindow_(static_cast<std::size_t>(kZoneWindow) * kZoneWindow, kUnknownZone),
      latitudes_(TerrainProfile::kCoveragePointLimit, 0.0),
      longitudes_(TerrainProfile::kCoveragePointLimit, 0.0),
      cells_(TerrainProfile::kCoveragePointLimit, kExact),
      nodes_(TerrainProfile::kCoveragePointLimit, 0),
      zoneCells_(TerrainProfile::kCoveragePointLimit, kZoneSet),
      raw_(TerrainProfile::kCoveragePointLimit, 0) {}

bool CoverageSampler::fit(double length, double lastKm, double txLatitude, double txLongitude) {
  int fitClass = 0;
  while (length > kFitClassKm[static_cast<std::size_t>(fitClass)]) ++fitClass;
  const FitTable& table = fitTable(fitClass);
  const int m = table.nodes;
  // Chebyshev coefficients of the offsets, then their power coefficients.
  double nodeLat[kMaxFitNodes] = {}, nodeLon[kMaxFitNodes] = {};
  for (int node = 0; node < m; ++node) {
    double lat = 0.0, lon = 0.0;
    path_.steadyPointAt(length * table.fraction[node], lat, lon);
    nodeLat[node] = lat - txLatitude;
    nodeLon[node] = lon - txLongitude;
  }
  fitLat_.fill(0.0);
  fitLon_.fill(0.0);
  for (int k = 0; k < m; ++k) {
    double a = 0.0, b = 0.0;
    for (int node = 0; node < m; ++node) {
      a += nodeLat[node] * table.weight[k][node];
      b += nodeLon[node] * table.weight[k][node];
    }
    // The series is c0 / 2 + sum c_k T_k.
    const double half = k == 0 ? 0.5 : 1.0;
    a *= half * 2.0 / m;
    b *= half * 2.0 / m;
    for (int j = 0; j <= k; ++j) {
      fitLat_[static_cast<std::size_t>(j)] += a * table.power[k][j];
      fitLon_[static_cast<std::size_t>(j)] += b * table.power[k][j];
    }
  }
  fitNodes_ = m;
  fitScale_ = 2.0 / length;
  double lat = 0.0, lon = 0.0;
  path_.steadyPointAt(lastKm, lat, lon);
  const double t = lastKm * fitScale_ - 1.0;
  return std::fabs(txLatitude + fitAt(fitLat_, t) - lat) <= kFitCheckDeg &&
         std::fabs(txLongitude + fitAt(fitLon_, t) - lon) <= kFitCheckDeg;
}

double CoverageSampler::wavering(double txLatitude, double rxLatitude) {
  // The greatest latitude a fitted path reaches lies less than a degree
  // beyond its ends'. pointAt's error in longitude (radians) times the sine
  // of the distance from the transmitter's meridian stays below
  // (5e-16 / (cos lat cos lat1) + 3.3e-16) (measured: below half of it), here
  // with room of kWaveringRoom and both cosines taken at the whole degree at
  // or above that greatest latitude, from a table; the sine is at least 0.9
  // times the angle for the 0.3 radian at most that a fitted path reaches.
  struct Table {
    double bound[91];
    Table() {
      constexpr double kDegToRad = std::numbers::pi / 180.0;
      for (int degree = 0; degree <= 90; ++degree) {
        const double cosine = std::cos(degree * kDegToRad);
        const double radians = kWaveringRoom * (kWaveringAcross / (cosine * cosine) + kWaveringFloor);
        // Radians x radians into node spacings x degrees.
        bound[degree] = radians / (kDegToRad * kDegToRad) * srtm::kSamplesPerDegree / 0.9;
      }
    }
  };
  static const Table table;
  const double highest = std::min(90.0, std::max(std::fabs(txLatitude), std::fabs(rxLatitude)) + 1.0);
  return table.bound[static_cast<int>(std::ceil(highest))];
}

void CoverageSampler::centreZoneWindow(double txLatitude, double txLongitude) {
  // Only the whole degrees matter: the window reaches kZoneWindow / 2 cells
  // (over 4 degrees) either way of the centre.
  if (!std::isfinite(txLatitude) || !std::isfinite(txLongitude) || std::fabs(txLatitude) > 90.0 ||
      std::fabs(txLongitude) > 360.0)
    return;
  const int row = static_cast<int>((90.0 - txLatitude) * kZoneCellsPerDegree);
  const int column = static_cast<int>((txLongitude + 180.0) * kZoneCellsPerDegree);
  const int row0 = row - kZoneWindow / 2, column0 = column - kZoneWindow / 2;
  if (zoneWindowSet_ && std::abs(row0 - zoneRow0_) <= kZoneWindow / 4 &&
      std::abs(column0 - zoneColumn0_) <= kZoneWindow / 4)
    return;
  std::fill(zoneWindow_.begin(), zoneWindow_.end(), kUnknownZone);
  zoneRow0_ = row0;
  zoneColumn0_ = column0;
  zoneWindowSet_ = true;
}

void CoverageSampler::placeExactly(int n, const double* dist, std::uint8_t* zoneCodes) {
  double* latitudes = latitudes_.data();
  double* longitudes = longitudes_.data();
  int* cells = cells_.data();
  int* nodes = nodes_.data();
  int* zoneCells = zoneCells_.data();
  for (int i = 0; i < n; ++i) {
    if (cells[i] != kExact) continue;
    double latitude = 0.0, longitude = 0.0;
    path_.pointAt(dist[i], latitude, longitude);
    latitudes[i] = latitude;
    longitudes[i] = longitude;
    zoneCodes[i] = zonesOpen_ ? zones_.zoneAt(latitude, longitude) : zones::kNoData;
    zoneCells[i] = kZoneSet;
    // The store's plain lookup: the cell the point names, the node at or
    // south-west of it by the store's own quotients, sea off the node grid.
    const bool inside = latitude >= srtm::kMinLatitude && latitude < srtm::kMaxLatitude &&
                        longitude >= srtm::kMinLongitude && longitude < srtm::kMaxLongitude;
    const int south = inside ? cellCornerOf(latitude) : 0;
    const int west = inside ? cellCornerOf(longitude) : 0;
    // An exact -90 or -180 names a cell beyond the map's edge: the store
    // answers it.
    if (!inside || south < srtm::kSouthmostCell || west < srtm::kWestmostCell) {
      cells[i] = kAskStore;
      continue;
    }
    cells[i] = (south - srtm::kSouthmostCell) * srtm::kCellColumns + (west - srtm::kWestmostCell);
    const double row = srtm::kLastIndex - truncated(std::fabs(south - latitude) / srtm::kSpacingDeg);
    const double column = truncated(std::fabs(west - longitude) / srtm::kSpacingDeg);
    nodes[i] = (row < 0 || row > srtm::kLastIndex || column < 0 || column > srtm::kLastIndex)
                   ? kSeaNode
                   : static_cast<int>(row) * srtm::kTileEdge + static_cast<int>(column);
  }
}

void CoverageSampler::lookUpZones(int n, std::uint8_t* zoneCodes) {
  const int* zoneCells = zoneCells_.data();
  std::uint8_t* window = zoneWindow_.data();
  if (!zonesOpen_) {
    for (int i = 0; i < n; ++i)
      if (zoneCells[i] != kZoneSet) zoneCodes[i] = zones::kNoData;
    return;
  }
  for (int i = 0; i < n; ++i) {
    const int cell = zoneCells[i];
    if (cell >= 0) {
      std::uint8_t code = window[cell];
      // Clear of the cell edges, the cell found from the node lines is the
      // one the zone map's own division finds, so its code serves every
      // later sample in it.
      if (code == kUnknownZone) window[cell] = code = zones_.zoneAt(latitudes_[i], longitudes_[i]);
      zoneCodes[i] = code;
    } else if (cell == kZoneOutside) {
      zoneCodes[i] = zones_.zoneAt(latitudes_[i], longitudes_[i]);
    }
  }
}

void CoverageSampler::readHeights(int n) {
  const int* cells = cells_.data();
  const int* nodes = nodes_.data();
  int* raw = raw_.data();
  for (int i = 0; i < n;) {
    const int cell = cells[i];
    if (cell == kAskStore) {
      raw[i] = terrain_.heightAt(latitudes_[i], longitudes_[i], false);
      ++i;
      continue;
    }
    int end = i + 1;
    while (end < n && cells[end] == cell) ++end;
    // The store loads the tile (or knows it is missing) and keeps its usage
    // scores, as its lookup of the run's first sample would; the run is read
    // before the store is asked for anything else, which might load another
    // tile over this one.
    const CSRTMTILE* tile =
        terrain_.cellTile(cell / srtm::kCellColumns + srtm::kSouthmostCell, cell % srtm::kCellColumns + srtm::kWestmostCell);
    if (!tile) {
      std::fill(raw + i, raw + end, srtm::kMissingValue);
    } else {
      for (int k = i; k < end; ++k) raw[k] = nodes[k] >= 0 ? tile->sampleAt(nodes[k]) : srtm::kSeaValue;
    }
    i = end;
  }
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
      profile.curvature.size() < capacity || latitudes_.size() < capacity)
    return false;

  profile.pathLength = length;
  profile.n = n;
  // Plain pointers: the zone codes are bytes, which may alias anything, so the
  // vectors' own pointers would be read again after every store.
  double* dist = profile.dist.data();
  double* heights = profile.height.data();
  double* curvature = profile.curvature.data();
  std::uint8_t* zoneCodes = profile.zone.data();
  for (int i = 0; i < n; ++i) dist[i] = i * spacing;

  centreZoneWindow(txLatitude, txLongitude);
  const bool fitted = length <= kFitMaxKm && n >= 2 && std::fabs(txLatitude) <= kFitMaxLatitude &&
                      std::fabs(rxLatitude) <= kFitMaxLatitude &&
                      fit(length, (n - 1) * spacing, txLatitude, txLongitude);
  (fitted ? fitted_ : exact_)++;
  if (fitted) {
    fittedPositionsOf(fitNodes_, dist, n, fitScale_, fitLat_.data(), fitLon_.data(), txLatitude, txLongitude,
                      latitudes_.data(), longitudes_.data());
    locateFitted(latitudes_.data(), longitudes_.data(), n, txLongitude, wavering(txLatitude, rxLatitude), zoneRow0_,
                 zoneColumn0_, cells_.data(), nodes_.data(), zoneCells_.data());
  } else {
    std::fill_n(cells_.begin(), n, kExact);
  }
  placeExactly(n, dist, zoneCodes);
  lookUpZones(n, zoneCodes);
  readHeights(n);

  double maxHeight = kNoHeight;
  const int* raw = raw_.data();
  for (int i = 0; i < n; ++i) {
    const int h = raw[i];
    heights[i] = (h == srtm::kSeaValue || h == srtm::kMissingValue) ? 0.0 : h;
    curvature[i] = 0.0;
    maxHeight = std::max(maxHeight, heights[i]);
  }
  profile.maxHeight = maxHeight;
  return true;
}

}  // namespace tarnvale
