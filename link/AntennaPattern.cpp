#include "link/AntennaPattern.h"

#include <algorithm>
#include <cmath>

#include "link/LinkConstants.h"
#include "link/LinkUnits.h"
#include "link/TextScan.h"

namespace tarnvale {
namespace {

using link::EqualsIgnoreCase;

/// The leading number of @p value, NaN when it has none.
double leadingNumber(std::string_view value) {
  std::string_view rest = link::Trim(value);
  double number = 0.0;
  return link::ScanNumber(rest, number) ? number : PatternInfo::kNotGiven;
}

/// Strips one pair of parentheses around @p word: "(dBi)" -> "dBi".
std::string_view unparenthesised(std::string_view word) {
  if (word.size() >= 2 && word.front() == '(' && word.back() == ')') return word.substr(1, word.size() - 2);
  return word;
}

/// GAIN: a number with a unit before or after it, or a bare number (dBd).
bool readGain(std::string_view value, std::optional<double>& gainDbi, std::string& why) {
  const std::string_view text = link::Trim(value);
  if (text.empty()) {
    gainDbi.reset();
    return true;
  }
  std::string_view rest = text;
  std::string_view unitBefore;
  double number = 0.0;
  if (!link::ScanNumber(rest, number)) {
    const std::vector<std::string_view> words = link::SplitWords(text);
    unitBefore = unparenthesised(words.front());
    rest = link::Trim(text.substr(words.front().size()));
    if (!link::ScanNumber(rest, number)) {
      why = "GAIN " + link::Quote(text) + " is not a number with dBi or dBd";
      return false;
    }
  }
  std::string_view unit = unparenthesised(link::Trim(rest));
  if (!unitBefore.empty() && !unit.empty()) {
    why = "GAIN " + link::Quote(text) + " gives two units";
    return false;
  }
  if (unit.empty()) unit = unitBefore;
  if (unit.empty() || EqualsIgnoreCase(unit, "dBd")) {
    gainDbi = DbiFromDbd(number);
  } else if (EqualsIgnoreCase(unit, "dBi")) {
    gainDbi = number;
  } else {
    why = "GAIN " + link::Quote(text) + " has the unit " + link::Quote(unit) + ": dBi or dBd expected";
    return false;
  }
  return true;
}

/// FREQUENCY: its first number, in MHz unless GHz follows it.
double readFrequency(std::string_view value) {
  std::string_view rest = link::Trim(value);
  double number = 0.0;
  if (!link::ScanNumber(rest, number)) return PatternInfo::kNotGiven;
  const std::vector<std::string_view> words = link::SplitWords(rest);
  if (!words.empty() && EqualsIgnoreCase(words.front(), "GHz")) return number * link::kMHzPerGHz;
  return number;
}

/// The attenuation of a sorted cut at @p angleDeg, linear between listed
/// angles and across 360.
double interpolate(const std::vector<PatternPoint>& cut, double angleDeg) {
  if (cut.empty()) return 0.0;
  if (cut.size() == 1) return cut.front().attenuationDb;
  const double a = WrapDegrees(angleDeg);
  if (std::isnan(a)) return a;
  const auto above = std::upper_bound(cut.begin(), cut.end(), a,
                                      [](double angle, const PatternPoint& p) { return angle < p.angleDeg; });
  PatternPoint lo, hi;
  if (above == cut.begin() || above == cut.end()) {
    // Between the last listed angle and the first one a turn later.
    lo = cut.back();
    hi = cut.front();
    hi.angleDeg += link::kFullTurnDeg;
    const double at = (a < lo.angleDeg) ? a + link::kFullTurnDeg : a;
    return lo.attenuationDb + (hi.attenuationDb - lo.attenuationDb) * (at - lo.angleDeg) / (hi.angleDeg - lo.angleDeg);
  }
  lo = *(above - 1);
  hi = *above;
  if (a == lo.angleDeg) return lo.attenuationDb;
  return lo.attenuationDb + (hi.attenuationDb - lo.attenuationDb) * (a - lo.angleDeg) / (hi.angleDeg - lo.angleDeg);
}

/// Brings a cut into shape; false with @p why when it cannot be.
bool normaliseCut(const char* name, std::vector<PatternPoint>& cut, std::string& why) {
  if (cut.size() > link::kMaxCutPoints) {
    why = std::string(name) + " cut has more than " + std::to_string(link::kMaxCutPoints) + " points";
    return false;
  }
  for (PatternPoint& p : cut) {
    if (!std::isfinite(p.angleDeg) || std::fabs(p.angleDeg) > link::kMaxListedAngleDeg) {
      why = std::string(name) + " cut: angle " + link::ShortestText(p.angleDeg) + " is not between -360 and 360";
      return false;
    }
    if (!(p.attenuationDb >= 0.0 && p.attenuationDb <= link::kMaxAttenuationDb)) {
      why = std::string(name) + " cut: attenuation " + link::ShortestText(p.attenuationDb) +
            " is not between 0 and 1000 dB";
      return false;
    }
    p.angleDeg = WrapDegrees(p.angleDeg);
  }
  std::stable_sort(cut.begin(), cut.end(),
                   [](const PatternPoint& a, const PatternPoint& b) { return a.angleDeg < b.angleDeg; });
  std::vector<PatternPoint> unique;
  unique.reserve(cut.size());
  for (const PatternPoint& p : cut) {
    if (!unique.empty() && unique.back().angleDeg == p.angleDeg) {
      if (unique.back().attenuationDb != p.attenuationDb) {
        why = std::string(name) + " cut lists angle " + link::ShortestText(p.angleDeg) +
              " twice with different attenuations";
        return false;
      }
      continue;
    }
    unique.push_back(p);
  }
  cut = std::move(unique);
  return true;
}

}  // namespace

double WrapDegrees(double angleDeg) {
  double a = std::fmod(angleDeg, link::kFullTurnDeg);
  if (a < 0.0) a += link::kFullTurnDeg;
  // A tiny negative angle wraps to exactly 360, which is 0.
  if (a >= link::kFullTurnDeg) a -= link::kFullTurnDeg;
  return a + 0.0;  // -0 becomes +0
}

bool ApplyPatternHeaderLine(const PatternHeaderLine& line, PatternInfo& info, std::string& why) {
  const std::string_view key = line.key;
  const std::string_view value = link::Trim(line.value);
  if (EqualsIgnoreCase(key, "NAME")) {
    info.name = value;
  } else if (EqualsIgnoreCase(key, "MAKE")) {
    info.make = value;
  } else if (EqualsIgnoreCase(key, "COMMENT")) {
    info.comment = value;
  } else if (EqualsIgnoreCase(key, "POLARIZATION")) {
    info.polarization = value;
  } else if (EqualsIgnoreCase(key, "FREQUENCY")) {
    info.frequencyMHz = readFrequency(value);
  } else if (EqualsIgnoreCase(key, "H_WIDTH")) {
    info.horizontalWidthDeg = leadingNumber(value);
  } else if (EqualsIgnoreCase(key, "V_WIDTH")) {
    info.verticalWidthDeg = leadingNumber(value);
  } else if (EqualsIgnoreCase(key, "FRONT_TO_BACK")) {
    info.frontToBackDb = leadingNumber(value);
  } else if (EqualsIgnoreCase(key, "ELECTRICAL_TILT")) {
    info.electricalTiltDeg = leadingNumber(value);
  } else if (EqualsIgnoreCase(key, "TILT")) {
    info.tilt = value;
    // "TILT ELECTRICAL 6": the number, unless ELECTRICAL_TILT gave one.
    const std::vector<std::string_view> words = link::SplitWords(value);
    for (std::string_view word : words) {
      double number = 0.0;
      if (link::ParseNumber(word, number) && std::isnan(info.electricalTiltDeg)) info.electricalTiltDeg = number;
    }
  } else if (EqualsIgnoreCase(key, "GAIN")) {
    return readGain(value, info.gainDbi, why);
  }
  return true;
}

bool AntennaPattern::Build(Format format, std::vector<PatternHeaderLine> header, std::vector<PatternPoint> horizontal,
                           std::vector<PatternPoint> vertical, AntennaPattern& pattern, std::string& error) {
  if (format == Format::None) {
    error = "no pattern format";
    return false;
  }
  if (horizontal.empty() && vertical.empty()) {
    error = "the pattern has neither a horizontal nor a vertical cut";
    return false;
  }
  if (!normaliseCut("horizontal", horizontal, error) || !normaliseCut("vertical", vertical, error)) return false;
  PatternInfo info;
  for (const PatternHeaderLine& line : header)
    if (!ApplyPatternHeaderLine(line, info, error)) return false;

  AntennaPattern built;
  built.format_ = format;
  built.info_ = std::move(info);
  built.header_ = std::move(header);
  built.horizontal_ = std::move(horizontal);
  built.vertical_ = std::move(vertical);
  if (!built.horizontal_.empty() && !built.vertical_.empty()) {
    auto least = [](const std::vector<PatternPoint>& cut) {
      return std::min_element(cut.begin(), cut.end(), [](const PatternPoint& a, const PatternPoint& b) {
               return a.attenuationDb < b.attenuationDb;
             })->attenuationDb;
    };
    built.sharedDb_ = std::min({interpolate(built.horizontal_, 0.0), interpolate(built.vertical_, 0.0),
                                least(built.horizontal_) + least(built.vertical_)});
  }
  pattern = std::move(built);
  return true;
}

double AntennaPattern::horizontalAttenuationDb(double angleDeg) const { return interpolate(horizontal_, angleDeg); }

double AntennaPattern::verticalAttenuationDb(double angleDeg) const { return interpolate(vertical_, angleDeg); }

double AntennaPattern::attenuationDb(double azimuthDeg, double depressionDeg) const {
  return interpolate(horizontal_, azimuthDeg) + interpolate(vertical_, depressionDeg) - sharedDb_;
}

}  // namespace tarnvale
