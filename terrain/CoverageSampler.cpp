#include "terrain/CoverageSampler.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <numbers>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "terrain/ProfileSampler.h"

namespace tarnvale {

namespace {

// Chebyshev series of the latitude and longitude offsets along a path over
// [0, L], fitted at M nodes of the first kind, evaluated together so that the
// two recurrences overlap.
template <int M>
struct Series {
  std::array<double, M> lat{};
  std::array<double, M> lon{};
  double scale = 0.0;  // 2 / L

  // t in [-1, 1] for distance d; Clenshaw's recurrence.
  void at(double d, double& dLat, double& dLon) const {
    const double t = d * scale - 1.0;
    const double t2 = 2.0 * t;
    double a1 = 0.0, a2 = 0.0, b1 = 0.0, b2 = 0.0;
#pragma GCC unroll 8
    for (int k = M - 1; k >= 1; --k) {
      const double a = t2 * a1 - a2 + lat[k];
      const double b = t2 * b1 - b2 + lon[k];
      a2 = a1;
      a1 = a;
      b2 = b1;
      b1 = b;
    }
    dLat = t * a1 - a2 + 0.5 * lat[0];
    dLon = t * b1 - b2 + 0.5 * lon[0];
  }
};

// cos(pi k (m + 1/2) / M) for term k and node m, and the nodes' positions
// (1 + cos(pi (m + 1/2) / M)) / 2 as fractions of the path, worked once.
template <int M>
struct ChebyshevTable {
  double weight[M][M];
  double fraction[M];
  ChebyshevTable() {
    for (int m = 0; m < M; ++m) {
      fraction[m] = (1.0 + std::cos(std::numbers::pi * (m + 0.5) / M)) / 2.0;
      for (int k = 0; k < M; ++k) weight[k][m] = std::cos(std::numbers::pi * k * (m + 0.5) / M);
    }
  }
};
template <int M>
const ChebyshevTable<M>& chebyshev() {
  static const ChebyshevTable<M> table;
  return table;
}

// Fits @p series to the exact points of @p path (of @p length km) and checks
// it at @p lastKm, where it is furthest from the nodes' middle. Offsets from
// the transmitter are fitted: they are small, so the fit keeps nearly all the
// bits of the exact positions.
template <int M>
bool fitPath(const CPath& path, double length, double lastKm, double txLatitude, double txLongitude,
             Series<M>& series) {
  const ChebyshevTable<M>& table = chebyshev<M>();
  std::array<double, M> nodeLat{}, nodeLon{};
  for (int node = 0; node < M; ++node) {
    double lat = 0.0, lon = 0.0;
    path.pointAt(length * table.fraction[node], lat, lon);
    nodeLat[node] = lat - txLatitude;
    nodeLon[node] = lon - txLongitude;
  }
  for (int k = 0; k < M; ++k) {
    double a = 0.0, b = 0.0;
    for (int node = 0; node < M; ++node) {
      a += nodeLat[node] * table.weight[k][node];
      b += nodeLon[node] * table.weight[k][node];
    }
    series.lat[k] = 2.0 * a / M;
    series.lon[k] = 2.0 * b / M;
  }
  series.scale = 2.0 / length;
  double lat = 0.0, lon = 0.0, dLat = 0.0, dLon = 0.0;
  path.pointAt(lastKm, lat, lon);
  series.at(lastKm, dLat, dLon);
  return std::fabs(txLatitude + dLat - lat) <= CoverageSampler::kFitCheckDeg &&
         std::fabs(txLongitude + dLon - lon) <= CoverageSampler::kFitCheckDeg;
}

// std::trunc for the magnitudes of map coordinates (|x| < 2^31), without a
// call into the maths library on processors that have no rounding instruction
// in their baseline set: the conversion to an integer truncates the same way.
inline double truncated(double x) { return static_cast<double>(static_cast<std::int32_t>(x)); }
inline bool small(double x) { return std::fabs(x) < 1e9; }

// Zone map cells per degree (one arc-minute).
constexpr double kCellsPerDegree = 60.0;

// CSRTMTILE::cellCorner, inline.
inline int cellCornerOf(double degrees) {
  return degrees >= 0.0 ? static_cast<int>(degrees) : static_cast<int>(degrees - 1.0);
}

// True when @p degrees lies at least kNodeLineMargin samples from every line
// of tile nodes. Written without branches, so that it vectorises.
inline bool clearOfNodeLines(double degrees) {
  const double q = degrees * srtm::kSamplesPerDegree;
  const bool inRange = small(q);
  const double fraction = std::fabs(q - truncated(inRange ? q : 0.0));
  return inRange & (fraction >= CoverageSampler::kNodeLineMargin) &
         (fraction <= 1.0 - CoverageSampler::kNodeLineMargin);
}

// The fitted positions of the samples at @p dist[0..n-1].
template <int M>
void positions(const Series<M>& series, const double* __restrict dist, int n, double txLatitude, double txLongitude,
               double* __restrict latitudes, double* __restrict longitudes) {
  for (int i = 0; i < n; ++i) {
    double dLat = 0.0, dLon = 0.0;
    series.at(dist[i], dLat, dLon);
    latitudes[i] = txLatitude + dLat;
    longitudes[i] = txLongitude + dLon;
  }
}

// Where each sample lies, worked out for all samples before any is looked up.
struct SampleCells {
  std::uint8_t* clear;  // 1: clear of the node lines, so products stand for quotients
  int* cellSouth;       // its 1-degree cell
  int* cellWest;
  int* node;            // row * 1201 + column in the tile of that cell, or a marker
  int* zoneCell;        // arc-minute zone cell, as CoverageSampler::zone takes it
};

// One sample of locateSamples. The node is the one CoverageSampler::nodeIndex
// finds from products, kAskStore off the tiles' range and kSeaNode off the
// node grid; the zone cell is -1 for a sample that is not clear or lies off
// the zone map's open interior.
inline void locateSample(double latitude, double longitude, bool fit, const SampleCells& out, int i) {
  const bool clear = fit & clearOfNodeLines(latitude) & clearOfNodeLines(longitude);
  out.clear[i] = clear ? 1 : 0;

  const bool inside = (latitude >= srtm::kMinLatitude) & (latitude < srtm::kMaxLatitude) &
                      (longitude >= srtm::kMinLongitude) & (longitude < srtm::kMaxLongitude);
  // Points outside are never converted: the store answers them.
  const double lat = inside ? latitude : 0.0;
  const double lon = inside ? longitude : 0.0;
  // cellCornerOf, one conversion of a chosen value.
  const int south = static_cast<int>(lat >= 0.0 ? lat : lat - 1.0);
  const int west = static_cast<int>(lon >= 0.0 ? lon : lon - 1.0);
  const double row = srtm::kLastIndex - truncated((lat - south) * srtm::kSamplesPerDegree);
  const double column = truncated((lon - west) * srtm::kSamplesPerDegree);
  const bool onGrid = (row >= 0) & (row <= srtm::kLastIndex) & (column >= 0) & (column <= srtm::kLastIndex);
  const int node = static_cast<int>(onGrid ? row : 0.0) * srtm::kTileEdge + static_cast<int>(onGrid ? column : 0.0);
  out.cellSouth[i] = south;
  out.cellWest[i] = west;
  out.node[i] = inside ? (onGrid ? node : CoverageSampler::kSeaNode) : CoverageSampler::kAskStore;

  const bool onZoneMap = clear & (latitude > -zones::kMaxLatitude) & (latitude < zones::kMaxLatitude) &
                         (longitude > -zones::kMaxLongitude) & (longitude < zones::kMaxLongitude);
  const double zoneLat = onZoneMap ? latitude : 0.0;
  const double zoneLon = onZoneMap ? longitude : 0.0;
  const int zoneRow = static_cast<int>((zones::kMaxLatitude - zoneLat) * kCellsPerDegree);
  const int zoneColumn = static_cast<int>((zoneLon + zones::kMaxLongitude) * kCellsPerDegree);
  out.zoneCell[i] = onZoneMap ? zoneRow * zones::kColumns + zoneColumn : -1;
}

#if defined(__SSE2__)
// locateSample for two samples at once, with the same operations in the same
// order: every quantity is a whole number or a product, sum or difference
// that rounds as the scalar one does.
struct PairLocator {
  const __m128d zero = _mm_setzero_pd();
  const __m128d one = _mm_set1_pd(1.0);
  const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffffLL));
  const __m128d samplesPerDegree = _mm_set1_pd(srtm::kSamplesPerDegree);
  const __m128d lastIndex = _mm_set1_pd(srtm::kLastIndex);
  const __m128d tileEdge = _mm_set1_pd(srtm::kTileEdge);
  const __m128d smallLimit = _mm_set1_pd(1e9);
  const __m128d marginLow = _mm_set1_pd(CoverageSampler::kNodeLineMargin);
  const __m128d marginHigh = _mm_set1_pd(1.0 - CoverageSampler::kNodeLineMargin);
  const __m128d minLat = _mm_set1_pd(srtm::kMinLatitude), maxLat = _mm_set1_pd(srtm::kMaxLatitude);
  const __m128d minLon = _mm_set1_pd(srtm::kMinLongitude), maxLon = _mm_set1_pd(srtm::kMaxLongitude);
  const __m128d zoneLatLimit = _mm_set1_pd(zones::kMaxLatitude), zoneLonLimit = _mm_set1_pd(zones::kMaxLongitude);
  const __m128d cellsPerDegree = _mm_set1_pd(kCellsPerDegree);
  const __m128d zoneColumns = _mm_set1_pd(zones::kColumns);

