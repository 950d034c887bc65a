// tarnvale-cli profile: the sampled terrain profile of a path as CSV.
#include <charconv>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/MissingTilesReport.h"
#include "climate/Refractivity.h"
#include "climate/Zones.h"
#include "geo/Path.h"
#include "model/ModelDriver.h"
#include "terrain/ProfileSampler.h"
#include "terrain/Srtm.h"

namespace tarnvale::cli {
namespace {

/// The shortest text that reads back as @p value.
std::string number(double value) {
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

}  // namespace

int RunProfile(const ProfileOptions& o, Io& io) {
  CLocator tx, rx;
  if (const int status = ResolveEnds(o.ends, tx, rx, io); status != kExitOk) return status;
  double k = o.k;
  if (!(k > 0.0)) {
    // The factor the model would use: the climate at mid-path for a path
    // run, the coverage fallback (delta-N 45) otherwise or without data.
    ModelDriver driver;
    double deltaN = driver.fallbackDeltaN;
    double n0 = driver.fallbackN0;
    if (!o.coverage) ClimateAtMidPath(CRefractivity(o.climate), tx, rx, n0, deltaN);
    k = KFactorForDeltaN(deltaN);
  }
  CSRTM terrain(9, o.terrain);
  CZONES zones(o.terrain);
  CPath path;
  path.setEnds(tx, rx);
  TerrainProfile profile;
  const bool sampled = SampleProfile(profile, path, k, o.coverage, o.interpolate && !o.coverage, terrain, zones);
  WarnMissingTiles(terrain, io);
  WarnZoneMapProblem(zones, io);
  if (!sampled) {
    io.out << "Path too short\n";
    return kExitInvalid;
  }
  io.out << "dist_km,height_m,zone,curvature_m\n";
  for (int i = 0; i < profile.n; ++i)
    io.out << number(profile.dist[i]) << ',' << number(profile.height[i]) << ',' << static_cast<int>(profile.zone[i])
           << ',' << number(profile.curvature[i]) << '\n';
  return kExitOk;
}

}  // namespace tarnvale::cli
