#pragma once
// tarnvale.path, tarnvale.profile_loss and tarnvale.mechanisms: the core's
// path runs, their reports as dicts equal to the command line's --json.
#include <pybind11/pybind11.h>

namespace tarnvale::python {

/// Adds path, profile_loss and mechanisms to @p module.
void AddPathFunctions(pybind11::module_& module);

}  // namespace tarnvale::python
