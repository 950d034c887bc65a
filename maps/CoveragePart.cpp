#include "maps/CoveragePart.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tarnvale {

namespace {

/// A whole decimal number of digits alone, within int.
bool readCount(const char* first, const char* last, int& value) {
  if (first == last) return false;
  for (const char* c = first; c != last; ++c)
    if (*c < '0' || *c > '9') return false;
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last;
}

bool readCount(const std::string& text, int& value) { return readCount(text.data(), text.data() + text.size(), value); }

/// Doubles as text that reads back to the same bits.
std::string exactNumber(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

}  // namespace

bool ParseCoveragePart(const std::string& text, CoveragePart& part) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  CoveragePart read;
  if (!readCount(text.data(), text.data() + slash, read.index) ||
      !readCount(text.data() + slash + 1, text.data() + text.size(), read.count))
    return false;
  if (read.index < 1 || read.index > read.count) return false;
  part = read;
  return true;
}

std::string CoveragePartText(const CoveragePart& part) {
  return std::to_string(part.index) + "/" + std::to_string(part.count);
}

CoverageRowBand CoveragePartRows(int rows, const CoveragePart& part) {
  if (part.count < 1 || part.index < 1 || part.index > part.count || part.count > rows) return {};
  // In 64 bits: I R overflows int for maps of more than about 46,000 rows.
  const auto edge = [&](int i) {
    return static_cast<int>(static_cast<std::int64_t>(i) * rows / part.count);
  };
  const int first = edge(part.index - 1);
  return {first, edge(part.index) - first};
}

void CoverageGeoTransform(const CoverageGrid& grid, double transform[6]) {
  CoverageBandGeoTransform(grid, {0, grid.n}, transform);
}

void CoverageBandGeoTransform(const CoverageGrid& grid, const CoverageRowBand& band, double transform[6]) {
  transform[0] = grid.westEdge - grid.step / 2.0;
  transform[1] = grid.step;
  transform[2] = 0.0;
  transform[3] = grid.latitude(band.first) + grid.step / 2.0;
  transform[4] = 0.0;
  transform[5] = -grid.step;
}

std::vector<std::pair<std::string, std::string>> CoveragePartMetadata(const CoverageGrid& grid,
                                                                      const CoveragePart& part) {
  using namespace coverage_part;
  const CoverageRowBand band = CoveragePartRows(grid.n, part);
  double whole[6];
  CoverageGeoTransform(grid, whole);
  std::string transform;
  for (int i = 0; i < 6; ++i) transform += (i ? " " : "") + exactNumber(whole[i]);
  return {{kPart, CoveragePartText(part)},
          {kFirstRow, std::to_string(band.first)},
          {kRowCount, std::to_string(band.count)},
          {kWholeColumns, std::to_string(grid.n)},
          {kWholeRows, std::to_string(grid.n)},
          {kWholeTransform, transform}};
}

bool IsCoveragePartItem(const std::string& name) { return name == "PART" || name.rfind("PART_", 0) == 0; }

bool ReadCoveragePartInfo(const std::vector<std::pair<std::string, std::string>>& metadata, CoveragePartInfo& info,
                          std::string& why) {
  using namespace coverage_part;
  const auto item = [&](const char* name) -> const std::string* {
    for (const auto& [key, value] : metadata)
      if (key == name) return &value;
    return nullptr;
  };
  const std::string* part = item(kPart);
  if (!part) {
    why = "no PART item: not a part of a map";
    return false;
  }
  CoveragePartInfo read;
  if (!ParseCoveragePart(*part, read.part)) {
    why = "its PART item '" + part->substr(0, 40) + "' is not I/N";
    return false;
  }
  for (auto [name, target] : {std::pair{kFirstRow, &read.rows.first}, std::pair{kRowCount, &read.rows.count},
                              std::pair{kWholeColumns, &read.wholeColumns}, std::pair{kWholeRows, &read.wholeRows}}) {
    const std::string* value = item(name);
    if (!value || !readCount(*value, *target)) {
      why = std::string(value ? "an unreadable " : "no ") + name + " item";
      return false;
    }
  }
  const std::string* transform = item(kWholeTransform);
  if (!transform) {
    why = std::string("no ") + kWholeTransform + " item";
    return false;
  }
  const char* at = transform->c_str();
  for (double& v : read.wholeTransform) {
    char* end = nullptr;
    v = std::strtod(at, &end);
    if (end == at) {
      why = std::string("an unreadable ") + kWholeTransform + " item";
      return false;
    }
    at = end;
  }
  if (*at != '\0') {
    why = std::string("an unreadable ") + kWholeTransform + " item";
    return false;
  }
  const CoverageRowBand expected = CoveragePartRows(read.wholeRows, read.part);
  if (expected.count == 0 || expected.first != read.rows.first || expected.count != read.rows.count) {
    why = "rows " + std::to_string(read.rows.first) + " + " + std::to_string(read.rows.count) + " are not band " +
          *part + " of " + std::to_string(read.wholeRows) + " rows";
    return false;
  }
  info = read;
  return true;
}

}  // namespace tarnvale
