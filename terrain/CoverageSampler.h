#pragma once
// The profile of one coverage point, sampled faster than the general sampler
// with the same samples: the great circle is evaluated by a polynomial fitted
// to exact points of the path, and heights are read straight from the tile
// the previous sample used.
#include <cstdint>
#include <vector>

#include "climate/Zones.h"
#include "geo/Path.h"
#include "terrain/Srtm.h"
#include "terrain/TerrainProfile.h"

namespace tarnvale {

/// Samples coverage-run profiles (at most 250 samples, no interpolation, no
/// bulge) as SampleProfile does with its coverage flag, for paths of any
/// length, with the same heights and zone codes. Positions along paths up to
/// kFitMaxKm come from a Chebyshev polynomial of degree 3 or 5 fitted to exact
/// CPath::pointAt points; it agrees with pointAt to about 1e-13 degree
/// (checked on every path at the last sample, falling back to pointAt beyond
/// 1e-10 degree). pointAt itself wavers by up to about 2e-6 degree in
/// longitude on paths close to a meridian (the arc cosine near 1), so every
/// sample within kNodeLineMargin of a line of tile nodes, where the two could
/// pick different nodes, takes the exact point instead; about one sample in
/// a hundred.
///
/// Borrows the store and the zone map; one sampler per thread, as the store
/// is not thread-safe. The zone map is only read, so several samplers may
/// share it once it is open: make one lookup before constructing them. A zone
/// map that is not open then is taken as absent (every code
/// zones::kNoData) rather than tried again at every sample.
class CoverageSampler {
 public:
  /// Paths longer than this (km) are sampled with exact pointAt calls.
  static constexpr double kFitMaxKm = 60.0;
  /// Nodes of the fitted polynomial: degree 5 leaves an error of about 1e-13
  /// degree at 60 km; paths up to kShortFitMaxKm take degree 3, which leaves
  /// about 1e-12 degree at 30 km and 1e-14 at 15 km.
  static constexpr int kFitNodes = 6;
  static constexpr int kShortFitNodes = 4;
  static constexpr double kShortFitMaxKm = 30.0;
  /// Largest difference from pointAt (degrees) the fit may show at its check.
  static constexpr double kFitCheckDeg = 1e-10;
  /// Distance from a line of tile nodes (in node spacings, 1/1200 degree)
  /// inside which a sample is placed by pointAt: 5e-3, about 4e-6 degree.
  static constexpr double kNodeLineMargin = 5e-3;

  /// Where a sample's height comes from when it is not a node of the current
  /// tile: the store, or sea (a point off the node grid, as the store reads it).
  static constexpr int kAskStore = -1;
  static constexpr int kSeaNode = -2;

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
  /// @param clearOfLines the point lies at least kNodeLineMargin from every
  ///        line of tile nodes, so products may stand for the quotients
  int nodeIndex(double latitude, double longitude, bool clearOfLines) const;
  /// The height CSRTM gives; the tile holding the point becomes the current one.
  int storeHeight(double latitude, double longitude);
  /// Zone code at a point; @p cell is its arc-minute cell (row * columns +
  /// column, found by products) when the point lies clear of the cell edges,
  /// otherwise -1.
  std::uint8_t zone(double latitude, double longitude, int cell);

  const CSRTM& terrain_;
  const CZONES& zones_;
  const bool zonesOpen_;
  CPath path_;
  // The tile of the previous sample: its cell and the slot holding it.
  int cellSouth_ = 0, cellWest_ = 0;
  const CSRTMTILE* tile_ = nullptr;
  // Codes of the zone cells looked up clear of their edges, by cell; a map
  // covers a few hundred cells, and paths from one transmitter cross the
  // same ones again and again.
  struct ZoneEntry {
    int cell = -1;
    std::uint8_t code = zones::kNoData;
  };
  static constexpr int kZoneCacheSize = 1024;  // a power of two
  std::vector<ZoneEntry> zoneCache_ = std::vector<ZoneEntry>(kZoneCacheSize);
  long long fitted_ = 0, exact_ = 0;
  // Per-sample working values: the fitted positions and whether each lies
  // clear of the node lines.
  std::vector<double> latitudes_, longitudes_;
  std::vector<std::uint8_t> clear_;
  // Per-sample node of the current tile (row * 1201 + column, or one of the
  // markers above), the 1-degree cell it was found in, and the stored height
  // read there.
  std::vector<int> nodes_;
  std::vector<int> cellSouths_, cellWests_;
  // Per-sample zone cell, as zone() takes it.
  std::vector<int> zoneCells_;
  std::vector<int> raw_;
};

}  // namespace tarnvale
