#include "python/Convert.h"

#include <cmath>

namespace py = pybind11;

namespace tarnvale::python {

py::object ToPython(const nlohmann::json& value) {
  switch (value.type()) {
    case nlohmann::json::value_t::null:
      return py::none();
    case nlohmann::json::value_t::boolean:
      return py::bool_(value.get<bool>());
    case nlohmann::json::value_t::number_integer:
      return py::int_(value.get<std::int64_t>());
    case nlohmann::json::value_t::number_unsigned:
      return py::int_(value.get<std::uint64_t>());
    case nlohmann::json::value_t::number_float: {
      const double v = value.get<double>();
      return std::isfinite(v) ? py::object(py::float_(v)) : py::object(py::none());
    }
    case nlohmann::json::value_t::string:
      return py::str(value.get_ref<const std::string&>());
    case nlohmann::json::value_t::array: {
      py::list list;
      for (const nlohmann::json& item : value) list.append(ToPython(item));
      return list;
    }
    case nlohmann::json::value_t::object: {
      py::dict dict;
      for (const auto& [key, item] : value.items()) dict[py::str(key)] = ToPython(item);
      return dict;
    }
    default:
      return py::none();
  }
}

}  // namespace tarnvale::python
