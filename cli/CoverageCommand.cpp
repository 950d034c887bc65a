// tarnvale-cli coverage: the Area Coverage page's computation and pictures,
// on all processors, with GeoTIFF and KML/KMZ exports.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/LocationArgs.h"
#include "cli/MapCommands.h"
#include "cli/MapExport.h"
#include "climate/Refractivity.h"
#include "maps/Coverage.h"
#include "model/P676.h"

namespace tarnvale::cli {
namespace {

/// A text in the given format, or, without one, the first format that reads it.
CLocator locationIn(const std::string& text, int format) {
  if (format >= 0) return ParseLocation(text, format);
  for (int f : {kFormatLocator, kFormatGridReference, kFormatDegrees, kFormatDms}) {
    CLocator location = ParseLocation(text, f);
    if (location.isValid()) return location;
  }
  return CLocator();
}

CoverageStyle styleNamed(const std::string& name) {
  if (name == "mono") return CoverageStyle::Monochrome;
  if (name == "colour") return CoverageStyle::Colour;
  return CoverageStyle::Terrain;
}

/// Where N0 and delta-N came from.
struct Climate {
  double n0 = 320.0;
  double deltaN = 45.0;
  std::string source = "default";
};

Climate climateAt(const CoverageOptions& o, const CLocator& tx) {
  Climate c;
  if (o.n0 && o.deltaN) {
    c.n0 = *o.n0;
    c.deltaN = *o.deltaN;
    c.source = "options";
    return c;
  }
  const CRefractivity maps(o.climate.empty() ? std::filesystem::current_path() : std::filesystem::path(o.climate));
  double n0 = 0.0, deltaN = 0.0;
  if (maps.n0At(tx.latitude(), tx.longitude(), true, n0) && maps.dnAt(tx.latitude(), tx.longitude(), true, deltaN)) {
    c.n0 = n0;
    c.deltaN = deltaN;
    c.source = "maps";
  }
  return c;
}

/// A bar on standard error, redrawn in place, while it is a terminal.
class ProgressBar {
 public:
  explicit ProgressBar(Io& io) : err_(io.err), shown_(&io.err == &std::cerr && ::isatty(STDERR_FILENO)) {}
  void update(long long done, long long total) {
    if (!shown_ || total <= 0) return;
    constexpr int kWidth = 40;
    const int filled = static_cast<int>(kWidth * done / total);
    const int percent = static_cast<int>(100 * done / total);
    if (percent == last_) return;
    last_ = percent;
    err_ << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] " << percent << " %"
         << std::flush;
  }
  void finish() {
    if (shown_ && last_ >= 0) err_ << "\n" << std::flush;
  }

 private:
  std::ostream& err_;
  bool shown_;
  int last_ = -1;
};

bool fail(Io& io, const std::string& message) {
  io.err << "tarnvale-cli: " << message << "\n";
  return false;
}

}  // namespace

