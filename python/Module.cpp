// The Python module tarnvale: the core's locations, paths, profiles and
// coverage maps with the command line's names, defaults and numbers.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <filesystem>
#include <optional>
#include <string>

#include "climate/Refractivity.h"
#include "geo/LocationText.h"
#include "python/Convert.h"
#include "python/Coverage.h"
#include "python/Options.h"
#include "python/Paths.h"
#include "session/CoverageSetup.h"
#include "session/PathProfile.h"
#include "session/Reports.h"
#include "text/Version.h"

namespace py = pybind11;
using namespace py::literals;

namespace tarnvale::python {
namespace {

py::dict Locate(const std::string& text, const std::optional<std::string>& format) {
  return ToPython(LocateReport(LocationIn(text, FormatCode(format))));
}

py::dict Profile(const py::object& tx, const py::object& rx, const std::string& terrain,
                 const std::optional<std::string>& climate, bool interpolate, bool coverage,
                 std::optional<double> kFactor, const std::optional<std::string>& format) {
  PathProfileRequest request;
  request.tx = End(tx, format, "Invalid TX Locator");
  request.rx = End(rx, format, "Invalid RX Locator");
  request.terrain = Folder(terrain, "terrain");
  request.climate = climate ? Folder(*climate, "climate") : std::string();
  request.interpolate = interpolate;
  request.coverage = coverage;
  request.k = kFactor.value_or(0.0);
  PathProfile sampled;
  {
    py::gil_scoped_release free;
    sampled = SamplePathProfile(request);
  }
  if (!sampled.sampled) throw py::value_error("Path too short");
  const TerrainProfile& p = sampled.profile;
  const auto n = static_cast<py::ssize_t>(p.n);
  py::array_t<double> distance(n, p.dist.data()), height(n, p.height.data()), curvature(n, p.curvature.data());
  py::array_t<std::uint8_t> zone(n, p.zone.data());
  py::list missing;
  for (const MissingTile& tile : sampled.missingTiles) missing.append(tile.name);
  return py::dict("distance_km"_a = distance, "height_m"_a = height, "zone"_a = zone, "curvature_m"_a = curvature,
                  "path_length_km"_a = p.pathLength, "k_factor"_a = sampled.k,
                  "tx"_a = py::make_tuple(request.tx.latitude(), request.tx.longitude()),
                  "rx"_a = py::make_tuple(request.rx.latitude(), request.rx.longitude()),
                  "missing_tiles"_a = missing);
}

CoverageResult Coverage(const py::object& tx, double rangeKm, int resolution, int size, double freq, double percent,
                        double txHeight, double rxHeight, double temperature, double pressure, double humidity,
                        std::optional<double> kFactor, const std::string& terrain,
                        const std::optional<std::string>& climate, std::optional<double> n0,
                        std::optional<double> deltaN, std::optional<int> threads, const py::object& progress,
                        const std::optional<std::string>& format, const py::kwargs& kwargs) {
  Keywords k(kwargs);
  ModelChoice choice;
  TakeModel(k, choice);
  const LinkInputs linkInputs = TakeLink(k, false);
  const auto quantityName = k.text("quantity");
  k.finish("coverage");
  LinkQuantity quantity = LinkQuantity::Loss;
  if (quantityName && !ParseLinkQuantity(*quantityName, quantity))
    throw py::value_error("quantity must be one of loss, power, field, margin, not '" + *quantityName + "'");
  const LinkRecord link = LinkRecordOf(linkInputs);
  if (choice.isP452())
    if (const std::string problem = P452BoundsProblem(freq, percent); !problem.empty()) throw py::value_error(problem);
  CoverageRequest request;
  request.transmitter = End(tx, format, "Invalid TX Locator");
  request.rangeKm = rangeKm;
  request.resolution = resolution;
  request.widthPx = request.heightPx = size;
  request.radio.frequency = freq;
  request.radio.percent = percent;
  request.radio.txHeight = txHeight;
  request.radio.rxHeight = rxHeight;
  request.radio.forcedKFactor = kFactor.has_value();
  request.radio.kFactor = kFactor.value_or(0.0);
  request.radio.temperature = temperature;
  request.radio.pressure = pressure;
  request.radio.humidity = humidity;
  request.radio.modelChoice = choice;
  request.quantity = quantity;
  request.link = link;
  request.terrainDirectory = Folder(terrain, "terrain");
  const CRefractivity maps(climate ? std::filesystem::path(Folder(*climate, "climate"))
                                   : std::filesystem::current_path());
  const CoverageClimate chosen = CoverageClimateAt(request.transmitter, maps, n0, deltaN);
  request.n0 = chosen.n0;
  request.deltaN = chosen.deltaN;
  request.threads = threads.value_or(0);
  CoverageResult result;
  result.job = CoverageJobFor(request);
  if (!result.job.grid.valid) throw py::value_error("no coverage grid for this range and resolution");
  result.metadata = CoverageMetadata(request, result.job);
  result.climateSource = chosen.source;
  result.values = RunCoverageFromPython(result.job, progress);
  return result;
}

}  // namespace
}  // namespace tarnvale::python