  static __m128d select(__m128d mask, __m128d a, __m128d b) {
    return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b));
  }
  // Whole-number truncation of values known to lie within int range.
  static __m128d truncate(__m128d x) { return _mm_cvtepi32_pd(_mm_cvttpd_epi32(x)); }
  // The two 64-bit lane masks as the two low 32-bit lanes.
  static __m128i narrow(__m128d mask) { return _mm_shuffle_epi32(_mm_castpd_si128(mask), _MM_SHUFFLE(0, 0, 2, 0)); }
  static __m128i selectInt(__m128i mask, __m128i a, __m128i b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
  }
  static void store2(int* to, __m128i v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(to), v); }

  __m128d clearOfNodeLines(__m128d degrees) const {
    const __m128d q = _mm_mul_pd(degrees, samplesPerDegree);
    const __m128d inRange = _mm_cmplt_pd(_mm_and_pd(q, absMask), smallLimit);
    const __m128d fraction = _mm_and_pd(_mm_sub_pd(q, truncate(_mm_and_pd(inRange, q))), absMask);
    return _mm_and_pd(inRange, _mm_and_pd(_mm_cmpge_pd(fraction, marginLow), _mm_cmple_pd(fraction, marginHigh)));
  }

  void locate(const double* latitudes, const double* longitudes, bool fit, const SampleCells& out, int i) const {
    const __m128d latitude = _mm_loadu_pd(latitudes + i), longitude = _mm_loadu_pd(longitudes + i);

    const __m128d clear = fit ? _mm_and_pd(clearOfNodeLines(latitude), clearOfNodeLines(longitude)) : zero;
    const int clearBits = _mm_movemask_pd(clear);
    out.clear[i] = static_cast<std::uint8_t>(clearBits & 1);
    out.clear[i + 1] = static_cast<std::uint8_t>(clearBits >> 1);

    const __m128d inside = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(latitude, minLat), _mm_cmplt_pd(latitude, maxLat)),
                                      _mm_and_pd(_mm_cmpge_pd(longitude, minLon), _mm_cmplt_pd(longitude, maxLon)));
    const __m128d lat = _mm_and_pd(inside, latitude);  // +0.0 outside
    const __m128d lon = _mm_and_pd(inside, longitude);
    const __m128d south = truncate(select(_mm_cmpge_pd(lat, zero), lat, _mm_sub_pd(lat, one)));
    const __m128d west = truncate(select(_mm_cmpge_pd(lon, zero), lon, _mm_sub_pd(lon, one)));
    const __m128d row = _mm_sub_pd(lastIndex, truncate(_mm_mul_pd(_mm_sub_pd(lat, south), samplesPerDegree)));
    const __m128d column = truncate(_mm_mul_pd(_mm_sub_pd(lon, west), samplesPerDegree));
    const __m128d onGrid = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(row, zero), _mm_cmple_pd(row, lastIndex)),
                                      _mm_and_pd(_mm_cmpge_pd(column, zero), _mm_cmple_pd(column, lastIndex)));
    // Exact: row * 1201 + column stays below 2^21.
    const __m128i node = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(row, tileEdge), column));
    store2(out.cellSouth + i, _mm_cvttpd_epi32(south));
    store2(out.cellWest + i, _mm_cvttpd_epi32(west));
    store2(out.node + i,
           selectInt(narrow(inside),
                     selectInt(narrow(onGrid), node, _mm_set1_epi32(CoverageSampler::kSeaNode)),
                     _mm_set1_epi32(CoverageSampler::kAskStore)));

    const __m128d onZoneMap = _mm_and_pd(
        clear, _mm_and_pd(_mm_and_pd(_mm_cmpgt_pd(latitude, _mm_sub_pd(zero, zoneLatLimit)),
                                     _mm_cmplt_pd(latitude, zoneLatLimit)),
                          _mm_and_pd(_mm_cmpgt_pd(longitude, _mm_sub_pd(zero, zoneLonLimit)),
                                     _mm_cmplt_pd(longitude, zoneLonLimit))));
    const __m128d zoneLat = _mm_and_pd(onZoneMap, latitude);
    const __m128d zoneLon = _mm_and_pd(onZoneMap, longitude);
    const __m128d zoneRow = truncate(_mm_mul_pd(_mm_sub_pd(zoneLatLimit, zoneLat), cellsPerDegree));
    const __m128d zoneColumn = truncate(_mm_mul_pd(_mm_add_pd(zoneLon, zoneLonLimit), cellsPerDegree));
    // Exact: row * 21600 + column stays below 2^28.
    const __m128i cell = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(zoneRow, zoneColumns), zoneColumn));
    store2(out.zoneCell + i, selectInt(narrow(onZoneMap), cell, _mm_set1_epi32(-1)));
  }
};
#endif

