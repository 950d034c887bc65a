#include "session/Session.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "geo/Path.h"
#include "model/P676.h"
#include "session/ClimateTexts.h"
#include "session/LinkSetup.h"
#include "session/ResultText.h"

namespace tarnvale {
namespace {

constexpr int kTerrainSlots = 9;
constexpr const char* kSettingsFile = "profile.ini";
constexpr const char* kDefaultTransmitter = "SU374616";  // National Grid reference
constexpr const char* kDefaultReceiver = "IO91JO26";     // Maidenhead locator
// Chart headroom over the highest point: metric, and imperial (feet, rounded up).
constexpr double kMetricHeadroom = 1.5;
constexpr double kImperialHeadroom = 4.9;

std::string withSeparator(std::string directory) {
  if (!directory.empty() && directory.back() != '/') directory += '/';
  return directory;
}

}  // namespace

Session::Session(std::string climateDirectory) : climate_(std::filesystem::path(climateDirectory)) {}

// ---- Start-up ----

RestoredInputs Session::RestoreInputs(const std::string& programDirectory) {
  RestoredInputs restored;
  InputValues& f = restored.fields;
  SettingsRecord record;
  keyed_.clear();
  link = LinkRecord{};
  if (!LoadSettingsFile(withSeparator(programDirectory) + kSettingsFile, record)) {
    f.format = kFormatLocator;
    tx = CLocator(kDefaultTransmitter, kFormatGridReference);
    rx = CLocator(kDefaultReceiver, kFormatLocator);
    endPointMode = kByLocation;
    CPath path;
    path.setEnds(tx, rx);
    path.rangeBearing(f.range, f.bearing);
    f.metric = true;
    restored.terrainDirectory = withSeparator(programDirectory);
    restored.endPointMode = kByLocation;
    return restored;  // the other fields keep InputValues' defaults
  }
  restored.fromFile = true;
  f.metric = record.metric;
  restored.formatKnown = record.inputFormat >= kFormatLocator && record.inputFormat <= kFormatDms;
  f.format = record.inputFormat;
  tx = CLocator(record.startLoc, record.inputFormat);
  rx = CLocator(record.endLoc, record.inputFormat);
  f.range = record.range;
  f.bearing = record.bearing;
  endPointMode = record.endPointMode;
  restored.endPointMode = record.endPointMode;
  f.txHeight = record.txHeight;
  f.rxHeight = record.rxHeight;
  f.frequency = record.frequency;
  f.temperature = record.temperature;
  f.pressure = record.pressure;
  f.humidity = record.humidity;
  f.percent = record.percent;
  restored.terrainDirectory = record.terrainDirectory;
  f.forcedKFactor = record.forcedKFactor;
  f.kFactor = record.kFactor;
  keyed_ = record.keyed;
  if (const auto saved = keyed_.find(kLinkSettingsKey); saved != keyed_.end()) {
    std::string error;
    if (!DecodeLinkRecord(saved->second, link, &error)) restored.linkProblem = "Link budget not restored: " + error;
  }
  // A model text that does not read leaves the default model, as a file
  // written before the model could be chosen does.
  if (const auto saved = keyed_.find(kModelSettingsKey);
      saved != keyed_.end() && !DecodeModelChoice(saved->second, f.modelChoice))
    f.modelChoice = ModelChoice{};
  return restored;
}

bool Session::HasTerrainTiles(const std::string& directory) {
  std::error_code error;
  const std::filesystem::path dir = directory.empty() ? std::filesystem::path(".") : std::filesystem::path(directory);
  for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    if (CSRTMTILE::IsTileFileName(it->path().filename().string())) return true;
  }
  return false;
}

StartupFailure Session::CreateDataObjects(const std::string& terrainDirectory) {
  terrain_ = std::make_unique<CSRTM>(kTerrainSlots, terrainDirectory);
  zones_ = std::make_unique<CZONES>(terrainDirectory);
  if (!terrain_->isValid()) return StartupFailure::kMapInitialisation;
  model_ = std::make_unique<CTerrain>();
  if (!model_->initialised()) return StartupFailure::kTerrainObject;
  return StartupFailure::kNone;
}

