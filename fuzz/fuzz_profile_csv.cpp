// A supplied profile ("dist_km,height_m[,zone[,clutter_m]]" lines), under
// either model: any file is either refused with a message, or analysed
// without a NaN or infinity in the losses where a value is due.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzFiles.h"
#include "model/P452Model.h"
#include "model/P452Path.h"
#include "model/Terrain.h"
#include "terrain/ProfileCsv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnvale;
  if (size > 64 * 1024) return 0;
  ProfileColumns columns;
  std::string error;
  const std::string file = fuzz::WriteScratch("profile.csv", data, size);
  ProfileCsvLimits limits;
  limits.maxSamples = static_cast<std::size_t>(TerrainProfile::kCapacity);
  if (!ReadProfileCsv(file, limits, columns, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  const int n = static_cast<int>(columns.dist.size());
  if (!columns.clutter.empty() && columns.clutter.size() != columns.dist.size()) std::abort();
  if (size % 3 == 0) {
    // P.452-18 with the command line's defaults but for the frequency.
    static P452Model model;
    static P452Inputs inputs;
    static P452Results results;
    if (!P452ProfileInputs(columns.dist.data(), columns.height.data(), columns.zone.data(), n, 0.0, -1.0, -1.0,
                           inputs))
      return 0;
    if (!columns.clutter.empty()) inputs.R = columns.clutter;
    inputs.centreGiven = true;
    inputs.phim_n = 51.4;
    if (!model.Calculate(inputs, results)) return 0;
    // The notional ducting minimum may overflow past about 1775 dB, as in
    // ITU's reference; the overall loss may not.
    if (!std::isfinite(results.Lb) || !std::isfinite(results.Lbfsg)) std::abort();
    return 0;
  }
  static CTerrain model;
  TerrainProfile profile;
  if (!ColumnsToProfile(columns, profile)) std::abort();
  if (profile.pathLength < 0.1) return 0;
  // The command line's defaults: 10.368 GHz, 10 m masts, N0 320, delta-N 45.
  const double percent = 0.001 + static_cast<double>(size % 50);
  if (!model.CalculateProfile(profile, 51.4, 320.0, 45.0, 10.368, percent, 10.0, 10.0)) return 0;
  const PathModelResults& r = model.results();
  for (double loss : {r.Lbfsg, r.Lb0p, r.Lbd, r.Lbs, r.Lba, r.Lb, r.beta0, r.omega})
    if (!std::isfinite(loss)) std::abort();
  return 0;
}
