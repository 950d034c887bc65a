#include "terrain/Srtm.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>

namespace tarnvale {

using namespace srtm;

namespace {

bool inRange(double latitude, double longitude) {
  // Written so that NaN falls outside.
  return latitude >= kMinLatitude && latitude < kMaxLatitude && longitude >= kMinLongitude &&
         longitude < kMaxLongitude;
}

// Index of the grid line nearest to x (degrees), counted in spacings from 0;
// the line lies at index x spacing. x is within the map, so the index fits.
int gridIndex(double x) { return static_cast<int>(std::floor(x * kSamplesPerDegree + 0.5)); }

}  // namespace

CSRTM::CSRTM(int slotCount, std::string terrainDirectory) : terrainDirectory_(std::move(terrainDirectory)) {
  try {
    availability_.assign(static_cast<std::size_t>(kCellRows) * kCellColumns, 1);
  } catch (const std::bad_alloc&) {
    valid_ = false;
  }
  if (slotCount > 0) {
    slots_.reset(new (std::nothrow) CSRTMTILE[static_cast<std::size_t>(slotCount)]);
    if (slots_) {
      slotCount_ = slotCount;
      for (int i = 0; i < slotCount_; ++i)
        if (!slots_[i].hasSamples()) valid_ = false;
    } else {
      valid_ = false;
    }
  }
}

CSRTM::CSRTM(std::shared_ptr<const SharedTileSet> tiles, int slotCount)
    : CSRTM(slotCount, tiles ? tiles->terrainDirectory() : std::string()) {
  shared_ = std::move(tiles);
  // Without a set no cell has a tile.
  if (!shared_) std::fill(availability_.begin(), availability_.end(), std::uint8_t{0});
}

std::optional<CSRTM::Cell> CSRTM::cellOf(double latitude, double longitude) {
  if (!inRange(latitude, longitude)) return std::nullopt;
  return Cell{CSRTMTILE::cellCorner(latitude), CSRTMTILE::cellCorner(longitude)};
}

int CSRTM::flagIndex(Cell cell) {
  // An exact -90 or -180 names a cell beyond the map's edge (s91, w181): no
  // tile can exist there.
  const int row = cell.south - kSouthmostCell;
  const int column = cell.west - kWestmostCell;
  if (row < 0 || row >= kCellRows || column < 0 || column >= kCellColumns) return -1;
  return row * kCellColumns + column;
}

bool CSRTM::available(Cell cell) const {
  const int index = flagIndex(cell);
  return index >= 0 && !availability_.empty() && availability_[static_cast<std::size_t>(index)] != 0;
}

bool CSRTM::cellAvailable(double latitude, double longitude) const {
  const auto cell = cellOf(latitude, longitude);
  return cell && available(*cell);
}

int CSRTM::findSlot(double latitude, double longitude) const {
  const auto cell = cellOf(latitude, longitude);
  return cell ? findCell(*cell) : -1;
}

int CSRTM::loadSlot(double latitude, double longitude) const {
  const auto cell = cellOf(latitude, longitude);
  return cell ? loadCell(*cell) : -1;
}

int CSRTM::findCell(Cell cell) const {
  // Every visit moves the slot's score, so that the scores follow recent use.
  // A slot serves the point when it holds the tile the point's cell names; a
  // point on an exact negative whole degree thus finds the tile it was loaded
  // from (whose north or east edge it lies on).
  int found = -1;
  for (int i = 0; i < slotCount_; ++i) {
    CSRTMTILE& tile = slots_[i];
    if (tile.holdsCell(cell.south, cell.west)) {
      tile.gainScore();
      found = i;
    } else {
      tile.loseScore();
    }
  }
  return found;
}

int CSRTM::loadCell(Cell cell) const {
  if (!available(cell) || slotCount_ == 0) return -1;
  int victim = 0;
  for (int i = 1; i < slotCount_; ++i)
    if (slots_[i].score() < slots_[victim].score()) victim = i;
  CSRTMTILE& slot = slots_[victim];
  if (slot.load(terrainDirectory_, cell.south, cell.west)) return victim;
  availability_[static_cast<std::size_t>(flagIndex(cell))] = 0;
  // A slot without its sample array is short of memory, not of a tile.
  if (slot.hasSamples()) {
    try {
      missingTiles_.push_back(MissingTile{cell.south, cell.west, CSRTMTILE::fileName(cell.south, cell.west),
                                          slot.problemFile(), slot.problem()});
    } catch (const std::bad_alloc&) {
      // The report is lost; the lookup still answers with the missing value.
    }
  }
  return -1;
}

int CSRTM::heightAt(double latitude, double longitude, bool interpolate) const {
  if (!inRange(latitude, longitude)) return kMissingValue;
  return interpolate ? interpolatedHeight(latitude, longitude) : plainHeight(latitude, longitude);
}

int CSRTM::plainHeight(double latitude, double longitude) const {
  const auto cell = cellOf(latitude, longitude);
  if (!cell) return kMissingValue;
  const CSRTMTILE* found = tileFor(*cell);
  if (!found) return kMissingValue;
  const CSRTMTILE& tile = *found;
  if (!tile.loaded()) return kSeaValue;
  // The node at or south-west of the point.
  const double i = std::trunc(std::fabs(tile.south() - latitude) / kSpacingDeg);
  const double j = std::trunc(std::fabs(tile.west() - longitude) / kSpacingDeg);
  const double row = kLastIndex - i;
  if (row < 0 || row > kLastIndex || j < 0 || j > kLastIndex) return kSeaValue;
  return tile.sampleAt(static_cast<int>(row), static_cast<int>(j));
}

int CSRTM::slotFor(Cell cell) const {
  if (!available(cell)) return -1;
  const int s = findCell(cell);
  return s >= 0 ? s : loadCell(cell);
}

const CSRTMTILE* CSRTM::tileFor(Cell cell) const {
  if (shared_) return sharedTile(cell);
  const int s = slotFor(cell);
  return s >= 0 ? &slots_[s] : nullptr;
}

namespace {
// Slot of a cell among a store's recent shared tiles: rows 17 apart, so no
// two cells of a block up to 15 x 15 meet.
int recentSlot(int flag, int recentTiles) {
  const int row = flag / kCellColumns, column = flag % kCellColumns;
  return (row * 17 + column) & (recentTiles - 1);
}
}  // namespace

const CSRTMTILE* CSRTM::sharedTile(Cell cell) const {
  const int flag = flagIndex(cell);
  if (flag < 0 || !available(cell)) return nullptr;
  std::uint8_t& availability = availability_[static_cast<std::size_t>(flag)];
  const auto fromSlots = [&]() -> const CSRTMTILE* {
    const int s = slotFor(cell);
    return s >= 0 ? &slots_[s] : nullptr;
  };
  if (availability == kOwnSlots) return fromSlots();
  RecentTile& recent = recent_[static_cast<std::size_t>(recentSlot(flag, kRecentTiles))];
  if (recent.flag == flag) return recent.tile;
  bool overLimit = false;
  const CSRTMTILE* tile = shared_->tile(cell.south, cell.west, &overLimit);
  if (overLimit) {
    // The set holds as many cells as it may: this one is read into the
    // store's own slots, as a store without a set would read it.
    availability = kOwnSlots;
    return fromSlots();
  }
  if (!tile) {
    availability = 0;
    try {
      if (auto record = shared_->missing(cell.south, cell.west)) missingTiles_.push_back(std::move(*record));
    } catch (const std::bad_alloc&) {
      // The report is lost; the lookup still answers with the missing value.
    }
    return nullptr;
  }
  recent.flag = flag;
  recent.tile = tile;
  return tile;
}

int CSRTM::nodeHeight(Cell home, int latitudeIndex, int longitudeIndex) const {
  // The node lies on the map only where a point there would (-90 <= latitude
  // < 90, -180 <= longitude < 180).
  if (latitudeIndex < kSouthmostCell * kSamplesPerDegree || latitudeIndex >= -kSouthmostCell * kSamplesPerDegree ||
      longitudeIndex < kWestmostCell * kSamplesPerDegree || longitudeIndex >= -kWestmostCell * kSamplesPerDegree)
    return kMissingValue;
  // Neighbouring tiles repeat each other's edges, so a node on the edge of
  // the point's own tile is read there, without a second tile. Otherwise the
  // node is read from the cell a point exactly on it names.
  Cell cell = home;
  int row = kLastIndex - (latitudeIndex - cell.south * kSamplesPerDegree);
  int column = longitudeIndex - cell.west * kSamplesPerDegree;
  if (row < 0 || row > kLastIndex || column < 0 || column > kLastIndex) {
    const auto corner = [](int index) {
      return index >= 0 ? index / kSamplesPerDegree : (index - kSamplesPerDegree) / kSamplesPerDegree;
    };
    cell = Cell{corner(latitudeIndex), corner(longitudeIndex)};
    row = kLastIndex - (latitudeIndex - cell.south * kSamplesPerDegree);
    column = longitudeIndex - cell.west * kSamplesPerDegree;
  }
  const CSRTMTILE* found = tileFor(cell);
  if (!found) return kMissingValue;
  const CSRTMTILE& tile = *found;
  if (!tile.loaded()) return kSeaValue;
  if (row < 0 || row > kLastIndex || column < 0 || column > kLastIndex) return kSeaValue;
  return tile.sampleAt(row, column);
}

int CSRTM::interpolatedHeight(double latitude, double longitude) const {
  // The corners of the grid cell holding the point, in the order north-west,
  // north-east, south-west, south-east (the order of the weighted sums).
  // Each corner is read at the node its snap names, by whole indices: going
  // back through the truncating plain lookup would turn a snapped 517 / 1200,
  // which the division gives back as 516.99999..., into the node one row
  // south or one column west.
  const int northIndex = gridIndex(latitude + kHalfSpacingDeg);
  const int southIndex = gridIndex(latitude - kHalfSpacingDeg);
  const int westIndex = gridIndex(longitude - kHalfSpacingDeg);
  const int eastIndex = gridIndex(longitude + kHalfSpacingDeg);
  const int cornerLatIndex[4] = {northIndex, northIndex, southIndex, southIndex};
  const int cornerLonIndex[4] = {westIndex, eastIndex, westIndex, eastIndex};
  const Cell home = *cellOf(latitude, longitude);  // heightAt has checked the point lies on the map
  double cornerLat[4], cornerLon[4];
  int height[4];
  int sea = 0, missing = 0;
  for (int k = 0; k < 4; ++k) {
    cornerLat[k] = cornerLatIndex[k] * kSpacingDeg;
    cornerLon[k] = cornerLonIndex[k] * kSpacingDeg;
    height[k] = nodeHeight(home, cornerLatIndex[k], cornerLonIndex[k]);
    if (height[k] == kSeaValue) ++sea;
    if (height[k] == kMissingValue) ++missing;
  }
  if (sea == 4) return kSeaValue;
  if (missing == 4) return kMissingValue;

  // Cone weights in plain degrees: the cell diagonal less the distance.
  static const double kDiagonal = std::sqrt(kSpacingDeg * kSpacingDeg + kSpacingDeg * kSpacingDeg);
  double sum = 0.0, weights = 0.0;
  for (int k = 0; k < 4; ++k) {
    const double dLat = latitude - cornerLat[k];
    const double dLon = longitude - cornerLon[k];
    const double w = kDiagonal - std::sqrt(dLat * dLat + dLon * dLon);
    if (w >= 0.0 && w <= kDiagonal && height[k] != kSeaValue && height[k] != kMissingValue) {
      sum += w * height[k];
      weights += w;
    }
  }
  // Only land corners of zero weight (a point on the node diagonally opposite)
  // leave nothing to average: no data rather than a division by zero.
  if (!(weights > 0.0)) return kMissingValue;
  return static_cast<int>(std::trunc(sum / weights + 0.5));
}

const TerrainGrid* CSRTM::sampleGrid(double west, double south, int columns, int rows, double step,
                                     bool interpolate) {
  releaseGrid();
  gridRows_ = rows;
  gridColumns_ = columns;
  gridMaximum_ = 0;
  gridMinimum_ = 0;
  if (!(step > 0.0)) return nullptr;
  if (rows <= 0 || columns <= 0) return nullptr;
  if (!std::isfinite(step) || !std::isfinite(west) || !std::isfinite(south)) return nullptr;

  bool folded = false;
  while (south > kMaxLatitude) {
    south = kHalfTurnDeg - south;
    west -= kHalfTurnDeg;
  }
  while (south < kMinLatitude) {
    south = -south - kHalfTurnDeg;
    west -= kHalfTurnDeg;
    folded = true;
  }
  // Far-off longitudes are first brought within two turns by the exact
  // remainder, which gives the same value as turning back one turn at a time.
  if (std::fabs(west) > 2.0 * kFullTurnDeg) west = std::fmod(west, kFullTurnDeg);
  while (west > kMaxLongitude) west -= kFullTurnDeg;
  while (west < kMinLongitude) west += kFullTurnDeg;

  try {
    grid_.emplace();
    grid_->rows = rows;
    grid_->columns = columns;
    grid_->heights.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
  } catch (const std::exception&) {  // bad_alloc, or length_error for a size no vector holds
    grid_.reset();
    return nullptr;
  }

  double rowLatitude = folded ? south : south + rows * step;
  std::int16_t* cell = grid_->heights.data();
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const int h = heightAt(rowLatitude, west + c * step, interpolate);
      *cell++ = static_cast<std::int16_t>(h);
      if (h != kSeaValue && h != kMissingValue) {
        if (h > gridMaximum_) gridMaximum_ = h;
        if (h < gridMinimum_) gridMinimum_ = h;
      }
    }
    rowLatitude -= step;
  }
  return &*grid_;
}

void CSRTM::releaseGrid() { grid_.reset(); }

}  // namespace tarnvale
