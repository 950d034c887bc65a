// tarnvale.coverage: the Area Coverage map on worker threads with the
// interpreter free, its losses as a float32 NumPy array with the GeoTIFF's
// geotransform, progress reports and Ctrl+C from the calling thread.
#include "python/Coverage.h"

#include <pybind11/numpy.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <stop_token>

#include "climate/Zones.h"
#include "exports/GdalModule.h"
#include "exports/MapExport.h"

namespace py = pybind11;

namespace tarnvale::python {

namespace {

/// How often the calling thread looks at Ctrl+C and reports progress: often
/// enough that an interrupt stops the map well within 100 ms.
constexpr auto kReportEvery = std::chrono::milliseconds(50);

}  // namespace

namespace {

/// @p field (the engine's column-major values) as an n x n float32 array.
py::array_t<float> northFirst(const CoverageValues& values, const std::vector<double>& field) {
  const int n = values.n;
  py::array_t<float> array({n, n});
  auto out = array.mutable_unchecked<2>();
  // The engine keeps the map column after column (west to east); the array
  // is row after row, north first, as a GeoTIFF and matplotlib take it.
  for (int k = 0; k < n; ++k)
    for (int j = 0; j < n; ++j) {
      const std::size_t i = values.index(j, k);
      out(k, j) = values.state[i] == PointState::Ok ? static_cast<float>(field[i])
                                                    : std::numeric_limits<float>::quiet_NaN();
    }
  return array;
}

}  // namespace

py::array_t<float> CoverageResult::lossArray() const { return northFirst(values, values.loss); }

py::array_t<float> CoverageResult::valuesArray() const {
  return northFirst(values, job.quantity == LinkQuantity::Loss ? values.loss : values.quantity);
}

py::tuple CoverageResult::transform() const {
  const CoverageGrid& g = job.grid;
  return py::make_tuple(g.westEdge - g.step / 2.0, g.step, 0.0, g.northEdge + g.step / 2.0, 0.0, -g.step);
}

void CoverageResult::toGeoTiff(const std::string& path) const {
  std::string error;
  bool written = false;
  {
    py::gil_scoped_release free;
    written = gdal::WriteCoverageGeoTiff(path, job.grid, values, error, metadata, CoverageBandFor(job.quantity));
  }
  if (!written) throw std::runtime_error(error);
}

CoverageValues RunCoverageFromPython(const CoverageJob& job, const py::object& progress) {
  CZONES zones(job.terrainDirectory);
  std::stop_source stop;
  std::optional<py::error_already_set> failure;
  auto last = std::chrono::steady_clock::now() - kReportEvery;
  CoverageCallbacks callbacks;
  callbacks.progress = [&](long long done, long long total) {
    const auto now = std::chrono::steady_clock::now();
    if (failure || (now - last < kReportEvery && done < total)) return;
    last = now;
    py::gil_scoped_acquire gil;
    try {
      // Ctrl+C reaches Python as a pending signal on the main thread.
      if (PyErr_CheckSignals() != 0) throw py::error_already_set();
      if (!progress.is_none()) progress(done, total);
    } catch (py::error_already_set& e) {
      failure.emplace(std::move(e));
      stop.request_stop();
    }
  };
  CoverageValues values;
  {
    py::gil_scoped_release free;
    values = RunCoverage(job, zones, stop.get_token(), callbacks);
  }
  if (failure) throw std::move(*failure);
  if (values.n == 0) throw std::runtime_error("Memory allocation failure");
  return values;
}

}  // namespace tarnvale::python
