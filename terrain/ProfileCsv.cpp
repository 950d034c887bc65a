#include "terrain/ProfileCsv.h"

#include <fstream>
#include <optional>
#include <sstream>

#include "climate/Zones.h"
#include "text/PlainNumber.h"

namespace tarnvale {
namespace {

/// A limit as the messages write it (as a stream writes a double).
std::string Number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

}  // namespace

/// Reads "dist_km,height_m[,zone]" lines (a header line is skipped). The
/// distances are counted from the first sample, whatever the file starts at.
bool ReadProfileCsv(const std::string& file, double maxLengthKm, TerrainProfile& profile,
                    SuppliedProfileExtras& extras, std::string& error) {
  extras.clutterM.clear();
  auto fail = [&error](const std::string& why) {
    error = why;
    return false;
  };
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    return fail("cannot read the profile file '" + file + "'");
  }
  std::string line;
  int n = 0, lineNumber = 0;
  std::vector<double> clutterM(TerrainProfile::kCapacity, 0.0);
  bool hasClutter = false;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // A profile is text: a control byte (a NUL, say) means some other file.
    for (unsigned char c : line) {
      if (c < 0x20 && c != '\t') {
        return fail("line " + std::to_string(lineNumber) + " of the profile is not text");
      }
    }
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    std::vector<std::string> cells;
    std::stringstream row(line);
    for (std::string cell; std::getline(row, cell, ',');) {
      const size_t first = cell.find_first_not_of(" \t"), last = cell.find_last_not_of(" \t");
      cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
    }
    const auto dist = cells.size() >= 2 ? ParsePlainNumber(cells[0]) : std::nullopt;
    const auto height = cells.size() >= 2 ? ParsePlainNumber(cells[1]) : std::nullopt;
    if (!dist || !height) {
      if (n == 0 && lineNumber == 1) continue;  // the header
      return fail("line " + std::to_string(lineNumber) + " of the profile is not dist_km,height_m[,zone]");
    }
    int zone = zones::kInland;
    if (cells.size() >= 3 && !cells[2].empty()) {
      const auto z = ParsePlainNumber(cells[2]);
      if (!z || (*z != zones::kSea && *z != zones::kCoastalLand && *z != zones::kInland)) {
        return fail("line " + std::to_string(lineNumber) + ": the zone must be 1 (sea), 2 (coastal land) or 3 (inland)");
      }
      zone = static_cast<int>(*z);
    }
    // A representative clutter height (m) for the models that use one.
    double clutter = 0.0;
    if (cells.size() >= 4 && !cells[3].empty()) {
      const auto c = ParsePlainNumber(cells[3]);
      if (!c || *c < 0.0 || *c > kHighestClutterM)
        return fail("line " + std::to_string(lineNumber) + ": the clutter height must lie between 0 and " +
                    Number(kHighestClutterM) + " m");
      clutter = *c;
      hasClutter = true;
    }
    if (*height < kLowestProfileHeightM || *height > kHighestProfileHeightM) {
      return fail("line " + std::to_string(lineNumber) + ": the height must lie between " +
                  Number(kLowestProfileHeightM) + " and " + Number(kHighestProfileHeightM) + " m");
    }
    if (n >= TerrainProfile::kCapacity) {
      return fail("a profile holds at most " + std::to_string(TerrainProfile::kCapacity) + " samples");
    }
    if (n > 0 && !(*dist > profile.dist[n - 1])) {
      return fail("line " + std::to_string(lineNumber) + ": distances must increase");
    }
    profile.dist[n] = *dist;
    profile.height[n] = *height;
    profile.zone[n] = static_cast<std::uint8_t>(zone);
    clutterM[n] = clutter;
    ++n;
  }
  if (n < 3) {
    return fail("a profile needs at least 3 samples");
  }
  // The model measures every distance from the transmitter at the first
  // sample: a file that starts at 12.5 km is moved back to start at 0.
  const double first = profile.dist[0];
  for (int i = 0; i < n; ++i) profile.dist[i] -= first;
  // Shifting big distances can merge neighbours; they must still increase.
  for (int i = 1; i < n; ++i) {
    if (!(profile.dist[i] > profile.dist[i - 1])) {
      return fail("the profile's distances are too close to tell apart");
    }
  }
  profile.n = n;
  profile.pathLength = profile.dist[n - 1];
  if (profile.pathLength > maxLengthKm) return fail("a profile covers at most " + Number(maxLengthKm) + " km");
  if (hasClutter) extras.clutterM.assign(clutterM.begin(), clutterM.begin() + n);
  return true;
}

}  // namespace tarnvale
