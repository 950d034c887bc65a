#pragma once
// The Mechanisms page's four curves: the loss of each mechanism at the ten
// fixed time percentages, gaseous loss included, over the current path.
#include <array>
#include <string>
#include <vector>

#include "model/ModelChoice.h"
#include "model/ModelDriver.h"
#include "session/Session.h"

namespace tarnvale {

/// One curve: its title and the points of the runs that gave a valid path.
struct MechanismSeries {
  std::string title;      ///< "Diffraction", "Troposcatter", "Ducting", "Overall"; under P.452-18 with ITU's names
  std::vector<double> x;  ///< time percentage (%)
  std::vector<double> y;  ///< loss plus the path's gaseous loss (dB)
};

/// The four curves in the order above. A run that fails adds no point to any
/// curve, so a curve never shows losses left over from another run. Under
/// P.452-18 the titles carry ITU's names ("Diffraction Lbd", "Troposcatter
/// Lbs", "Ducting Lba", "Overall Lb") and @p gasLoss is 0, as each loss
/// holds its own.
std::array<MechanismSeries, 4> MechanismChartSeries(const std::array<MechanismPoint, 10>& points, double gasLoss,
                                                    PathModel model = PathModel::kClassic);

/// The page's curves for the session's two ends; ran is false (and nothing
/// was run) when there is no initialised model.
struct MechanismsChartData {
  bool ran = false;
  std::string modelLine;  ///< which model computed the curves (ModelLine)
  std::string problem;    ///< why there are no curves when ran is false with a model line
  std::array<MechanismSeries, 4> series;
};
/// Runs MechanismCurves on the session's data objects with the page's
/// frequency and antenna heights and the session's interpolation switch, and
/// adds the session's gaseous loss. Leaves the model holding the 50 % results.
/// @param frequency GHz
/// @param txHeight, rxHeight antenna heights above ground (m)
MechanismsChartData MechanismsChart(Session& session, double frequency, double txHeight, double rxHeight);

/// The page's curves under the model of @p fields.modelChoice: the classic
/// model as above (frequency and antenna heights from @p fields), or
/// P452MechanismCurves over the path P.452-18's Calculate takes (its profile
/// and the climate at its centre, the fields' radio figures and Model
/// group; the forced K factor counts as it does there). Under P.452-18 a
/// frequency outside its bounds gives no curves and the problem.
MechanismsChartData MechanismsChart(Session& session, const InputValues& fields);

}  // namespace tarnvale