// Locates every sample (see locateSample); on x86-64 two at a time, which the
// compiler does not do by itself for this mix of masks and conversions.
void locateSamples(const double* __restrict latitudes, const double* __restrict longitudes, int n, bool fit,
                   const SampleCells& out) {
  int i = 0;
#if defined(__SSE2__)
  const PairLocator pair;
  for (; i + 1 < n; i += 2) pair.locate(latitudes, longitudes, fit, out, i);
#endif
  for (; i < n; ++i) locateSample(latitudes[i], longitudes[i], fit, out, i);
}

}  // namespace

CoverageSampler::CoverageSampler(const CSRTM& terrain, const CZONES& zones)
    : terrain_(terrain),
      zones_(zones),
      zonesOpen_(zones.isOpen()),
      latitudes_(TerrainProfile::kCoveragePointLimit, 0.0),
      longitudes_(TerrainProfile::kCoveragePointLimit, 0.0),
      clear_(TerrainProfile::kCoveragePointLimit, 0),
      nodes_(TerrainProfile::kCoveragePointLimit, 0),
      cellSouths_(TerrainProfile::kCoveragePointLimit, 0),
      cellWests_(TerrainProfile::kCoveragePointLimit, 0),
      zoneCells_(TerrainProfile::kCoveragePointLimit, -1),
      raw_(TerrainProfile::kCoveragePointLimit, 0) {}

