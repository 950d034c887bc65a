#pragma once
// The sampled terrain profile of a path as `tarnvale-cli profile` prints it
// and the Python module's profile() returns it.
#include <string>
#include <vector>

#include "geo/Locator.h"
#include "terrain/MissingTiles.h"
#include "terrain/TerrainProfile.h"

namespace tarnvale {

/// What to sample.
struct PathProfileRequest {
  CLocator tx, rx;
  std::string terrain;   ///< directory of the tiles and zones01.dem
  std::string climate;   ///< directory of the radio-climate maps; empty: the working directory
  bool interpolate = false;
  bool coverage = false;  ///< a coverage point's sampling: at most 250 intervals, no interpolation
  /// Effective Earth-radius factor of the earth bulge; 0: the one the model
  /// would use (the climate at mid-path for a path run, delta-N 45 for a
  /// coverage point or without data).
  double k = 0.0;
};

/// The profile and what the run met on the way.
struct PathProfile {
  bool sampled = false;  ///< false: the path is shorter than 0.1 km
  double k = 0.0;        ///< the factor used
  TerrainProfile profile;
  std::vector<MissingTile> missingTiles;  ///< tiles the lookups needed and did not find
  std::string terrainDirectory;           ///< as the store was given it, for their texts
  std::string zoneProblem;                ///< a damaged zone map, or empty
};

/// Samples the path of @p request as the model does. Never throws.
PathProfile SamplePathProfile(const PathProfileRequest& request);

}  // namespace tarnvale
