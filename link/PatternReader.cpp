#include "link/PatternReader.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "link/LinkConstants.h"
#include "link/TextScan.h"

namespace tarnvale {
namespace {

std::string lineError(std::size_t index, const std::string& why) {
  return "line " + std::to_string(index + 1) + ": " + why;
}

/// Index of the last line, where a file that ends too soon is reported.
std::size_t lastLine(const std::vector<std::string_view>& lines) { return lines.empty() ? 0 : lines.size() - 1; }

/// Points of one cut with the line each came from, so that a repeated angle
/// names both lines.
class CutReader {
 public:
  explicit CutReader(const char* name) : name_(name) {}

  /// Adds the point of line @p index; false with @p error when it is refused.
  bool add(double angleDeg, double attenuationDb, std::size_t index, std::string& error) {
    if (std::fabs(angleDeg) > link::kMaxListedAngleDeg) {
      error = lineError(index, "angle " + link::ShortestText(angleDeg) + " is not between -360 and 360");
      return false;
    }
    if (std::fabs(attenuationDb) > link::kMaxAttenuationDb) {
      error = lineError(index, "attenuation " + link::ShortestText(attenuationDb) +
                                   " dB is more than 1000 dB below the peak");
      return false;
    }
    // Values are dB below the peak whatever their sign: some files write
    // them with a minus sign, as relative gains.
    attenuationDb = std::fabs(attenuationDb);
    if (points_.size() >= link::kMaxCutPoints) {
      error = lineError(index, std::string("the ") + name_ + " cut has more than " +
                                   std::to_string(link::kMaxCutPoints) + " points");
      return false;
    }
    const double wrapped = WrapDegrees(angleDeg);
    const auto [at, fresh] = lines_.emplace(wrapped, Listed{attenuationDb, index});
    if (!fresh && at->second.attenuationDb != attenuationDb) {
      error = lineError(index, "angle " + link::ShortestText(angleDeg) + " of the " + name_ +
                                   " cut was already given on line " + std::to_string(at->second.index + 1) +
                                   " with another attenuation");
      return false;
    }
    points_.push_back({angleDeg, attenuationDb});
    return true;
  }

  std::vector<PatternPoint>& points() { return points_; }

