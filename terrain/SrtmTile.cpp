#include "terrain/SrtmTile.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string_view>

namespace tarnvale {

using namespace srtm;

namespace {

// A stored sample as the store's lookups return it.
std::int16_t mapStoredValue(std::int16_t stored) {
  if (stored <= kVoidLimit) return static_cast<std::int16_t>(kMissingValue);
  if (stored < kLowestLand) return static_cast<std::int16_t>(kSeaValue);
  return stored;
}

std::string joinPath(const std::string& directory, const std::string& name) {
  if (directory.empty() || directory.back() == '/') return directory + name;
  return directory + '/' + name;
}

}  // namespace

CSRTMTILE::CSRTMTILE() {
  // Left uninitialised: pages are committed only when a tile is read in.
  try {
    samples_ = std::make_unique_for_overwrite<std::int16_t[]>(kTileSamples);
  } catch (const std::bad_alloc&) {
    samples_.reset();
  }
  reset();
}

void CSRTMTILE::reset() {
  south_ = north_ = west_ = east_ = 0.0;
  cellSouth_ = cellWest_ = 0;
  score_ = 0;
  loaded_ = false;
  scoreStep_ = kScoreStep;
}

void CSRTMTILE::gainScore() {
  ++score_;
  if (score_ > kScoreLimit) score_ -= scoreStep_;
}

void CSRTMTILE::loseScore() {
  --score_;
  if (score_ <= -kScoreLimit) score_ += scoreStep_;
}

int CSRTMTILE::cellCorner(double degrees) {
  return degrees >= 0.0 ? static_cast<int>(std::trunc(degrees)) : static_cast<int>(std::trunc(degrees - 1.0));
}

std::string CSRTMTILE::fileName(int cellSouthDeg, int cellWestDeg) {
  char name[32];
  std::snprintf(name, sizeof name, "%c%02d%c%03d.hgt", cellSouthDeg >= 0 ? 'n' : 's', std::abs(cellSouthDeg),
                cellWestDeg >= 0 ? 'e' : 'w', std::abs(cellWestDeg));
  return name;
}

bool CSRTMTILE::load(const std::string& directory, int cellSouthDeg, int cellWestDeg) {
  directory_ = directory;
  reset();
  cellSouth_ = cellSouthDeg;
  cellWest_ = cellWestDeg;
  south_ = cellSouthDeg;
  north_ = south_ + 1.0;
  west_ = cellWestDeg;
  east_ = west_ + 1.0;
  problem_ = TileRead::kAbsent;
  problemFile_ = fileName(cellSouthDeg, cellWestDeg);
  if (!samples_) return false;

  // Tiles are usually distributed with upper-case names, and zipped; the
  // lower-case plain name comes first so that a case-blind file system finds
  // it with one open. The first file found that cannot be read is the one
  // reported, but a later form of the same tile may still load.
  bool reported = false;
  for (const std::string& name : TileFileNames(cellSouthDeg, cellWestDeg)) {
    const TileRead result = readFile(joinPath(directory_, name));
    if (result == TileRead::kOk) {
      loaded_ = true;
      return true;
    }
    if (result != TileRead::kAbsent && !reported) {
      problem_ = result;
      problemFile_ = name;
      reported = true;
    }
  }
  return false;
}

std::vector<std::string> CSRTMTILE::TileFileNames(int cellSouthDeg, int cellWestDeg) {
  const std::string lower = fileName(cellSouthDeg, cellWestDeg);
  std::string upper = lower;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string mixed = upper.substr(0, upper.size() - 3) + "hgt";
  std::vector<std::string> names;
  for (const char* ending : {"", ".zip", ".gz"}) {
    std::string upperEnding = ending;
    for (char& c : upperEnding) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    names.push_back(lower + ending);
    names.push_back(upper + upperEnding);
    names.push_back(mixed + ending);
  }
  return names;
}

bool CSRTMTILE::IsTileFileName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* ending : {".hgt", ".hgt.zip", ".hgt.gz"}) {
    const std::string_view e(ending);
    if (lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0) return true;
  }
  return false;
}

TileRead CSRTMTILE::readFile(const std::string& path) {
  auto* bytes = reinterpret_cast<unsigned char*>(samples_.get());
  // Inside a zip the tile carries its own name, in whatever case it was made.
  const TileRead result = ReadTileFile(path, fileName(cellSouth_, cellWest_), bytes, kTileBytes);
  if (result != TileRead::kOk) return result;
  // Most significant byte first in the file, whatever the host's order.
  for (std::size_t i = 0; i < kTileSamples; ++i) {
    const auto raw = static_cast<std::uint16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
    samples_[i] = mapStoredValue(static_cast<std::int16_t>(raw));
  }
  return TileRead::kOk;
}

}  // namespace tarnvale
