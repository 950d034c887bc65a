#include "model/ModelChoice.h"

#include <charconv>
#include <cmath>
#include <set>

namespace tarnvale {
namespace {

constexpr std::string_view kFirstLine = "tarnvale-model 1";
constexpr std::string_view kLastLine = "end";

/// The shortest decimal text that reads back as @p value.
std::string shortest(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

bool parseNumber(std::string_view text, double& value) {
  if (text.empty() || text.front() == '+') return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && std::isfinite(value);
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

/// Reads one "key value" line into @p choice; false with @p why when the value is bad.
bool readField(std::string_view key, std::string_view value, ModelChoice& choice, std::string& why) {
  const auto number = [&](double& field, bool notNegative) {
    double v = 0.0;
    if (!parseNumber(value, v) || (notNegative && v < 0.0)) {
      why = notNegative ? "not a finite number of 0 or more" : "not a finite number";
      return false;
    }
    field = v;
    return true;
  };
  if (key == "model") {
    if (!PathModelNamed(value, choice.model)) {
      why = "unknown model";
      return false;
    }
    return true;
  }
  if (key == "polarisation") {
    if (value == "h") {
      choice.polarisation = P452Polarisation::kHorizontal;
    } else if (value == "v") {
      choice.polarisation = P452Polarisation::kVertical;
    } else {
      why = "polarisation is neither h nor v";
      return false;
    }
    return true;
  }
  if (key == "tx_gain_dBi") return number(choice.txGainDbi, false);
  if (key == "rx_gain_dBi") return number(choice.rxGainDbi, false);
  if (key == "clutter_height_m") return number(choice.clutterHeightM, true);
  if (key == "dct_km") return number(choice.dctKm, true);
  if (key == "dcr_km") return number(choice.dcrKm, true);
  if (key == "coast_given") {
    if (value != "0" && value != "1") {
      why = "a flag is neither 0 nor 1";
      return false;
    }
    choice.coastGiven = value == "1";
    return true;
  }
  return true;  // a later program's field
}

}  // namespace

const char* PathModelName(PathModel model) {
  return model == PathModel::kP452v18 ? "p452-18" : "classic";
}

bool PathModelNamed(std::string_view name, PathModel& model) {
  for (PathModel m : {PathModel::kClassic, PathModel::kP452v18}) {
    if (sameIgnoringCase(name, PathModelName(m))) {
      model = m;
      return true;
    }
  }
  return false;
}

const char* PathModelTitle(PathModel model) {
  return model == PathModel::kP452v18 ? "ITU-R P.452-18" : "Classic (P.452-16, Deygout)";
}

std::string ModelLine(PathModel model) { return std::string("Model: ") + PathModelTitle(model); }

const char* PolarisationName(P452Polarisation polarisation) {
  return polarisation == P452Polarisation::kVertical ? "v" : "h";
}

std::string P452RadioProblem(double frequencyGHz, double percent) {
  if (frequencyGHz >= kP452MinFrequencyGHz && frequencyGHz <= kP452MaxFrequencyGHz && percent >= kP452MinPercent &&
      percent <= kP452MaxPercent)
    return {};
  return "ITU-R P.452-18 takes " + shortest(kP452MinFrequencyGHz) + " to " + shortest(kP452MaxFrequencyGHz) +
         " GHz and " + shortest(kP452MinPercent) + " to " + shortest(kP452MaxPercent) + " % of time";
}

void ApplyModelChoice(const ModelChoice& choice, P452Inputs& inputs) {
  inputs.Gt = choice.txGainDbi;
  inputs.Gr = choice.rxGainDbi;
  inputs.polarisation = choice.polarisation;
}

std::string EncodeModelChoice(const ModelChoice& c) {
  std::string out(kFirstLine);
  out += '\n';
  const auto line = [&out](std::string_view key, const std::string& value) {
    out += key;
    out += ' ';
    out += value;
    out += '\n';
  };
  line("model", PathModelName(c.model));
  line("polarisation", PolarisationName(c.polarisation));
  line("tx_gain_dBi", shortest(c.txGainDbi));
  line("rx_gain_dBi", shortest(c.rxGainDbi));
  line("clutter_height_m", shortest(c.clutterHeightM));
  line("coast_given", c.coastGiven ? "1" : "0");
  line("dct_km", shortest(c.dctKm));
  line("dcr_km", shortest(c.dcrKm));
  out += kLastLine;
  out += '\n';
  return out;
}

bool DecodeModelChoice(std::string_view text, ModelChoice& choice, std::string* error) {
  const auto fail = [error](int lineNumber, const std::string& why) {
    if (error) *error = "line " + std::to_string(lineNumber) + ": " + why;
    return false;
  };
  ModelChoice read;
  std::set<std::string, std::less<>> seen;
  int lineNumber = 0;
  bool ended = false;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    std::string_view line = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    at = end == std::string_view::npos ? text.size() : end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (ended) {
      if (!line.empty()) return fail(lineNumber, "text after \"end\"");
      continue;
    }
    if (lineNumber == 1) {
      if (line != kFirstLine) return fail(lineNumber, "not a model choice (the first line is not \"tarnvale-model 1\")");
      continue;
    }
    if (line == kLastLine) {
      ended = true;
      continue;
    }
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos || space == 0) return fail(lineNumber, "not a \"key value\" line");
    const std::string_view key = line.substr(0, space);
    if (!seen.emplace(key).second) return fail(lineNumber, "the key " + std::string(key) + " is given twice");
    std::string why;
    if (!readField(key, line.substr(space + 1), read, why)) return fail(lineNumber, std::string(key) + ": " + why);
  }
  if (lineNumber == 0) return fail(1, "empty text");
  if (!ended) return fail(lineNumber, "no \"end\" line");
  choice = read;
  return true;
}

}  // namespace tarnvale