 private:
  struct Listed {
    double attenuationDb;
    std::size_t index;
  };
  const char* name_;
  std::vector<PatternPoint> points_;
  std::map<double, Listed> lines_;
};

/// "angle attenuation": exactly two numbers.
bool readPoint(std::string_view line, double& angle, double& attenuation) {
  const std::vector<std::string_view> words = link::SplitWords(line);
  return words.size() == 2 && link::ParseNumber(words[0], angle) && link::ParseNumber(words[1], attenuation);
}

bool startsWithNumber(std::string_view line) {
  double ignored = 0.0;
  std::string_view rest = link::Trim(line);
  return link::ScanNumber(rest, ignored);
}

}  // namespace

bool ReadPlanetPattern(std::string_view text, AntennaPattern& pattern, std::string& error) {
  const std::vector<std::string_view> lines = link::SplitLines(link::WithoutByteOrderMark(text));
  std::vector<PatternHeaderLine> header;
  PatternInfo info;
  CutReader horizontal("horizontal"), vertical("vertical");
  bool seenHorizontal = false, seenVertical = false;

  CutReader* section = nullptr;  // the section being read, if any
  const char* sectionName = "";
  std::size_t announced = 0;     // points its heading announced (0: not counted)
  std::size_t read = 0;          // points read in it so far

  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = link::Trim(lines[i]);
    if (line.empty()) continue;
    if (section) {
      double angle = 0.0, attenuation = 0.0;
      if (readPoint(line, angle, attenuation)) {
        if (!section->add(angle, attenuation, i, error)) return false;
        if (++read == announced) section = nullptr;
        continue;
      }
      if (announced > 0) {
        error = lineError(i, std::string("the ") + sectionName + " section announced " + std::to_string(announced) +
                                 (announced == 1 ? " point" : " points") + " and has " + std::to_string(read) +
                                 "; " + link::Quote(line) +
                                 " is not an \"angle attenuation\" line");
        return false;
      }
      section = nullptr;  // an uncounted section ends at the first other line
    }

    const std::vector<std::string_view> words = link::SplitWords(line);
    const std::string_view key = words.front();
    const bool isHorizontal = link::EqualsIgnoreCase(key, "HORIZONTAL");
    if (isHorizontal || link::EqualsIgnoreCase(key, "VERTICAL")) {
      bool& seen = isHorizontal ? seenHorizontal : seenVertical;
      sectionName = isHorizontal ? "HORIZONTAL" : "VERTICAL";
      if (seen) {
        error = lineError(i, std::string("a second ") + sectionName + " section");
        return false;
      }
      seen = true;
      announced = 0;
      if (words.size() > 2) {
        error = lineError(i, std::string(sectionName) + " is followed by more than its number of points: " +
                                 link::Quote(line));
        return false;
      }
      if (words.size() == 2) {
        double count = 0.0;
        if (!link::ParseNumber(words[1], count) || count != std::floor(count) || count < 1.0 ||
            count > static_cast<double>(link::kMaxCutPoints)) {
          error = lineError(i, std::string(sectionName) + " must be followed by its number of points (1 to " +
                                   std::to_string(link::kMaxCutPoints) + "), not " + link::Quote(words[1]));
          return false;
        }
        announced = static_cast<std::size_t>(count);
      }
      section = isHorizontal ? &horizontal : &vertical;
      read = 0;
      continue;
    }
    if (startsWithNumber(line)) {
      error = lineError(i, link::Quote(line) + " is a number outside a HORIZONTAL or VERTICAL section");
      return false;
    }
    PatternHeaderLine entry{std::string(key), std::string(link::Trim(line.substr(key.size())))};
    std::string why;
    if (!ApplyPatternHeaderLine(entry, info, why)) {
      error = lineError(i, why);
      return false;
    }
    header.push_back(std::move(entry));
  }
  if (section && announced > 0) {
    error = lineError(lastLine(lines), std::string("the file ends after ") + std::to_string(read) + " of the " +
                                        std::to_string(announced) + " points of the " + sectionName + " section");
    return false;
  }
  if (horizontal.points().empty() && vertical.points().empty()) {
    error = lineError(lastLine(lines), "the file ends without a HORIZONTAL or VERTICAL section");
    return false;
  }
  return AntennaPattern::Build(AntennaPattern::Format::Planet, std::move(header), std::move(horizontal.points()),
                               std::move(vertical.points()), pattern, error);
}

bool ReadCsvPattern(std::string_view text, AntennaPattern& pattern, std::string& error) {
  const std::vector<std::string_view> lines = link::SplitLines(link::WithoutByteOrderMark(text));
  CutReader cut("horizontal");
  bool first = true;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = link::Trim(lines[i]);
    if (line.empty() || line.front() == '#') continue;
    const bool heading = first && !startsWithNumber(line);
    first = false;
    if (heading) continue;
    const std::size_t comma = line.find(',');
    double angle = 0.0, attenuation = 0.0;
    if (comma == std::string_view::npos || line.find(',', comma + 1) != std::string_view::npos ||
        !link::ParseNumber(link::Trim(line.substr(0, comma)), angle) ||
        !link::ParseNumber(link::Trim(line.substr(comma + 1)), attenuation)) {
      error = lineError(i, link::Quote(line) + " is not \"azimuth_deg,attenuation_dB\"");
      return false;
    }
    if (!cut.add(angle, attenuation, i, error)) return false;
  }
  if (cut.points().empty()) {
    error = lineError(lastLine(lines), "the file ends without an \"azimuth_deg,attenuation_dB\" line");
    return false;
  }
  return AntennaPattern::Build(AntennaPattern::Format::Csv, {}, std::move(cut.points()), {}, pattern, error);
}

bool LoadPatternFile(const std::string& path, AntennaPattern& pattern, std::string& error) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    error = path + ": not a file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be opened";
    return false;
  }
  std::string text;
  char buffer[8192];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > link::kMaxPatternFileBytes) {
      error = path + ": larger than 4 MB, not a pattern file";
      return false;
    }
  }
  if (in.bad()) {
    error = path + ": cannot be read";
    return false;
  }
  const bool csv = path.size() >= 4 && link::EqualsIgnoreCase(std::string_view(path).substr(path.size() - 4), ".csv");
  std::string why;
  const bool ok = csv ? ReadCsvPattern(text, pattern, why) : ReadPlanetPattern(text, pattern, why);
  if (!ok) error = path + ": " + why;
  return ok;
}

}  // namespace tarnvale