std::uint8_t CoverageSampler::zone(double latitude, double longitude, int cell) {
  if (!zonesOpen_) return zones::kNoData;
  if (cell < 0) return zones_.zoneAt(latitude, longitude);
  // Clear of the cell edges, the cell found by multiplying is the one the
  // zone map's own division finds, so it can key the answer.
  ZoneEntry& entry = zoneCache_[static_cast<std::size_t>(cell) & (kZoneCacheSize - 1)];
  if (entry.cell != cell) {
    entry.cell = cell;
    entry.code = zones_.zoneAt(latitude, longitude);
  }
  return entry.code;
}

int CoverageSampler::nodeIndex(double latitude, double longitude, bool clearOfLines) const {
  // The plain lookup of CSRTM, without its slot scan while the point stays in
  // the tile of the previous sample.
  const bool inside = latitude >= srtm::kMinLatitude && latitude < srtm::kMaxLatitude &&
                      longitude >= srtm::kMinLongitude && longitude < srtm::kMaxLongitude;
  if (!inside || !tile_) return kAskStore;
  const int south = cellCornerOf(latitude);
  const int west = cellCornerOf(longitude);
  if (south != cellSouth_ || west != cellWest_ || !tile_->holdsCell(south, west)) return kAskStore;
  // Inside the tile both quotients lie between 0 and about 1201. Clear of the
  // node lines a product gives the same whole part as the store's quotient.
  double i = 0.0, j = 0.0;
  if (clearOfLines) {
    i = truncated((latitude - tile_->south()) * srtm::kSamplesPerDegree);
    j = truncated((longitude - tile_->west()) * srtm::kSamplesPerDegree);
  } else {
    i = truncated(std::fabs(tile_->south() - latitude) / srtm::kSpacingDeg);
    j = truncated(std::fabs(tile_->west() - longitude) / srtm::kSpacingDeg);
  }
  const double row = srtm::kLastIndex - i;
  if (row < 0 || row > srtm::kLastIndex || j < 0 || j > srtm::kLastIndex) return kSeaNode;
  return static_cast<int>(row) * srtm::kTileEdge + static_cast<int>(j);
}

