#include "session/MechanismsChart.h"

namespace tarnvale {

std::array<MechanismSeries, 4> MechanismChartSeries(const std::array<MechanismPoint, 10>& points, double gasLoss) {
  std::array<MechanismSeries, 4> series{{{"Diffraction", {}, {}},
                                         {"Troposcatter", {}, {}},
                                         {"Ducting", {}, {}},
                                         {"Overall", {}, {}}}};
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

}  // namespace tarnvale
