#pragma once
// The Mechanisms curves under ITU-R P.452-18: the loss of each mechanism at
// the ten fixed time percentages over one path.
#include <array>

#include "model/ModelDriver.h"
#include "model/P452Inputs.h"
#include "model/P452Model.h"

namespace tarnvale {

/// P.452-18 at each of kMechanismPercentages over the path of @p inputs (its
/// profile, ends, climate and radio figures; its time percentage is not
/// read). A point's diffraction is Lbd, troposcatter Lbs, ducting Lba and
/// overall Lb, each with its own gaseous loss as the model computes it; ok
/// is false where the model gives no result. Copies the inputs once.
std::array<MechanismPoint, 10> P452MechanismCurves(P452Model& model, const P452Inputs& inputs);

/// ITU's names of the four curves, in MechanismPoint's order: "Lbd", "Lbs",
/// "Lba", "Lb".
inline constexpr std::array<const char*, 4> kP452CurveNames = {"Lbd", "Lbs", "Lba", "Lb"};

}  // namespace tarnvale