int RunCoverageCommand(const CoverageOptions& o, Io& io) {
  const CLocator tx = locationIn(o.tx, o.format);
  if (!tx.isValid()) {
    io.err << "Invalid TX Locator\n";
    return kExitInvalid;
  }
  CoverageSettings settings;
  settings.rangeKm = o.rangeKm;
  settings.resolution = o.resolution;
  settings.maxLoss = o.maxLoss;
  settings.minLoss = o.minLoss;
  settings.maxHeight = o.maxHeight;
  settings.minHeight = o.minHeight;
  settings.contrast = o.contrast;
  settings.style = styleNamed(o.style);
  settings.width = settings.height = o.size;

  const Climate climate = climateAt(o, tx);
  CoverageJob job;
  job.tx = tx;
  job.grid = CoverageGridFor(tx, o.rangeKm, o.resolution, o.size, o.size);
  if (!job.grid.valid) {
    io.err << "tarnvale-cli: no coverage grid for this range and resolution\n";
    return kExitInvalid;
  }
  job.inputs.model.frequency = o.frequency;
  job.inputs.model.percent = o.percent;
  job.inputs.model.txHeight = o.txHeight;
  job.inputs.model.rxHeight = o.rxHeight;
  job.inputs.model.forcedKFactor = o.kFactor > 0.0;
  job.inputs.model.kFactor = o.kFactor;
  job.inputs.n0 = climate.n0;
  job.inputs.deltaN = climate.deltaN;
  // The gaseous attenuation once for the whole map.
  const double rho = WaterVapourDensity(o.humidity, o.temperature, true);
  job.inputs.gasPerKm = SpecificAttenuation(o.frequency, o.pressure, o.temperature, rho);
  job.terrainDirectory = o.terrain;
  job.threads = o.threads;

  CZONES zones(o.terrain);
  ProgressBar bar(io);
  CoverageCallbacks callbacks;
  callbacks.progress = [&](long long done, long long total) { bar.update(done, total); };
  const CoverageValues values = RunCoverage(job, zones, {}, callbacks);
  bar.finish();
  if (values.n == 0) {
    io.err << "tarnvale-cli: Memory allocation failure\n";
    return kExitInvalid;
  }

  long long failed = 0;
  for (PointState s : values.state) failed += s == PointState::Failed;

  bool written = true;
  std::string error;
  const bool wantPicture = !o.out.empty() || !o.scale.empty() || !o.kml.empty() || !o.kmz.empty();
  if (wantPicture) {
    CSRTM terrain(srtm::kDefaultSlots, o.terrain);
    const CoveragePicture picture = RenderCoverage(terrain, tx, job.grid, values, settings);
    const OverlayBox box = CoverageOverlayBox(job.grid, settings.width, settings.height);
    std::string png = o.out;
    if (png.empty() && !o.kml.empty()) png = std::filesystem::path(o.kml).replace_extension(".png").string();
    if (!png.empty() && !WritePng(picture.display, png, &error)) written = fail(io, error);
    if (!o.scale.empty() && !WritePng(picture.scale.image, o.scale, &error)) written = fail(io, error);
    if (!o.kml.empty() && written) {
      // The picture's name as the KML finds it: beside it, or by its full path.
      const std::filesystem::path kmlDir = std::filesystem::absolute(o.kml).parent_path();
      const std::filesystem::path pngPath = std::filesystem::absolute(png);
      const std::string href =
          pngPath.parent_path() == kmlDir ? pngPath.filename().string() : pngPath.string();
      if (!WriteTextFile(o.kml, CoverageKml("Tarnvale coverage", href, box), error)) written = fail(io, error);
    }
    if (!o.kmz.empty() && !WriteCoverageKmz(o.kmz, "Tarnvale coverage", picture.display, box, error))
      written = fail(io, error);
  }
  if (!o.geotiff.empty() && !WriteCoverageGeoTiff(o.geotiff, job.grid, values, error)) written = fail(io, error);

  if (o.json) {
    nlohmann::json j;
    j["N0"] = climate.n0;
    j["deltaN"] = climate.deltaN;
    j["climateSource"] = climate.source;
    j["n"] = job.grid.n;
    j["p"] = job.grid.p;
    j["step"] = job.grid.step;
    j["d"] = job.grid.d;
    j["northEdge"] = job.grid.northEdge;
    j["westEdge"] = job.grid.westEdge;
    j["points"] = values.pointsDone;
    j["failedPoints"] = failed;
    j["threads"] = values.threads;
    j["seconds"] = values.seconds;
    j["gamma"] = job.inputs.gasPerKm;
    io.out << j.dump(2) << "\n";
  } else {
    char line[256];
    std::snprintf(line, sizeof line,
                  "Coverage %d x %d points, step %.6f degrees (side %.6f), %lld points in %.3f s on %d threads\n"
                  "N0 %.2f, delta-N %.3f (%s)\n",
                  job.grid.n, job.grid.n, job.grid.step, job.grid.d, values.pointsDone, values.seconds,
                  values.threads, climate.n0, climate.deltaN, climate.source.c_str());
    io.out << line;
  }
  return written ? kExitOk : kExitInvalid;
}

}  // namespace tarnvale::cli
