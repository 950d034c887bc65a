#include "session/MechanismsChart.h"

#include "model/P452Curves.h"

namespace tarnvale {

std::array<MechanismSeries, 4> MechanismChartSeries(const std::array<MechanismPoint, 10>& points, double gasLoss,
                                                    PathModel model) {
  std::array<MechanismSeries, 4> series{{{"Diffraction", {}, {}},
                                         {"Troposcatter", {}, {}},
                                         {"Ducting", {}, {}},
                                         {"Overall", {}, {}}}};
  if (model == PathModel::kP452v18)
    for (std::size_t i = 0; i < series.size(); ++i) series[i].title += std::string(" ") + kP452CurveNames[i];
  for (const MechanismPoint& p : points) {
    if (!p.ok) continue;
    const double losses[4] = {p.diffraction, p.troposcatter, p.ducting, p.overall};
    for (std::size_t i = 0; i < series.size(); ++i) {
      series[i].x.push_back(p.percent);
      series[i].y.push_back(losses[i] + gasLoss);
    }
  }
  return series;
}

MechanismsChartData MechanismsChart(Session& session, double frequency, double txHeight, double rxHeight) {
  MechanismsChartData out;
  CTerrain* model = session.model();
  if (!model || !model->initialised() || !session.terrain() || !session.zones()) return out;
  ModelInputs inputs;
  inputs.frequency = frequency;
  inputs.txHeight = txHeight;
  inputs.rxHeight = rxHeight;
  inputs.interpolate = session.interpolateHeights;
  const auto points = MechanismCurves(ModelData{*model, *session.terrain(), *session.zones(), session.climate()},
                                      session.tx, session.rx, inputs);
  out.ran = true;
  out.series = MechanismChartSeries(points, session.totalGasLoss);
  return out;
}

MechanismsChartData MechanismsChart(Session& session, const InputValues& f) {
  if (!f.modelChoice.isP452()) {
    MechanismsChartData out = MechanismsChart(session, f.frequency, f.txHeight, f.rxHeight);
    if (out.ran) out.modelLine = ModelLine(PathModel::kClassic);
    return out;
  }
  MechanismsChartData out;
  if (!session.terrain() || !session.zones() || !session.tx.isValid() || !session.rx.isValid()) return out;
  out.modelLine = ModelLine(PathModel::kP452v18);
  // The ten percentages lie within the model's bounds; the frequency must too.
  out.problem = P452RadioProblem(f.frequency, kP452MaxPercent);
  if (!out.problem.empty()) return out;
  P452Inputs in = P452RadioInputs(f, session.link);
  TerrainProfile profile;
  if (!P452PathInputs(*session.terrain(), *session.zones(), session.climate(), session.tx, session.rx,
                      P452PathOptionsFor(f, session.interpolateHeights), profile, in)) {
    out.problem = "Path too short";
    return out;
  }
  const auto points = P452MechanismCurves(session.p452Model(), in);
  out.ran = true;
  out.series = MechanismChartSeries(points, 0.0, PathModel::kP452v18);
  return out;
}

}  // namespace tarnvale
