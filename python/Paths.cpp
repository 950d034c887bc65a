#include "python/Paths.h"

#include <pybind11/numpy.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "climate/Zones.h"
#include <nlohmann/json.hpp>

#include "python/Convert.h"
#include "python/Options.h"
#include "session/PathRun.h"

namespace py = pybind11;
using namespace py::literals;

namespace tarnvale::python {
namespace {

/// Runs @p request with the interpreter free and gives its JSON report as a
/// dict. A usage problem raises ValueError with the command line's message,
/// an invalid input without a report (a receiver off the map) ValueError too;
/// warnings (tiles not found, a damaged zone map) go to Python's warnings.
template <typename Run>
py::dict Report(const PathRequest& request, Run run) {
  std::ostringstream out, err;
  nlohmann::json report;
  int status = 0;
  {
    py::gil_scoped_release free;
    PathRunOutput output{out, err, "", &report};
    status = run(request, output);
  }
  std::string messages = err.str();
  std::string problems;
  std::istringstream lines(messages);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("warning: ", 0) == 0)
      PyErr_WarnEx(PyExc_RuntimeWarning, line.substr(9).c_str(), 1);
    else
      problems += (problems.empty() ? "" : "; ") + line;
  }
  if (report.is_null() || status == kPathRunUsage) throw py::value_error(problems.empty() ? "no result" : problems);
  return ToPython(report);
}

/// The ends of a path call: tx and rx, or tx with range_km and bearing.
void TakeEnds(const py::object& tx, const py::object& rx, Keywords& k, PathRequest& r) {
  const auto format = k.text("format");
  const auto range = k.number("range_km", kRangeLimits);
  const auto bearing = k.number("bearing", kBearingLimits);
  r.tx = End(tx, format, "Invalid TX Locator");
  if (rx.is_none()) {
    if (!range || !bearing) throw py::value_error("give rx, or range_km and bearing");
    r.byRange = true;
    r.rangeKm = *range;
    r.bearingDeg = *bearing;
  } else {
    if (range || bearing) throw py::value_error("give rx, or range_km and bearing, not both");
    r.rx = End(rx, format, "Invalid RX Locator");
  }
}

/// The model and link keywords of a call into @p r.
void TakeModelAndLink(Keywords& k, PathRequest& r, bool gainsOnly) {
  TakeModel(k, r.choice);
  const LinkInputs link = TakeLink(k, gainsOnly);
  r.linkGiven = link.given();
  r.link = LinkRecordOf(link);
  if (r.choice.isP452())
    if (const std::string problem = P452BoundsProblem(r.frequency, gainsOnly ? 50.0 : r.percent); !problem.empty())
      throw py::value_error(problem);
}

py::dict Path(const py::object& tx, const py::object& rx, const py::kwargs& kwargs) {
  Keywords k(kwargs);
  PathRequest r;
  TakeEnds(tx, rx, k, r);
  TakeRadio(k, r);
  TakeModelAndLink(k, r, false);
  k.finish("path");
  return Report(r, [](const PathRequest& q, PathRunOutput& o) { return RunPathReport(q, true, o); });
}

/// A 1-D array of @p values as doubles (any array-like), or nothing for None.
std::vector<double> Doubles(const py::object& values, const char* name) {
  const auto array = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(values);
  if (!array || array.ndim() != 1) throw py::value_error(std::string(name) + " must be a 1-D array of numbers");
  return std::vector<double>(array.data(), array.data() + array.size());
}

py::dict ProfileLoss(const py::object& distance, const py::object& height, const py::object& zone,
                     const py::kwargs& kwargs) {
  Keywords k(kwargs);
  PathRequest r;
  r.supplied = true;
  const auto lat = k.number("lat", InputLimits{"lat", -90.0, 90.0, 6});
  if (!lat) throw py::value_error("lat (the profile's mean latitude, degrees) is needed");
  r.latitude = *lat;
  r.n0 = k.number("n0", InputLimits{"N0", 150.0, 500.0, 2}).value_or(r.n0);
  r.deltaN = k.number("delta_n", InputLimits{"delta-N", -300.0, 156.0, 3}).value_or(r.deltaN);
  const py::object clutter = k.object("clutter_m");
  TakeRadio(k, r);
  TakeModelAndLink(k, r, false);
  k.finish("profile_loss");
  ProfileColumns& c = r.profile;
  c.dist = Doubles(distance, "distance_km");
  c.height = Doubles(height, "height_m");
  if (zone.is_none()) {
    c.zone.assign(c.dist.size(), zones::kInland);
  } else {
    for (double z : Doubles(zone, "zone")) c.zone.push_back(z >= 0.0 && z <= 255.0 && z == std::floor(z)
                                                                ? static_cast<std::uint8_t>(z)
                                                                : std::uint8_t{0});
  }
  if (!clutter.is_none()) {
    if (!r.choice.isP452()) throw py::value_error("clutter_m applies to model='p452-18' only");
    c.clutter = Doubles(clutter, "clutter_m");
  }
  std::string message;
  if (!CheckProfileColumns(c, SuppliedProfileLimits(r.choice.isP452()), message)) throw py::value_error(message);
  return Report(r, [](const PathRequest& q, PathRunOutput& o) { return RunPathReport(q, true, o); });
}

