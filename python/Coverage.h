#pragma once
// The coverage map as Python sees it: the run, and its result object.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>
#include <utility>
#include <vector>

#include "maps/Coverage.h"

namespace tarnvale::python {

/// What tarnvale.coverage returns.
struct CoverageResult {
  CoverageJob job;
  CoverageValues values;
  /// The items the command line's GeoTIFF carries for the same inputs.
  std::vector<std::pair<std::string, std::string>> metadata;
  /// Description of the map's climate ("options", "maps" or "default").
  std::string climateSource;

  /// The values (dB), n x n float32, row 0 the northern row, column 0 the
  /// western; NaN where the point has no value.
  pybind11::array_t<float> lossArray() const;
  /// The job's quantity likewise (the loss for a loss map).
  pybind11::array_t<float> valuesArray() const;
  /// The GDAL geotransform of the map's GeoTIFF: pixel centres on the points.
  pybind11::tuple transform() const;
  /// Writes the GeoTIFF the command line writes for the same inputs.
  void toGeoTiff(const std::string& path) const;
};

/// Runs @p job with the interpreter free, reporting to @p progress (a
/// callable (done, total) or None) from the calling thread about ten times a
/// second; Ctrl+C (or an exception from @p progress) stops the workers after
/// their current point and is raised here.
CoverageValues RunCoverageFromPython(const CoverageJob& job, const pybind11::object& progress);

}  // namespace tarnvale::python
