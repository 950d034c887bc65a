#include "session/PathProfile.h"

#include "climate/Refractivity.h"
#include "climate/Zones.h"
#include "geo/Path.h"
#include "model/ModelDriver.h"
#include "terrain/ProfileSampler.h"
#include "terrain/Srtm.h"
#include "terrain/SrtmConstants.h"

namespace tarnvale {

PathProfile SamplePathProfile(const PathProfileRequest& r) {
  PathProfile out;
  out.k = r.k;
  if (!(out.k > 0.0)) {
    // The factor the model would use: the climate at mid-path for a path
    // run, the coverage fallback (delta-N 45) otherwise or without data.
    ModelDriver driver;
    double deltaN = driver.fallbackDeltaN;
    double n0 = driver.fallbackN0;
    if (!r.coverage) ClimateAtMidPath(CRefractivity(r.climate), r.tx, r.rx, n0, deltaN);
    out.k = KFactorForDeltaN(deltaN);
  }
  CSRTM terrain(srtm::kDefaultSlots, r.terrain);
  CZONES zones(r.terrain);
  CPath path;
  path.setEnds(r.tx, r.rx);
  out.sampled = SampleProfile(out.profile, path, out.k, r.coverage, r.interpolate && !r.coverage, terrain, zones);
  out.missingTiles = terrain.missingTiles();
  out.terrainDirectory = terrain.terrainDirectory();
  out.zoneProblem = zones.problem();
  return out;
}

}  // namespace tarnvale