py::dict Mechanisms(const py::object& tx, const py::object& rx, const py::kwargs& kwargs) {
  Keywords k(kwargs);
  PathRequest r;
  TakeEnds(tx, rx, k, r);
  TakeRadio(k, r);
  TakeModelAndLink(k, r, true);
  if (!r.choice.isP452() && r.linkGiven) throw py::value_error("tx_gain and rx_gain apply to model='p452-18' only");
  k.finish("mechanisms");
  py::dict report = Report(r, [](const PathRequest& q, PathRunOutput& o) { return RunMechanismsReport(q, true, o); });
  if (!report.contains("points")) return report;  // a path too short: the report as the command line gives it
  // The points as columns: the percentages and each series, NaN where a
  // percentage has no valid path.
  const py::list points = report["points"];
  const auto n = static_cast<py::ssize_t>(points.size());
  py::array_t<double> percent(n);
  py::array_t<bool> ok(n);
  const std::vector<std::string> names = r.choice.isP452()
                                             ? std::vector<std::string>{"Lbd", "Lbs", "Lba", "Lb"}
                                             : std::vector<std::string>{"Diffraction", "Troposcatter", "Ducting",
                                                                        "Overall"};
  std::vector<py::array_t<double>> series;  // one array each, not copies of one handle
  for (std::size_t s = 0; s < names.size(); ++s) series.emplace_back(n);
  for (py::ssize_t i = 0; i < n; ++i) {
    const py::dict point = points[static_cast<std::size_t>(i)];
    percent.mutable_at(i) = point["percent"].cast<double>();
    ok.mutable_at(i) = point["ok"].cast<bool>();
    for (std::size_t s = 0; s < names.size(); ++s) {
      const py::object value = point[names[s].c_str()];
      series[s].mutable_at(i) = value.is_none() ? std::numeric_limits<double>::quiet_NaN() : value.cast<double>();
    }
  }
  report["percent"] = percent;
  report["ok"] = ok;
  for (std::size_t s = 0; s < names.size(); ++s) report[names[s].c_str()] = series[s];
  return report;
}

constexpr const char* kRadioDoc = R"(
Keywords as the command line's options (all optional): freq (GHz, 10.368),
percent (time, %, 50), tx_height and rx_height (m above ground, 10),
temperature (C, 20), pressure (hPa, 1000), humidity (%, 40), k_factor (forced
median factor), interpolate (False), terrain (folder of the tiles and
zones01.dem, "."), climate (folder of the radio-climate maps), format (of
location texts); model ("classic" or "p452-18") and, for p452-18 only,
polarisation ("h" or "v"), clutter_height (m), dct and dcr (km to the coast).)";

constexpr const char* kLinkDoc = R"(
Link budget: power (a text with its unit, "10W", "40dBm", or a number of dBm),
tx_gain and rx_gain (dBi, or a text such as "12dBd"), tx_feeder_loss and
rx_feeder_loss (dB), pattern (or tx_pattern) and rx_pattern (pattern files),
azimuth and downtilt (or tx_azimuth, tx_downtilt; degrees), rx_azimuth and
rx_downtilt (the receiving antenna keeps them instead of pointing at the
transmitter), threshold (dBm). With any of them the dict holds "link".)";

}  // namespace

void AddPathFunctions(py::module_& m) {
  m.def("path", &Path, "tx"_a, "rx"_a = py::none(),
        (std::string(R"(The basic transmission loss of one path, as `tarnvale-cli path --json` gives it.

tx, rx: the ends (location texts or (latitude, longitude) pairs); or rx None
with range_km (km) and bearing (degrees true) from tx. Returns the command
line's JSON object as a dict, with the same keys and the same numbers to the
last bit (losses in dB: Lb, Lbd, ... and gasLoss for the classic model; ITU's
names, gas included, for p452-18).)") +
         kRadioDoc + kLinkDoc)
            .c_str());
  m.def("profile_loss", &ProfileLoss, "distance_km"_a, "height_m"_a, "zone"_a = py::none(),
        (std::string(R"(The loss over a profile given as arrays, as `tarnvale-cli path --profile` gives it.

distance_km, height_m: any 1-D array-likes of one length (km from the first
sample, m above sea level); zone: the program's zone codes (1 sea, 2 coastal
land, 3 inland; None: all inland); lat: the profile's mean latitude (degrees;
for p452-18 its centre's), needed; n0 (320) and delta_n (45): its climate;
clutter_m: p452-18's clutter height of each sample (m). Returns the dict of
`path --profile FILE --json`.)") +
         kRadioDoc + kLinkDoc)
            .c_str());
  m.def("mechanisms", &Mechanisms, "tx"_a, "rx"_a = py::none(),
        (std::string(R"(The loss of each mechanism at the ten time percentages, as `tarnvale-cli mechanisms`.

Returns the command line's JSON object as a dict, with the points also as
NumPy arrays: percent, ok, and the four series in dB, NaN where a percentage
has no valid path: Diffraction, Troposcatter, Ducting and Overall (gaseous
loss included) for the classic model; Lbd, Lbs, Lba and Lb for p452-18. Takes
tx_gain and rx_gain (p452-18 only) of the link budget.)") +
         kRadioDoc)
            .c_str());
}

}  // namespace tarnvale::python