int CoverageSampler::storeHeight(double latitude, double longitude) {
  // The store's own lookup loads the tile and keeps the usage scores; the
  // tile that answered becomes the one the next samples are read from.
  const int h = terrain_.heightAt(latitude, longitude, false);
  const bool inside = latitude >= srtm::kMinLatitude && latitude < srtm::kMaxLatitude &&
                      longitude >= srtm::kMinLongitude && longitude < srtm::kMaxLongitude;
  if (!inside) return h;
  const int south = cellCornerOf(latitude);
  const int west = cellCornerOf(longitude);
  tile_ = terrain_.heldTile(south, west);
  cellSouth_ = south;
  cellWest_ = west;
  return h;
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

  // Short paths take the smaller fit.
  Series<kShortFitNodes> shortSeries;
  Series<kFitNodes> longSeries;
  int nodes = 0;
  if (length <= kFitMaxKm && n >= 2) {
    const double last = (n - 1) * spacing;
    if (length <= kShortFitMaxKm) {
      if (fitPath(path_, length, last, txLatitude, txLongitude, shortSeries)) nodes = kShortFitNodes;
    } else if (fitPath(path_, length, last, txLatitude, txLongitude, longSeries)) {
      nodes = kFitNodes;
    }
  }
  const bool fit = nodes > 0;
  (fit ? fitted_ : exact_)++;

  profile.pathLength = length;
  profile.n = n;
  // Plain pointers: the zone codes are bytes, which may alias anything, so the
  // vectors' own pointers would be read again after every store.
  double* dist = profile.dist.data();
  double* heights = profile.height.data();
  double* curvature = profile.curvature.data();
  std::uint8_t* zoneCodes = profile.zone.data();
  // First the positions and whether each is clear of the node lines, in
  // loops free of calls that the compiler turns into vector arithmetic; then
  // the lookups, which wait on memory.
  double* latitudes = latitudes_.data();
  double* longitudes = longitudes_.data();
  std::uint8_t* clear = clear_.data();
  for (int i = 0; i < n; ++i) dist[i] = i * spacing;
  if (nodes == kShortFitNodes)
    positions(shortSeries, dist, n, txLatitude, txLongitude, latitudes, longitudes);
  else if (nodes == kFitNodes)
    positions(longSeries, dist, n, txLatitude, txLongitude, latitudes, longitudes);
  // Heights in the tile of the previous sample are first only located, and
  // read together afterwards: a run of independent loads the processor can
  // overlap. The ones located are read before the store is asked for
  // another point, as that may load a tile over the one they are in.
  int* node = nodes_.data();
  int* raw = raw_.data();
  int located = 0;  // samples before this hold their heights in raw
  const auto readLocated = [&](int end) {
    for (int k = located; k < end; ++k)
      if (node[k] >= 0) raw[k] = tile_->sampleAt(node[k]);
    located = end;
  };
  int* cellSouths = cellSouths_.data();
  int* cellWests = cellWests_.data();
  int* zoneCells = zoneCells_.data();
  // Near a line of tile nodes (which holds every zone cell edge too) the
  // fitted point could fall on the other side of it than the exact one.
  locateSamples(latitudes, longitudes, n, fit, SampleCells{clear, cellSouths, cellWests, node, zoneCells});
  for (int i = 0; i < n; ++i) {
    double latitude = latitudes[i], longitude = longitudes[i];
    if (!clear[i]) path_.pointAt(dist[i], latitude, longitude);
    zoneCodes[i] = zone(latitude, longitude, zoneCells[i]);
    if (!clear[i])
      node[i] = nodeIndex(latitude, longitude, false);
    else if (node[i] != kAskStore &&
             !(tile_ && cellSouths[i] == cellSouth_ && cellWests[i] == cellWest_ && tile_->holdsCell(cellSouth_, cellWest_)))
      node[i] = kAskStore;
    if (node[i] == kSeaNode) {
      raw[i] = srtm::kSeaValue;
    } else if (node[i] == kAskStore) {
      readLocated(i);
      raw[i] = storeHeight(latitude, longitude);
      located = i + 1;
    }
  }
  readLocated(n);
  double maxHeight = kNoHeight;
  const int sea = terrain_.seaValue();
  const int missing = terrain_.missingValue();
  for (int i = 0; i < n; ++i) {
    const int h = raw[i];
    heights[i] = (h == sea || h == missing) ? 0.0 : h;
    curvature[i] = 0.0;
    if (heights[i] > maxHeight) maxHeight = heights[i];
  }
  profile.maxHeight = maxHeight;
  return true;
}

}  // namespace tarnvale
