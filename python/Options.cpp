#include "python/Options.h"

#include <cctype>
#include <cstdio>
#include <filesystem>

#include "geo/LocationText.h"

namespace py = pybind11;

namespace tarnvale::python {

int FormatCode(const std::optional<std::string>& name) {
  if (!name) return -1;
  std::string lower = *name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto& names = FormatNames();
  const auto found = names.find(lower);
  if (found == names.end()) throw py::value_error("format must be one of loc, ngr, deg, dms, not '" + *name + "'");
  return found->second;
}

CLocator End(const py::handle& where, const std::optional<std::string>& format, const char* invalid) {
  if (py::isinstance<py::str>(where)) {
    const CLocator location = LocationIn(where.cast<std::string>(), FormatCode(format));
    if (!location.isValid()) throw py::value_error(invalid);
    return location;
  }
  try {
    const auto pair = where.cast<std::pair<double, double>>();
    const CLocator location(pair.first, pair.second);
    if (!location.isValid()) throw py::value_error(invalid);
    return location;
  } catch (const py::cast_error&) {
    throw py::value_error(std::string(invalid) + ": give a location text or a (latitude, longitude) pair");
  }
}

std::string Folder(const std::string& path, const char* what) {
  std::error_code error;
  if (!std::filesystem::is_directory(path.empty() ? "." : path, error)) {
    PyErr_SetString(PyExc_FileNotFoundError, (std::string(what) + " folder not found: " + path).c_str());
    throw py::error_already_set();
  }
  return path;
}

Keywords::Keywords(const py::kwargs& given) : given_(given) {}

bool Keywords::given(const char* name) const { return given_.contains(name) && !given_[name].is_none(); }

py::object Keywords::object(const char* name) {
  taken_.insert(name);
  return given_.contains(name) ? py::reinterpret_borrow<py::object>(given_[name]) : py::none();
}

std::optional<double> Keywords::number(const char* name) {
  const py::object value = object(name);
  if (value.is_none()) return std::nullopt;
  if (py::isinstance<py::bool_>(value) || !(py::isinstance<py::float_>(value) || py::isinstance<py::int_>(value) ||
                                            py::hasattr(value, "__float__")))
    throw py::value_error(std::string(name) + " must be a number");
  return value.cast<double>();
}

std::optional<double> Keywords::number(const char* name, const InputLimits& limits) {
  const std::optional<double> value = number(name);
  if (value && !(*value >= limits.min && *value <= limits.max)) {
    char message[200];
    std::snprintf(message, sizeof message, "%s: %.*s must be a number from %g to %g, not '%s'", name,
                  static_cast<int>(limits.name.size()), limits.name.data(), limits.min, limits.max,
                  py::str(py::float_(*value)).cast<std::string>().c_str());
    throw py::value_error(message);
  }
  return value;
}

std::optional<std::string> Keywords::text(const char* name) {
  const py::object value = object(name);
  if (value.is_none()) return std::nullopt;
  if (!py::isinstance<py::str>(value)) throw py::value_error(std::string(name) + " must be a text");
  return value.cast<std::string>();
}

std::optional<std::string> Keywords::textOrNumber(const char* name) {
  const py::object value = object(name);
  if (value.is_none()) return std::nullopt;
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  if (py::isinstance<py::bool_>(value)) throw py::value_error(std::string(name) + " must be a number or a text");
  // repr of a float is its shortest decimal that reads back to the same bits.
  return py::repr(py::float_(value.cast<double>())).cast<std::string>();
}

bool Keywords::flag(const char* name, bool fallback) {
  const py::object value = object(name);
  return value.is_none() ? fallback : value.cast<bool>();
}

void Keywords::finish(const char* function) const {
  for (const auto& item : given_) {
    const std::string key = item.first.cast<std::string>();
    if (!taken_.count(key))
      throw py::type_error(std::string(function) + "() got an unexpected keyword argument '" + key + "'");
  }
}

void TakeRadio(Keywords& k, PathRequest& r) {
  r.frequency = k.number("freq", kFrequencyLimits).value_or(r.frequency);
  r.percent = k.number("percent", kPercentLimits).value_or(r.percent);
  r.txHeight = k.number("tx_height", kAntennaHeightLimits).value_or(r.txHeight);
  r.rxHeight = k.number("rx_height", kAntennaHeightLimits).value_or(r.rxHeight);
  r.temperature = k.number("temperature", kTemperatureLimits).value_or(r.temperature);
  r.pressure = k.number("pressure", kPressureLimits).value_or(r.pressure);
  r.humidity = k.number("humidity", kHumidityLimits).value_or(r.humidity);
  r.kFactor = k.number("k_factor", kKFactorLimits).value_or(0.0);
  r.interpolate = k.flag("interpolate", false);
  r.terrain = Folder(k.text("terrain").value_or("."), "terrain");
  if (const auto climate = k.text("climate")) r.climate = Folder(*climate, "climate");
}

void TakeModel(Keywords& k, ModelChoice& c) {
  c = ModelChoice{};
  if (const auto name = k.text("model"); name && !PathModelNamed(*name, c.model))
    throw py::value_error("model must be 'classic' or 'p452-18', not '" + *name + "'");
  for (const char* name : {"polarisation", "clutter_height", "dct", "dcr"})
    if (k.given(name) && !c.isP452()) throw py::value_error(std::string(name) + " applies to model='p452-18' only");
  if (const auto p = k.text("polarisation")) {
    if (*p == "h" || *p == "H")
      c.polarisation = P452Polarisation::kHorizontal;
    else if (*p == "v" || *p == "V")
      c.polarisation = P452Polarisation::kVertical;
    else
      throw py::value_error("polarisation must be 'h' or 'v', not '" + *p + "'");
  }
  c.clutterHeightM = k.number("clutter_height", kClutterHeightLimits).value_or(0.0);
  const std::optional<double> dct = k.number("dct", kCoastDistanceLimits);
  const std::optional<double> dcr = k.number("dcr", kCoastDistanceLimits);
  // One distance given is taken as given; the other still follows from the zones.
  c.coastGiven = dct || dcr;
  c.dctKm = dct.value_or(-1.0);
  c.dcrKm = dcr.value_or(-1.0);
}

LinkInputs TakeLink(Keywords& k, bool gainsOnly) {
  LinkInputs in;
  in.txGain = k.textOrNumber("tx_gain").value_or("");
  in.rxGain = k.textOrNumber("rx_gain").value_or("");
  if (gainsOnly) return in;
  in.power = k.textOrNumber("power").value_or("");
  // A bare number of power is dBm.
  if (!in.power.empty() && std::isdigit(static_cast<unsigned char>(in.power.back()))) in.power += "dBm";
  in.txFeederLoss = k.number("tx_feeder_loss");
  in.rxFeederLoss = k.number("rx_feeder_loss");
  const auto either = [&](const char* a, const char* b) {
    if (k.given(a) && k.given(b)) throw py::value_error(std::string("give ") + a + " or " + b + ", not both");
    const auto first = k.number(a);
    const auto second = k.number(b);
    return first ? first : second;
  };
  const auto pattern = k.text("pattern");
  const auto txPattern = k.text("tx_pattern");
  if (pattern && txPattern) throw py::value_error("give pattern or tx_pattern, not both");
  in.txPattern = pattern ? *pattern : txPattern.value_or("");
  in.rxPattern = k.text("rx_pattern").value_or("");
  in.txAzimuth = either("azimuth", "tx_azimuth");
  in.txDowntilt = either("downtilt", "tx_downtilt");
  in.rxAzimuth = k.number("rx_azimuth");
  in.rxDowntilt = k.number("rx_downtilt");
  if (in.rxDowntilt && !in.rxAzimuth) throw py::value_error("rx_downtilt needs rx_azimuth");
  in.threshold = k.number("threshold");
  for (const std::string* file : {&in.txPattern, &in.rxPattern})
    if (!file->empty() && !std::filesystem::is_regular_file(*file)) {
      PyErr_SetString(PyExc_FileNotFoundError, ("pattern file not found: " + *file).c_str());
      throw py::error_already_set();
    }
  return in;
}

LinkRecord LinkRecordOf(const LinkInputs& inputs) {
  LinkRecord record;
  std::string error;
  if (!LinkRecordFrom(inputs, record, error)) throw py::value_error(error);
  return record;
}

}  // namespace tarnvale::python
