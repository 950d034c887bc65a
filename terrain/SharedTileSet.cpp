#include "terrain/SharedTileSet.h"

#include <algorithm>
#include <new>
#include <utility>

namespace tarnvale {

using namespace srtm;

struct SharedTileSet::Entry {
  std::once_flag read;
  std::unique_ptr<CSRTMTILE> tile;       // set only when the tile loaded
  std::optional<MissingTile> missing;    // set only when no readable file was found
};

SharedTileSet::SharedTileSet(std::string terrainDirectory, int tileLimit)
    : terrainDirectory_(std::move(terrainDirectory)), tileLimit_(static_cast<std::size_t>(std::max(tileLimit, 0))) {}

SharedTileSet::~SharedTileSet() = default;

SharedTileSet::Entry* SharedTileSet::entryFor(int cellSouthDeg, int cellWestDeg, bool& overLimit) const {
  overLimit = false;
  const int row = cellSouthDeg - kSouthmostCell;
  const int column = cellWestDeg - kWestmostCell;
  if (row < 0 || row >= kCellRows || column < 0 || column >= kCellColumns) return nullptr;
  const int key = row * kCellColumns + column;
  try {
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(key);
    if (found != entries_.end()) return found->second.get();
    if (entries_.size() >= tileLimit_) {
      overLimit = true;
      return nullptr;
    }
    std::unique_ptr<Entry>& entry = entries_[key];
    entry = std::make_unique<Entry>();
    return entry.get();
  } catch (const std::exception&) {  // no memory for the entry, or the mutex failed
    return nullptr;
  }
}

const CSRTMTILE* SharedTileSet::tile(int cellSouthDeg, int cellWestDeg, bool* overLimit) const {
  bool over = false;
  Entry* entry = entryFor(cellSouthDeg, cellWestDeg, over);
  if (overLimit) *overLimit = over;
  if (!entry) return nullptr;
  try {
    // The first thread to ask reads the tile; any other asking meanwhile
    // waits here, and every later call finds the read done.
    std::call_once(entry->read, [&] {
      tilesRead_.fetch_add(1, std::memory_order_relaxed);
      auto tile = std::unique_ptr<CSRTMTILE>(new (std::nothrow) CSRTMTILE);
      if (!tile) return;
      if (tile->load(terrainDirectory_, cellSouthDeg, cellWestDeg)) {
        entry->tile = std::move(tile);
        tilesHeld_.fetch_add(1, std::memory_order_relaxed);
      } else if (tile->hasSamples()) {
        // A tile without its sample array is short of memory, not of a file.
        entry->missing = MissingTile{cellSouthDeg, cellWestDeg, CSRTMTILE::fileName(cellSouthDeg, cellWestDeg),
                                     tile->problemFile(), tile->problem()};
      }
    });
  } catch (const std::exception&) {  // bad_alloc from the record, or system_error from call_once
    return nullptr;
  }
  return entry->tile.get();
}

std::optional<MissingTile> SharedTileSet::missing(int cellSouthDeg, int cellWestDeg) const {
  const int row = cellSouthDeg - kSouthmostCell;
  const int column = cellWestDeg - kWestmostCell;
  if (row < 0 || row >= kCellRows || column < 0 || column >= kCellColumns) return std::nullopt;
  try {
    Entry* entry = nullptr;
    {
      std::lock_guard lock(mutex_);
      const auto found = entries_.find(row * kCellColumns + column);
      if (found == entries_.end()) return std::nullopt;
      entry = found->second.get();
    }
    // Only a cell that tile() was asked for has an entry; this waits for its
    // read should it still be running.
    tile(cellSouthDeg, cellWestDeg);
    return entry->missing;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace tarnvale
