// A supplied profile ("dist_km,height_m[,zone[,clutter_m]]" lines): any file
// is either refused with a message, or analysed without a NaN or infinity in
// the losses.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzFiles.h"
#include "model/Terrain.h"
#include "terrain/ProfileCsv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnvale;
  if (size > 64 * 1024) return 0;
  static CTerrain model;
  TerrainProfile profile;
  SuppliedProfileExtras extras;
  std::string error;
  const std::string file = fuzz::WriteScratch("profile.csv", data, size);
  if (!ReadProfileCsv(file, 3000.0, profile, extras, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (!extras.clutterM.empty() && extras.clutterM.size() != static_cast<std::size_t>(profile.n)) std::abort();
  if (profile.pathLength < 0.1) return 0;
  // The command line's defaults: 10.368 GHz, 50 %, 10 m masts, N0 320, delta-N 45.
  const double percent = 0.001 + static_cast<double>(size % 50);
  if (!model.CalculateProfile(profile, 51.4, 320.0, 45.0, 10.368, percent, 10.0, 10.0)) return 0;
  const PathModelResults& r = model.results();
  for (double loss : {r.Lbfsg, r.Lb0p, r.Lbd, r.Lbs, r.Lba, r.Lb, r.beta0, r.omega})
    if (!std::isfinite(loss)) std::abort();
  return 0;
}
