#include "model/P452Curves.h"

#include "model/P452Results.h"

namespace tarnvale {

std::array<MechanismPoint, 10> P452MechanismCurves(P452Model& model, const P452Inputs& inputs) {
  std::array<MechanismPoint, 10> points{};
  P452Inputs in = inputs;
  P452Results r;
  for (std::size_t i = 0; i < kMechanismPercentages.size(); ++i) {
    MechanismPoint& point = points[i];
    point.percent = kMechanismPercentages[i];
    in.p = point.percent;
    point.ok = model.Calculate(in, r);
    if (!point.ok) continue;
    point.diffraction = r.Lbd;
    point.troposcatter = r.Lbs;
    point.ducting = r.Lba;
    point.overall = r.Lb;
  }
  return points;
}

}  // namespace tarnvale
