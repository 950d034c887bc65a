#pragma once
// The profile of one coverage point, sampled faster than the general sampler
// with the same samples: the great circle is evaluated by a polynomial fitted
// to exact points of the path, samples are located by whole-number arithmetic
// on their node indices, and heights are read straight from the tiles.
#include <array>
#include <cstdint>
#include <vector>

#include "climate/Zones.h"
#include "geo/Path.h"
#include "terrain/Srtm.h"
#include "terrain/TerrainProfile.h"

namespace tarnvale {

/// Samples coverage-run profiles (at most 250 samples, no interpolation, no
/// bulge) as SampleProfile does with its coverage flag, for paths of any
/// length, with the same heights and zone codes.
///
/// Positions along paths up to kFitMaxKm come from a polynomial fitted at
/// Chebyshev nodes to points of the path's great circle
/// (CPath::steadyPointAt), with more nodes for longer paths (kFitClassKm,
/// kFitClassNodes); it agrees with them to about 1e-13 degree (checked on
/// every path at the last sample, falling back to pointAt beyond
/// kFitCheckDeg). pointAt's latitudes are those points' own; its longitudes
/// waver about them by up to about 3e-8 radian close to the transmitter's
/// meridian (the arc cosine near 1), falling as the inverse of the distance
/// from it. A sample is placed by pointAt itself wherever the two could pick
/// different nodes: within kFitMargin node spacings of a line of tile
/// nodes, or in longitude within that and the wavering's bound (with room
/// kWaveringRoom). That leaves the samples of a path along a line of nodes
/// and those near the transmitter, when it lies on a line itself. Paths with
/// an end beyond kFitMaxLatitude are sampled with pointAt throughout.
///
/// Borrows the store and the zone map; one sampler per thread, as the store
/// is not thread-safe. The zone map is only read, so several samplers may
/// share it once it is open: make one lookup before constructing them. A zone
/// map that is not open then is taken as absent (every code zones::kNoData)
/// rather than tried again at every sample.
///
/// Memory: about 300 kB, most of it the zone codes of the arc-minute cells
/// within about 4 degrees of the transmitter, kept as they are looked up
/// (paths from one transmitter cross the same cells again and again).
class CoverageSampler {
 public:
  /// Longest fitted paths (km) of each class, and the nodes of its fit:
  /// the error left is below 1e-10 degree at every sample of the class's
  /// longest paths.
  static constexpr std::array<double, 8> kFitClassKm = {5.0, 30.0, 60.0, 150.0, 200.0, 300.0, 450.0, 600.0};
  static constexpr std::array<int, 8> kFitClassNodes = {4, 5, 6, 7, 8, 9, 10, 12};
  static constexpr int kMaxFitNodes = 12;
  /// Paths longer than this (km) are sampled with exact pointAt calls.
  static constexpr double kFitMaxKm = 600.0;
  /// Paths with an end further from the equator than this (degrees) are
  /// sampled with exact pointAt calls: towards the poles pointAt's wavering
  /// grows without bound.
  static constexpr double kFitMaxLatitude = 65.0;
  /// Largest difference from the path's points (degrees) the fit may show at
  /// its check.
  static constexpr double kFitCheckDeg = 1e-10;
  /// Distance from a line of tile nodes (in node spacings, 1/1200 degree)
  /// inside which a sample is placed by pointAt whatever its longitude:
  /// 1e-4, about 8e-8 degree, 800 times the fit's largest error.
  static constexpr double kFitMargin = 1e-4;
  /// pointAt's error in longitude (radians) times the sine of the distance
  /// from the transmitter's meridian stays below kWaveringAcross / (cos lat
  /// cos lat1) + kWaveringFloor; the sampler allows kWaveringRoom times that.
  static constexpr double kWaveringAcross = 5e-16;
  static constexpr double kWaveringFloor = 3.3e-16;
  static constexpr double kWaveringRoom = 8.0;
  /// Arc-minute zone cells kept around the transmitter, along each side.
  static constexpr int kZoneWindow = 512;

  CoverageSampler(const CSRTM& terrain, const CZONES& zones);

  /// Fills @p profile for the path from (txLatitude, txLongitude) to
  /// (rxLatitude, rxLongitude) (degrees) with effective earth-radius factor
  /// @p k. Same result and failure rules as SampleProfile with coverage true.
  bool sample(TerrainProfile& profile, double txLatitude, double txLongitude, double rxLatitude, double rxLongitude,
              double k);

  /// Paths sampled with the fit and with exact points since construction.
  long long fittedPaths() const { return fitted_; }
  long long exactPaths() const { return exact_; }

 private:
  /// Fits the path's offsets from the transmitter, as polynomials in the
  /// distance scaled onto [-1, 1], and checks the fit at @p lastKm.
  bool fit(double length, double lastKm, double txLatitude, double txLongitude);
  /// Places the samples marked exact by pointAt and locates them as the
  /// store's plain lookup does, with their zone codes.
  void placeExactly(int n, const double* dist, std::uint8_t* zoneCodes);
  /// Zone codes of the samples located clear of the cell edges.
  void lookUpZones(int n, std::uint8_t* zoneCodes);
  /// The stored heights of every sample, run by run of samples in one cell.
  void readHeights(int n);
  /// Centres the zone window on the transmitter's cell when it lies far from
  /// the window's centre, forgetting the codes kept.
  void centreZoneWindow(double txLatitude, double txLongitude);
  /// The bound on pointAt's wavering in longitude of a fitted path, as node
  /// spacings times degrees of distance from the transmitter's meridian.
  static double wavering(double txLatitude, double rxLatitude);

  const CSRTM& terrain_;
  const CZONES& zones_;
  const bool zonesOpen_;
  CPath path_;
  long long fitted_ = 0, exact_ = 0;
  // The fit: its nodes, the coefficients of the powers of the scaled
  // distance, and the scale 2 / L.
  int fitNodes_ = 0;
  std::array<double, kMaxFitNodes> fitLat_{}, fitLon_{};
  double fitScale_ = 0.0;
  // Zone codes of the window's cells (kUnknownZone until looked up), and the
  // arc-minute row and column of its first cell.
  std::vector<std::uint8_t> zoneWindow_;
  int zoneRow0_ = 0, zoneColumn0_ = 0;
  bool zoneWindowSet_ = false;
  // Per-sample working values: the position; the cell's flag index (or a
  // marker) and the node in its tile; the zone window index (or a marker);
  // the stored height.
  std::vector<double> latitudes_, longitudes_;
  std::vector<int> cells_, nodes_, zoneCells_, raw_;
};

}  // namespace tarnvale
