// Calculate under ITU-R P.452-18: the path's inputs from the terrain and the
// climate at its centre, the model, and the same labels, table and chart the
// classic run gives.
#include <cmath>

#include "geo/Path.h"
#include "session/ClimateTexts.h"
#include "session/LinkSetup.h"
#include "session/ResultText.h"
#include "session/Session.h"
#include "terrain/ProfileSampler.h"

namespace tarnvale {
namespace {

constexpr double kWavelengthGHzM = 0.2998;  // wavelength (m) times frequency (GHz), as the classic chart takes it
constexpr double kMetresPerKm = 1000.0;

/// Where N0 and DN came from, as the classic run tells it.
ClimateSource climateSource(bool found, const CRefractivity& climate) {
  if (found) return ClimateSource::kMaps;
  if (climate.isLoaded(CRefractivity::kN0) && climate.isLoaded(CRefractivity::kDeltaN)) return ClimateSource::kNoValue;
  return ClimateSource::kNoMaps;
}

/// The line of sight between the antennas, straight on the chart (which adds
/// the bulge), and its first Fresnel radius.
void lineOfSight(const TerrainProfile& p, double frequencyGHz, std::vector<double>& ray,
                 std::vector<double>& fresnel) {
  const int n = p.n;
  ray.assign(static_cast<std::size_t>(n), 0.0);
  fresnel.assign(static_cast<std::size_t>(n), 0.0);
  const double length = p.dist[n - 1];
  const double wavelength = kWavelengthGHzM / frequencyGHz;
  for (int i = 0; i < n; ++i) {
    const double x = p.dist[i];
    ray[i] = p.height[0] + (p.height[n - 1] - p.height[0]) * x / length - p.curvature[i];
    const double near = kMetresPerKm * x, far = kMetresPerKm * (length - x);
    fresnel[i] = near > 0.0 && far > 0.0 ? std::sqrt(wavelength * near * far / (near + far)) : 0.0;
  }
}

}  // namespace

P452Inputs P452RadioInputs(const InputValues& f, const LinkRecord& link) {
  P452Inputs in;
  in.f = f.frequency;
  in.p = f.percent;
  in.htg = f.txHeight;
  in.hrg = f.rxHeight;
  in.press = f.pressure;
  in.temp = f.temperature;
  ModelChoice choice = f.modelChoice;
  choice.txGainDbi = link.tx.peakGainDbi();
  choice.rxGainDbi = link.rx.peakGainDbi();
  ApplyModelChoice(choice, in);
  return in;
}

P452PathOptions P452PathOptionsFor(const InputValues& f, bool interpolate) {
  P452PathOptions o;
  o.interpolate = interpolate;
  o.clutterHeight = f.modelChoice.clutterHeightM;
  o.dct = f.modelChoice.dctOrZones();
  o.dcr = f.modelChoice.dcrOrZones();
  o.kFactor = f.forcedKFactor ? f.kFactor : 0.0;
  return o;
}

void Session::runP452Profile(const InputValues& f, CalculateOutcome& out) {
  // Humidity plays no part: the water vapour and the gaseous loss are the
  // model's own, shown once it has run. The session's own gaseous figures
  // (from the humidity) stay as they are for the classic model's pages.
  out.gasLoss = text::P452GasLossText(std::nullopt);
  out.rho = text::WaterVapourText(std::nullopt);
  if (std::string problem = P452RadioProblem(f.frequency, f.percent); !problem.empty()) {
    out.pathValid = false;
    out.invalidText = std::move(problem);
    return;
  }
  P452Inputs in = P452RadioInputs(f, link);
  TerrainProfile profile;
  bool found = false;
  const bool sampled =
      P452PathInputs(*terrain_, *zones_, climate_, tx, rx, P452PathOptionsFor(f, interpolateHeights), profile, in, &found);
  if (!sampled) {
    out.pathValid = false;
    return;
  }
  out.climateSource = climateSource(found, climate_);
  out.climateStatus = ClimateStatusText(out.climateSource, in.N0, in.DN, f.forcedKFactor);
  if (!f.forcedKFactor) out.kFactor = KFactorForDeltaN(in.DN);
  P452Results r;
  LinkBudget budget;
  const auto geometry = [&](const P452Results& run) { return PathLinkGeometry(tx, rx, run.theta_t, run.theta_r); };
  if (!CalculateP452WithLink(p452Model(), in, r, link, geometry, budget)) {
    out.pathValid = false;
    out.invalidText = std::string("No result: ") + (r.error ? r.error : "the model failed");
    return;
  }
  out.pathValid = true;
  lastModel_ = PathModel::kP452v18;
  driver.keepClimate(in.N0, in.DN);

  out.rho = text::WaterVapourText(P452PathVapourDensity(r.omega));
  out.gasLoss = text::P452GasLossText(P452PathGasLoss(in, r));

  CalculateOutcome::Labels labels;
  labels.beta0 = text::OneDecimal(r.b0, 3, " %");
  labels.seaFraction = text::OneDecimal(r.omega * 100.0, 3, " %");
  labels.dct = text::OneDecimal(r.dct, 4, " km");
  labels.dcr = text::OneDecimal(r.dcr, 4, " km");
  labels.pathLength = text::OneDecimal(r.dtot, 4, " km");
  // Each loss holds its own gaseous loss already.
  labels.fsLoss = text::LossText("Line of sight loss", r.Lb0p, 0.0);
  labels.diffLoss = text::LossText("Diffraction path loss", r.Lbd, 0.0);
  labels.tropoLoss = text::LossText("Troposcatter path loss", r.Lbs, 0.0);
  labels.ductLoss = text::LossText("Ducting path loss", r.Lba, 0.0);
  labels.overallLoss = text::LossText("Overall path loss", r.Lb, 0.0);
  out.labels = labels;

  // The chart and table show the profile the model ran on, its bulge drawn
  // for the path's median factor and the antennas on its ends, as the
  // classic run shows its own.
  TerrainProfile display = profile;
  CPath path;
  path.setEnds(tx, rx);
  SampleProfile(display, path, KFactorForDeltaN(in.DN), false, interpolateHeights, *terrain_, *zones_);
  if (display.n != profile.n) display = profile;
  display.height[0] += in.htg;
  display.height[display.n - 1] += in.hrg;
  std::vector<double> ray, fresnel;
  lineOfSight(display, in.f, ray, fresnel);
  out.table = ProfileTable(display, f.metric);
  out.chart = ProfileChart(display, ray, fresnel, f);
  // The budget starts from Lb, which holds the gaseous loss.
  out.linkGeometry = geometry(r);
  out.linkBudget = budget;
}

}  // namespace tarnvale
