#include "terrain/ProfileCsv.h"

#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>

#include "climate/Zones.h"
#include "text/PlainNumber.h"

namespace tarnvale {

namespace {

constexpr const char* kClutterColumn = "clutter_m";

std::vector<std::string> cellsOf(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream row(line);
  for (std::string cell; std::getline(row, cell, ',');) {
    const size_t first = cell.find_first_not_of(" \t"), last = cell.find_last_not_of(" \t");
    cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
  }
  return cells;
}

std::string atLine(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

std::string number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

}  // namespace

bool ReadProfileCsv(const std::string& file, const ProfileCsvLimits& limits, ProfileColumns& table,
                    std::string& message) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    message = "cannot read the profile file '" + file + "'";
    return false;
  }
  ProfileColumns read;
  bool withClutter = false;
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // A profile is text: a control byte (a NUL, say) means some other file.
    for (unsigned char c : line) {
      if (c < 0x20 && c != '\t') {
        message = "line " + std::to_string(lineNumber) + " of the profile is not text";
        return false;
      }
    }
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    const std::vector<std::string> cells = cellsOf(line);
    const auto dist = cells.size() >= 2 ? ParsePlainNumber(cells[0]) : std::nullopt;
    const auto height = cells.size() >= 2 ? ParsePlainNumber(cells[1]) : std::nullopt;
    if (!dist || !height) {
      if (read.dist.empty() && lineNumber == 1) {  // the header
        withClutter = cells.size() >= 4 && cells[3] == kClutterColumn;
        continue;
      }
      message = "line " + std::to_string(lineNumber) + " of the profile is not dist_km,height_m[,zone" +
                (withClutter ? ",clutter_m]" : "]");
      return false;
    }
    std::uint8_t zone = zones::kInland;
    if (cells.size() >= 3 && !cells[2].empty()) {
      const auto z = ParsePlainNumber(cells[2]);
      if (!z || (*z != zones::kSea && *z != zones::kCoastalLand && *z != zones::kInland)) {
        message = atLine(lineNumber, "the zone must be 1 (sea), 2 (coastal land) or 3 (inland)");
        return false;
      }
      zone = static_cast<std::uint8_t>(*z);
    }
    if (*height < limits.lowestHeightM || *height > limits.highestHeightM) {
      message = atLine(lineNumber, "the height must lie between " + number(limits.lowestHeightM) + " and " +
                                       number(limits.highestHeightM) + " m");
      return false;
    }
    double clutter = 0.0;
    if (withClutter && cells.size() >= 4 && !cells[3].empty()) {
      const auto r = ParsePlainNumber(cells[3]);
      if (!r || *r < 0.0 || *r > limits.highestClutterM) {
        message =
            atLine(lineNumber, "the clutter height must lie between 0 and " + number(limits.highestClutterM) + " m");
        return false;
      }
      clutter = *r;
    }
    if (read.dist.size() >= limits.maxSamples) {
      message = "a profile holds at most " + std::to_string(limits.maxSamples) + " samples";
      return false;
    }
    if (!read.dist.empty() && !(*dist > read.dist.back())) {
      message = atLine(lineNumber, "distances must increase");
      return false;
    }
    read.dist.push_back(*dist);
    read.height.push_back(*height);
    read.zone.push_back(zone);
    if (withClutter) read.clutter.push_back(clutter);
  }
  const size_t n = read.dist.size();
  if (n < 3) {
    message = "a profile needs at least 3 samples";
    return false;
  }
  // Every distance is measured from the first sample: a file that starts at
  // 12.5 km is moved back to start at 0. Shifting big distances can merge
  // neighbours; they must still increase.
  const double first = read.dist[0];
  for (double& x : read.dist) x -= first;
  for (size_t i = 1; i < n; ++i) {
    if (!(read.dist[i] > read.dist[i - 1])) {
      message = "the profile's distances are too close to tell apart";
      return false;
    }
  }
  if (read.dist[n - 1] > limits.maxLengthKm) {
    message = "a profile covers at most " + number(limits.maxLengthKm) + " km";
    return false;
  }
  table = std::move(read);
  return true;
}

bool CheckProfileColumns(ProfileColumns& c, const ProfileCsvLimits& limits, std::string& message) {
  const std::size_t n = c.dist.size();
  if (c.height.size() != n || c.zone.size() != n || (!c.clutter.empty() && c.clutter.size() != n)) {
    message = "the profile's arrays must be of one length";
    return false;
  }
  if (n < 3) {
    message = "a profile needs at least 3 samples";
    return false;
  }
  if (n > limits.maxSamples) {
    message = "a profile holds at most " + std::to_string(limits.maxSamples) + " samples";
    return false;
  }
  const auto at = [](std::size_t i, const std::string& what) { return "sample " + std::to_string(i + 1) + ": " + what; };
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(c.dist[i]) || !std::isfinite(c.height[i])) {
      message = at(i, "distance and height must be finite numbers");
      return false;
    }
    if (c.zone[i] != zones::kSea && c.zone[i] != zones::kCoastalLand && c.zone[i] != zones::kInland) {
      message = at(i, "the zone must be 1 (sea), 2 (coastal land) or 3 (inland)");
      return false;
    }
    if (c.height[i] < limits.lowestHeightM || c.height[i] > limits.highestHeightM) {
      message = at(i, "the height must lie between " + number(limits.lowestHeightM) + " and " +
                          number(limits.highestHeightM) + " m");
      return false;
    }
    if (!c.clutter.empty() && !(c.clutter[i] >= 0.0 && c.clutter[i] <= limits.highestClutterM)) {
      message = at(i, "the clutter height must lie between 0 and " + number(limits.highestClutterM) + " m");
      return false;
    }
    if (i > 0 && !(c.dist[i] > c.dist[i - 1])) {
      message = at(i, "distances must increase");
      return false;
    }
  }
  const double first = c.dist[0];
  for (double& x : c.dist) x -= first;
  for (std::size_t i = 1; i < n; ++i)
    if (!(c.dist[i] > c.dist[i - 1])) {
      message = "the profile's distances are too close to tell apart";
      return false;
    }
  if (c.dist[n - 1] > limits.maxLengthKm) {
    message = "a profile covers at most " + number(limits.maxLengthKm) + " km";
    return false;
  }
  return true;
}

bool ColumnsToProfile(const ProfileColumns& columns, TerrainProfile& profile) {
  const std::size_t n = columns.dist.size();
  if (n > static_cast<std::size_t>(TerrainProfile::kCapacity) || columns.height.size() != n ||
      columns.zone.size() != n)
    return false;
  for (std::size_t i = 0; i < n; ++i) {
    profile.dist[i] = columns.dist[i];
    profile.height[i] = columns.height[i];
    profile.zone[i] = columns.zone[i];
  }
  profile.n = static_cast<int>(n);
  profile.pathLength = n > 0 ? columns.dist[n - 1] : 0.0;
  return true;
}

}  // namespace tarnvale
