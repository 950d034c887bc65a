// tarnvale-cli profile: the sampled terrain profile of a path as CSV.
#include <charconv>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/MissingTilesReport.h"
#include "session/PathProfile.h"

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
  PathProfileRequest request;
  if (const int status = ResolveEnds(o.ends, request.tx, request.rx, io); status != kExitOk) return status;
  request.terrain = o.terrain;
  request.climate = o.climate;
  request.interpolate = o.interpolate;
  request.coverage = o.coverage;
  request.k = o.k;
  const PathProfile sampled = SamplePathProfile(request);
  WarnMissingTiles(sampled.missingTiles, sampled.terrainDirectory, io);
  WarnZoneMapProblem(sampled.zoneProblem, io);
  if (!sampled.sampled) {
    io.out << "Path too short\n";
    return kExitInvalid;
  }
  const TerrainProfile& profile = sampled.profile;
  io.out << "dist_km,height_m,zone,curvature_m\n";
  for (int i = 0; i < profile.n; ++i)
    io.out << number(profile.dist[i]) << ',' << number(profile.height[i]) << ',' << static_cast<int>(profile.zone[i])
           << ',' << number(profile.curvature[i]) << '\n';
  return kExitOk;
}

}  // namespace tarnvale::cli