SettingsRecord Session::SettingsFromInputs(const InputValues& f, const std::string& terrainDirectory) const {
  SettingsRecord r;
  r.terrainDirectory = terrainDirectory;
  r.metric = f.metric;
  r.startLoc = f.startLoc;
  r.endLoc = f.endLoc;
  r.inputFormat = f.format;
  r.range = f.range;
  r.bearing = f.bearing;
  r.txHeight = f.txHeight;
  r.rxHeight = f.rxHeight;
  r.frequency = f.frequency;
  r.temperature = f.temperature;
  r.pressure = f.pressure;
  r.humidity = f.humidity;
  r.percent = f.percent;
  r.endPointMode = endPointMode;
  r.forcedKFactor = f.forcedKFactor;
  r.kFactor = f.kFactor;
  r.keyed = keyed_;
  if (ValidLinkRecord(link)) r.keyed[kLinkSettingsKey] = EncodeLinkRecord(link);
  // The default model with its defaults adds nothing to the file.
  if (f.modelChoice == ModelChoice{})
    r.keyed.erase(kModelSettingsKey);
  else
    r.keyed[kModelSettingsKey] = EncodeModelChoice(f.modelChoice);
  return r;
}

void Session::Close() {
  terrain_.reset();
  zones_.reset();
  model_.reset();
  p452Model_.reset();
}

P452Model& Session::p452Model() {
  if (!p452Model_) p452Model_ = std::make_unique<P452Model>();
  return *p452Model_;
}

// ---- Calculate ----

CLocator Session::ReceiverFromRangeBearing(const CLocator& from, double bearingDeg, double rangeKm) {
  if (!from.isValid()) return CLocator();
  CPath path;
  path.setStart(from);
  double latitude = 0.0, longitude = 0.0;
  path.pointAlong(bearingDeg, rangeKm, latitude, longitude);
  return CLocator(latitude, longitude);
}

std::string Session::GroundHeightText(const CLocator& location, bool metric) const {
  const int height = terrain_ ? terrain_->heightAt(location.latitude(), location.longitude(), interpolateHeights)
                              : -32767;
  return text::GroundHeightText(height, metric);
}

ModelInputs Session::modelInputs(const InputValues& f) const {
  ModelInputs in;
  in.frequency = f.frequency;
  in.percent = f.percent;
  in.txHeight = f.txHeight;
  in.rxHeight = f.rxHeight;
  in.forcedKFactor = f.forcedKFactor;
  in.kFactor = f.kFactor;
  in.interpolate = interpolateHeights;
  return in;
}

bool Session::RunModel(bool coverage, const InputValues& fields, double* kFactorInUse,
                       ClimateSource* climateSource) {
  if (!model_ || !terrain_ || !zones_) return false;
  return driver.RunModel(coverage, ModelData{*model_, *terrain_, *zones_, climate_}, tx, rx, modelInputs(fields),
                         kFactorInUse, climateSource);
}

CalculateOutcome Session::Calculate(const InputValues& f) {
  CalculateOutcome out;
  abortRequested = false;
  tx = CLocator(f.startLoc, f.format);
  if (endPointMode == kByLocation) {
    rx = CLocator(f.endLoc, f.format);
  } else {
    const double typedKm = f.metric ? f.range : f.range * text::kKmPerMile;
    rx = ReceiverFromRangeBearing(tx, f.bearing, typedKm);
    out.endLoc = rx.toText(f.format, DisplayPrecision(f.format));
  }
  CalculateOutcome rest = CalculateEnds(tx, rx, f);
  rest.endLoc = out.endLoc;
  return rest;
}

CalculateOutcome Session::CalculateEnds(const CLocator& transmitter, const CLocator& receiver, const InputValues& f) {
  CalculateOutcome out;
  abortRequested = false;
  tx = transmitter;
  rx = receiver;
  out.endHeight = rx.isValid() ? "RX " + GroundHeightText(rx, f.metric) : "Invalid RX Locator";
  out.startHeight = tx.isValid() ? "TX " + GroundHeightText(tx, f.metric) : "Invalid TX Locator";
  if (!tx.isValid() || !rx.isValid()) return out;
  out.locationsValid = true;

  CPath path;
  path.setEnds(tx, rx);
  path.rangeBearing(rangeKm, bearingDeg);
  rho = WaterVapourDensity(f.humidity, f.temperature, true);
  out.rho = text::WaterVapourText(rho);
  gamma = SpecificAttenuation(f.frequency, f.pressure, f.temperature, rho);
  totalGasLoss = gamma * rangeKm;
  out.gasLoss = text::GasLossText(totalGasLoss);
  out.bearing = text::BearingFieldText(bearingDeg);
  out.range = text::RangeFieldText(rangeKm, f.metric);
  out.rangeUnit = text::RangeUnitText(f.metric);
  runProfile(f, out);
  return out;
}