PYBIND11_MODULE(tarnvale, m) {
  using namespace tarnvale::python;
  m.doc() = R"(Tarnvale: the basic transmission loss of radio paths over real terrain.

The same core as the desktop program and tarnvale-cli, with the command line's
option names (as keyword arguments), defaults and numbers: ITU-R P.452 clear-air
mechanisms with gaseous loss after P.676, SRTM 3" terrain tiles and radio-climate
maps. Units: distances km, heights m, frequency GHz, losses dB, angles degrees
(north and east positive), pressure hPa, temperature degrees C, humidity %.

Locations are texts in one of four formats -- Maidenhead locator (loc, "IO91JO26"),
National Grid reference (ngr, "SU374616"), decimal degrees (deg, "51.235 N 1.423 W"
or "51.235,-1.423"), degrees-minutes-seconds (dms) -- read in the first format
that accepts them unless format= says which, or (latitude, longitude) pairs.

Bad input raises ValueError (FileNotFoundError for a missing terrain or climate
folder) with the command line's message.)";
  m.attr("__version__") = tarnvale::VersionText();

  m.def("locate", &Locate, "text"_a, "format"_a = py::none(),
        R"(A location in every format, as `tarnvale-cli locate --json` gives it.

text: the location; format: "loc", "ngr", "deg" or "dms", or None for the first
that reads it. Returns a dict: valid, latitude and longitude (degrees), loc, ngr,
deg, dms (texts), easting and northing (National Grid, whole m; 0 off the grid);
an unreadable text gives valid False and None for the rest.)");

  AddPathFunctions(m);

  m.def("profile", &Profile, "tx"_a, "rx"_a, py::kw_only(), "terrain"_a = ".", "climate"_a = py::none(),
        "interpolate"_a = false, "coverage"_a = false, "k_factor"_a = py::none(), "format"_a = py::none(),
        R"(The sampled terrain profile of a path, as `tarnvale-cli profile` prints it.

tx, rx: the ends; terrain: folder of the .hgt tiles and zones01.dem; climate:
folder of the radio-climate maps (None: the working directory), which give the
earth bulge's factor at mid-path; interpolate: bilinear terrain heights;
coverage: a coverage point's sampling (at most 250 intervals); k_factor: the
bulge's effective Earth-radius factor instead.
Returns a dict of NumPy arrays distance_km (from the transmitter), height_m
(ground, 0 for sea and missing data), zone (1 sea, 2 coastal land, 3 inland,
255 no zone map) and curvature_m (earth bulge above the chord), with
path_length_km, k_factor, tx and rx (latitude, longitude) and missing_tiles.)");

  py::class_<CoverageResult>(m, "Coverage", R"(An area coverage map: the result of tarnvale.coverage.)")
      .def_property_readonly("loss", &CoverageResult::lossArray,
                             R"(Loss of every point (dB, gaseous loss included): a 2-D float32 array, row 0
the northern row, column 0 the western, NaN where there is no value.)")
      .def_property_readonly("values", &CoverageResult::valuesArray,
                             R"(The map's quantity at every point, in its unit (see .quantity and .unit):
the loss (dB) as .loss for a loss map, else the received power (dBm), field
strength (dBuV/m) or margin (dB); the same layout as .loss.)")
      .def_property_readonly("quantity", [](const CoverageResult& r) { return std::string(LinkQuantityName(r.job.quantity)); },
                             "What .values holds: \"loss\", \"power\", \"field\" or \"margin\".")
      .def_property_readonly("unit", [](const CoverageResult& r) { return std::string(LinkQuantityUnit(r.job.quantity)); },
                             "The unit of .values.")
      .def_property_readonly("transform", &CoverageResult::transform,
                             R"(The GDAL geotransform of the map (degrees): (west, step, 0, north, 0, -step),
pixel centres on the sample points, as the command line's GeoTIFF has it.)")
      .def_property_readonly_static("crs", [](const py::object&) { return "EPSG:4326"; },
                                    "The coordinate reference system: \"EPSG:4326\".")
      .def_property_readonly("n0", [](const CoverageResult& r) { return r.job.inputs.n0; },
                             "N0 of every point (N-units).")
      .def_property_readonly("delta_n", [](const CoverageResult& r) { return r.job.inputs.deltaN; },
                             "delta-N of every point (N-units/km).")
      .def_property_readonly("climate_source", [](const CoverageResult& r) { return r.climateSource; },
                             "Where N0 and delta-N came from: \"options\", \"maps\" or \"default\".")
      .def_property_readonly("cancelled", [](const CoverageResult& r) { return r.values.cancelled; },
                             "True when the run stopped before every point was computed.")
      .def("to_geotiff", &CoverageResult::toGeoTiff, "path"_a,
           R"(Writes the map as the GeoTIFF `tarnvale-cli coverage --geotiff` writes for the same
inputs: float32 in EPSG:4326, -9999 for no data, every input in its metadata.)");

  m.def("coverage", &Coverage, "tx"_a, py::kw_only(), "range_km"_a = 10.0, "resolution"_a = 4, "size"_a = 500,
        "freq"_a = 10.368, "percent"_a = 50.0, "tx_height"_a = 10.0, "rx_height"_a = 10.0, "temperature"_a = 20.0,
        "pressure"_a = 1000.0, "humidity"_a = 40.0, "k_factor"_a = py::none(), "terrain"_a = ".",
        "climate"_a = py::none(), "n0"_a = py::none(), "delta_n"_a = py::none(), "threads"_a = py::none(),
        "progress"_a = py::none(), "format"_a = py::none(),
        R"(The loss from tx to every point of a square around it, as `tarnvale-cli coverage`.

range_km: half the square's side (km); resolution: pixels per sample of a
size x size picture (the grid has size // resolution points a side); freq (GHz),
percent (time, %), tx_height and rx_height (m above ground), temperature (C),
pressure (hPa), humidity (%) and k_factor (forced median factor) as for a path;
terrain and climate: data folders; n0 and delta_n: the climate of every point
(both given), else the maps at the transmitter, else 320 and 45; threads:
workers (None: one per processor); progress: a callable progress(done, total)
called from this thread about ten times a second; model and P.452-18's
own inputs as for path; quantity ("loss", "power", "field" or "margin") with
the link budget's keywords as for path.
The interpreter is free while the map is computed; Ctrl+C stops it within
100 ms (KeyboardInterrupt). Returns a Coverage: .loss, .values, .transform,
.crs, .to_geotiff(path).)");
}
