// tarnvale-cli coverage: the Area Coverage page's computation and pictures,
// on all processors, with GeoTIFF and KML/KMZ exports.
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/MapCommands.h"
#include "cli/MissingTilesReport.h"
#include "cli/ModelOptions.h"
#include "climate/Refractivity.h"
#include "exports/GdalModule.h"
#include "exports/MapExport.h"
#include "geo/LocationText.h"
#include "io/OutputFile.h"
#include "maps/Coverage.h"
#include "maps/ScaleLegend.h"
#include "session/CoverageSetup.h"
#include "sites/Sites.h"

namespace tarnvale::cli {
namespace {


CoverageStyle styleNamed(const std::string& name) {
  if (name == "mono") return CoverageStyle::Monochrome;
  if (name == "colour") return CoverageStyle::Colour;
  return CoverageStyle::Terrain;
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

/// A site of a site list mapped as the transmitter.
struct SiteOutput {
  int index = 0;
  std::string name;
  std::string geotiff;  ///< where its GeoTIFF goes
  std::string record;   ///< where its one-line JSON record goes
};

/// Every file the run will write can be written, and the GDAL module that
/// writes GeoTIFFs loads: found out before the first point is computed, so
/// that a long run cannot fail at its end. Names the file that cannot.
bool outputsWritable(const CoverageOptions& o, const SiteOutput* site, Io& io) {
  std::vector<std::string> files = {o.out, o.scale, o.geotiff, o.kml, o.kmz};
  if (o.out.empty() && !o.kml.empty()) files.push_back(std::filesystem::path(o.kml).replace_extension(".png").string());
  if (!o.kml.empty()) files.push_back(LegendPathBeside(o.kml));
  if (site) {
    files.push_back(site->geotiff);
    files.push_back(site->record);
  }
  std::string why;
  for (const std::string& file : files)
    if (!file.empty() && !CanWriteFile(file, why)) return fail(io, why);
  if ((!o.geotiff.empty() || site) && !gdal::Api(why)) return fail(io, "cannot write GeoTIFFs: " + why);
  return true;
}

/// What every map of one run shows: the quantity and the link record that
/// turns a loss into it (its pattern files read once).
struct MapQuantity {
  LinkQuantity quantity = LinkQuantity::Loss;
  LinkRecord link;
};

/// One map around @p tx; with @p site, the batch outputs of that site instead
/// of the single map's files.
int CoverageAt(const CLocator& tx, const CoverageOptions& o, const MapQuantity& shown, Io& io,
               const SiteOutput* site) {
  const bool loss = shown.quantity == LinkQuantity::Loss;
  const CoverageScaleLimits scale = ScaleLimitsFor(shown.quantity);
  CoverageSettings settings;
  settings.rangeKm = o.rangeKm;
  settings.resolution = o.resolution;
  settings.quantity = shown.quantity;
  settings.maxLoss = o.scaleMax.value_or(loss ? o.maxLoss : scale.maxStart);
  settings.minLoss = o.scaleMin.value_or(loss ? o.minLoss : scale.minStart);
  settings.maxHeight = o.maxHeight;
  settings.minHeight = o.minHeight;
  settings.contrast = o.contrast;
  settings.style = styleNamed(o.style);
  settings.width = settings.height = o.size;

  CoverageRequest request;
  request.transmitter = tx;
  request.rangeKm = o.rangeKm;
  request.resolution = o.resolution;
  request.widthPx = request.heightPx = o.size;
  request.radio.frequency = o.frequency;
  request.radio.percent = o.percent;
  request.radio.txHeight = o.txHeight;
  request.radio.rxHeight = o.rxHeight;
  request.radio.forcedKFactor = o.kFactor > 0.0;
  request.radio.kFactor = o.kFactor;
  request.radio.temperature = o.temperature;
  request.radio.pressure = o.pressure;
  request.radio.humidity = o.humidity;
  request.radio.modelChoice = o.model.choice();
  const CRefractivity maps(o.climate.empty() ? std::filesystem::current_path() : std::filesystem::path(o.climate));
  const CoverageClimate climate = CoverageClimateAt(tx, maps, o.n0, o.deltaN);
  request.n0 = climate.n0;
  request.deltaN = climate.deltaN;
  request.terrainDirectory = o.terrain;
  request.threads = o.threads;
  request.quantity = shown.quantity;
  request.link = shown.link;
  request.part = o.part;
  const CoverageJob job = CoverageJobFor(request);
  if (!job.grid.valid) {
    io.err << "tarnvale-cli: no coverage grid for this range and resolution\n";
    return kExitInvalid;
  }
  if (o.part && job.rowCount < 0) {
    io.err << "tarnvale-cli: --part " << CoveragePartText(*o.part) << ": the map has " << job.grid.n
           << " rows, so N must be from 1 to " << job.grid.n << "\n";
    return kExitUsage;
  }
  if (!outputsWritable(o, site, io)) return kExitInvalid;

  CZONES zones(o.terrain);
  ProgressBar bar(io);
  CoverageCallbacks callbacks;
  callbacks.progress = [&](long long done, long long total) { bar.update(done, total); };
  const CoverageValues values = RunCoverage(job, zones, {}, callbacks);
  bar.finish();
  WarnZoneMapProblem(zones, io);
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
    CSRTM terrain(values.tiles);  // the run's own tiles: none is read again
    const CoveragePicture picture = RenderCoverage(terrain, tx, job.grid, values, settings);
    const OverlayBox box = CoverageOverlayBox(job.grid, settings.width, settings.height);
    std::string png = o.out;
    if (png.empty() && !o.kml.empty()) png = std::filesystem::path(o.kml).replace_extension(".png").string();
    if (!png.empty() && !WritePng(picture.display, png, &error)) written = fail(io, error);
    if (!o.scale.empty() && !WritePng(picture.scale.image, o.scale, &error)) written = fail(io, error);
    // The overlays carry the scale as their legend, in the quantity's unit.
    const OverlayLegend legend{DrawScaleLegend(picture.scale), CoverageLegendTitle(settings)};
    if (!o.kml.empty() && written) {
      // The picture's name as the KML finds it: beside it, or by its full path.
      const std::filesystem::path kmlDir = std::filesystem::absolute(o.kml).parent_path();
      const std::filesystem::path pngPath = std::filesystem::absolute(png);
      const std::string href =
          pngPath.parent_path() == kmlDir ? pngPath.filename().string() : pngPath.string();
      const std::string legendPath = LegendPathBeside(o.kml);
      if (!WritePng(legend.picture, legendPath, &error)) written = fail(io, error);
      const std::string legendHref = std::filesystem::path(legendPath).filename().string();
      if (written && !WriteTextFile(o.kml, CoverageKml("Tarnvale coverage", href, box, legendHref, legend.title), error))
        written = fail(io, error);
    }
    if (!o.kmz.empty() && !WriteCoverageKmz(o.kmz, "Tarnvale coverage", picture.display, box, error, &legend))
      written = fail(io, error);
  }
  auto metadata = CoverageMetadata(request, job);
  const CoverageBand band = CoverageBandFor(shown.quantity);
  if (!o.geotiff.empty() && !gdal::WriteCoverageGeoTiff(o.geotiff, job.grid, values, error, metadata, band))
    written = fail(io, error);
  if (site) {
    metadata.insert(metadata.begin(), {{"SITE_INDEX", std::to_string(site->index)}, {"SITE_NAME", site->name}});
    if (!gdal::WriteCoverageGeoTiff(site->geotiff, job.grid, values, error, metadata, band)) {
      fail(io, error);
      return kExitInvalid;
    }
    nlohmann::json record = {{"index", site->index},       {"name", site->name},
                             {"latitude", tx.latitude()},  {"longitude", tx.longitude()},
                             {"geotiff", site->geotiff},   {"N0", climate.n0},
                             {"deltaN", climate.deltaN},   {"climateSource", climate.source},
                             {"n", job.grid.n},            {"p", job.grid.p},
                             {"step", job.grid.step},      {"d", job.grid.d},
                             {"northEdge", job.grid.northEdge}, {"westEdge", job.grid.westEdge},
                             {"points", values.pointsDone}, {"failedPoints", failed},
                             {"threads", values.threads},  {"seconds", values.seconds},
                             {"gamma", job.inputs.gasPerKm}, {"model", o.model.name}};
    if (!loss) {
      record["quantity"] = o.quantity;
      record["unit"] = LinkQuantityUnit(shown.quantity);
    }
    // Written after the GeoTIFF and renamed into place: its presence marks
    // the site as complete.
    if (!WriteTextFile(site->record, record.dump() + "\n", error)) {
      fail(io, error);
      return kExitInvalid;
    }
    io.out << record.dump() << "\n";
    return written ? kExitOk : kExitInvalid;
  }

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
    j["model"] = o.model.name;
    if (!loss) {
      j["quantity"] = o.quantity;
      j["unit"] = LinkQuantityUnit(shown.quantity);
    }
    if (o.part) {
      j["part"] = CoveragePartText(*o.part);
      j["firstRow"] = values.firstRow;
      j["rows"] = values.rows();
    }
    io.out << j.dump(2) << "\n";
  } else {
    char line[256];
    std::snprintf(line, sizeof line,
                  "Coverage %d x %d points, step %.6f degrees (side %.6f), %lld points in %.3f s on %d threads\n"
                  "N0 %.2f, delta-N %.3f (%s)\n",
                  job.grid.n, job.grid.n, job.grid.step, job.grid.d, values.pointsDone, values.seconds,
                  values.threads, climate.n0, climate.deltaN, climate.source.c_str());
    io.out << line;
    if (o.part) {
      std::snprintf(line, sizeof line, "Part %s: rows %d to %d of %d (row 0 the northernmost)\n",
                    CoveragePartText(*o.part).c_str(), values.firstRow, values.firstRow + values.rows() - 1,
                    job.grid.n);
      io.out << line;
    }
    if (o.model.isP452()) {
      std::snprintf(line, sizeof line,
                    "ITU-R P.452-18, %s polarisation: each point's Lb, gaseous loss within it (humidity not used)\n",
                    o.model.polarisation == "v" ? "vertical" : "horizontal");
      io.out << line;
    }
  }
  return written ? kExitOk : kExitInvalid;
}

/// The part of a site's name that is safe in a file name on any system.
std::string FileNamePart(const std::string& name) {
  std::string out;
  for (unsigned char c : name) out += std::isalnum(c) || c == '-' || c == '.' ? static_cast<char>(c) : '_';
  while (!out.empty() && (out.back() == '_' || out.back() == '.')) out.pop_back();
  return out.empty() ? std::string("site") : out;
}

int RunCoverageSites(const CoverageOptions& o, const MapQuantity& shown, Io& io) {
  const CSites sites(o.sites);
  if (!sites.loaded()) {
    io.err << "tarnvale-cli: no site accepted in " << o.sites << "\n";
    return kExitInvalid;
  }
  if (o.siteIndex >= sites.count()) {
    io.err << "tarnvale-cli: site index " << o.siteIndex << " is past the last site (" << sites.count()
           << " accepted in " << o.sites << ")\n";
    return kExitInvalid;
  }
  std::error_code ec;
  std::filesystem::create_directories(o.outdir, ec);
  if (!std::filesystem::is_directory(o.outdir)) {
    io.err << "tarnvale-cli: cannot make the folder " << o.outdir << "\n";
    return kExitInvalid;
  }
  const int first = o.siteIndex >= 0 ? o.siteIndex : 0;
  const int last = o.siteIndex >= 0 ? o.siteIndex : sites.count() - 1;
  int status = kExitOk;
  for (int i = first; i <= last; ++i) {
    const CSite& s = sites.item(i);
    SiteOutput out;
    out.index = i;
    out.name = s.name();
    const std::filesystem::path base =
        std::filesystem::path(o.outdir) / (std::to_string(i) + "-" + FileNamePart(s.name()));
    out.geotiff = base.string() + ".tif";
    out.record = base.string() + ".json";
    if (!o.force && std::filesystem::exists(out.geotiff) && std::filesystem::exists(out.record)) {
      io.err << "tarnvale-cli: site " << i << " (" << s.name() << ") is done already: " << out.record << "\n";
      continue;
    }
    CLocator tx;
    tx.setLatLon(s.latitude(), s.longitude());
    const int one = CoverageAt(tx, o, shown, io, &out);
    if (one != kExitOk) status = one;
  }
  return status;
}

}  // namespace

int RunCoverageCommand(const CoverageOptions& o, Io& io) {
  if (o.model.isP452())
    if (const int status = CheckP452Radio(o.frequency, o.percent, io); status != kExitOk) return status;
  MapQuantity shown;
  if (!ParseLinkQuantity(o.quantity, shown.quantity)) {
    io.err << "tarnvale-cli: --quantity " << o.quantity << " is not one of loss, power, field, margin\n";
    return kExitUsage;
  }
  std::string error;
  if (!LinkRecordFrom(o.link, shown.link, error)) {
    io.err << "tarnvale-cli: " << error << "\n";
    return kExitUsage;
  }
  if (!o.sites.empty()) return RunCoverageSites(o, shown, io);
  const CLocator tx = LocationIn(o.tx, o.format);
  if (!tx.isValid()) {
    io.err << "Invalid TX Locator\n";
    return kExitInvalid;
  }
  return CoverageAt(tx, o, shown, io, nullptr);
}

}  // namespace tarnvale::cli