void Session::runProfile(const InputValues& f, CalculateOutcome& out) {
  out.modelLine = ModelLine(f.modelChoice.model);
  if (!model_) {
    out.noModel = true;
    return;
  }
  if (f.modelChoice.isP452()) {
    runP452Profile(f, out);
    return;
  }
  double k = 0.0;
  RunModel(false, f, &k, &out.climateSource);
  if (!f.forcedKFactor) out.kFactor = k;
  const CTerrain& model = *model_;
  out.climateStatus = ClimateStatusText(out.climateSource, model.results().N0, model.results().deltaN,
                                        f.forcedKFactor);
  if (!model.initialised() || !model.results().ok) {
    out.pathValid = false;
    return;
  }
  out.pathValid = true;
  lastModel_ = PathModel::kClassic;
  driver.keepClimate(model);
  const PathModelResults& r = model.results();
  const double g = totalGasLoss;
  CalculateOutcome::Labels labels;
  labels.beta0 = text::OneDecimal(r.beta0, 3, " %");
  labels.seaFraction = text::OneDecimal(r.omega * 100.0, 3, " %");
  labels.dct = text::OneDecimal(r.dct, 4, " km");
  labels.dcr = text::OneDecimal(r.dcr, 4, " km");
  labels.pathLength = text::OneDecimal(model.profile().pathLength, 4, " km");
  labels.fsLoss = text::LossText("Line of sight loss", r.Lb0p, g);
  labels.diffLoss = text::LossText("Diffraction path loss", r.Lbd, g);
  labels.tropoLoss = text::LossText("Troposcatter path loss", r.Lbs, g);
  labels.ductLoss = text::LossText("Ducting path loss", r.Lba, g);
  labels.overallLoss = text::LossText("Overall path loss", r.Lb, g);
  out.labels = labels;
  out.table = ProfileTable(model, f.metric);
  out.chart = ProfileChart(model, f);
  out.linkGeometry = PathLinkGeometry(tx, rx, r);
  out.linkBudget = PathLinkBudgetOf(link, r, g, *out.linkGeometry);
}

std::pair<std::string, std::string> Session::FormatLocationsForDisplay(int format) {
  const int precision = DisplayPrecision(format);
  std::string receiver = rx.toText(format, precision);
  std::string transmitter = tx.toText(format, precision);
  return {receiver, transmitter};
}

// ---- Profile display ----

std::vector<std::string> ProfileTable(const CTerrain& model, bool metric) {
  return ProfileTable(model.profile(), metric);
}

std::vector<std::string> ProfileTable(const TerrainProfile& p, bool metric) {
  std::vector<std::string> lines;
  lines.reserve(p.n + 1);
  lines.push_back(text::ProfileTableHeader(metric));
  for (int i = 0; i < p.n; ++i) lines.push_back(text::ProfileTableLine(p.dist[i], p.height[i], metric));
  return lines;
}

ProfileChartData ProfileChart(const CTerrain& model, const InputValues& f) {
  return ProfileChart(model.profile(), model.rayHeight(), model.fresnelRadius(), f);
}

ProfileChartData ProfileChart(const TerrainProfile& p, const std::vector<double>& rayHeight,
                              const std::vector<double>& fresnelRadius, const InputValues& f) {
  const int n = p.n;
  ProfileChartData c;
  const double top = std::max({p.height[0], p.height[n - 1], p.maxHeight});
  const double headroom = f.metric ? kMetricHeadroom : kImperialHeadroom;
  c.leftMaximum = headroom * top;
  if (!f.flatEarth) c.leftMaximum += headroom * p.midBulge;
  c.leftMinimum = 0.0;
  c.leftTitle = f.metric ? "Height (m)" : "Height (ft)";
  c.bottomTitle = f.metric ? "Range (km)" : "Range (miles)";
  const double across = f.metric ? 1.0 : text::kMilesPerKm;
  const double up = f.metric ? 1.0 : text::kFeetPerMetre;
  for (int i = 0; i < n; ++i) {
    // The chart's terrain is the ground without the antennas.
    double g = std::trunc(p.height[i]);
    if (i == 0) g = std::trunc(g - f.txHeight);
    if (i == n - 1) g = std::trunc(g - f.rxHeight);
    const double b = f.flatEarth ? 0.0 : p.curvature[i];
    const double los = (b + rayHeight[i]) * up;
    const double radius = fresnelRadius[i] * up;
    c.x.push_back(p.dist[i] * across);
    c.terrain.push_back((g + b) * up);
    c.bulge.push_back(b * up);
    c.lineOfSight.push_back(los);
    c.fresnelAbove.push_back(los + radius);
    c.fresnelBelow.push_back(los - radius);
  }
  return c;
}

}  // namespace tarnvale
