#pragma once
// The sampled path held by the propagation model: equally spaced points from
// the transmitter towards the receiver.
#include <cstdint>
#include <vector>

namespace tarnvale {

struct TerrainProfile {
  /// Capacity of every per-sample array; allocated once and reused, so a
  /// coverage run allocates nothing per point.
  static constexpr int kCapacity = 1000;
  /// Most samples of a point-to-point run and of one coverage point.
  static constexpr int kPathPointLimit = 999;
  static constexpr int kCoveragePointLimit = 250;

  TerrainProfile() : dist(kCapacity, 0.0), height(kCapacity, 0.0), zone(kCapacity, 0), curvature(kCapacity, 0.0) {}

  int n = 0;                    ///< samples in use
  double pathLength = 0.0;      ///< great-circle length L (km)
  std::vector<double> dist;     ///< km from the transmitter
  std::vector<double> height;   ///< ground height (m amsl); sea and missing data are 0
  std::vector<std::uint8_t> zone;  ///< radio-climatic zone code of each sample
  std::vector<double> curvature;   ///< earth bulge above the chord between the ends (m)
  double maxHeight = 0.0;       ///< highest sample height (m), -9999 before the first sample
  double midBulge = 0.0;        ///< earth bulge at mid-path (m), point-to-point runs only
};

}  // namespace tarnvale
