#pragma once
// Between the core's reports and Python: a JSON report as the dict (of
// floats, ints, strings, None and lists) that json.loads would give for the
// command line's --json text, the doubles unchanged to the last bit.
#include <pybind11/pybind11.h>

#include <nlohmann/json.hpp>

namespace tarnvale::python {

/// @p value as Python objects; a number the JSON writer would print as null
/// (NaN, infinity) becomes None, as json.loads reads it back.
pybind11::object ToPython(const nlohmann::json& value);

}  // namespace tarnvale::python
