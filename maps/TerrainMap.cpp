#include "maps/TerrainMap.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "maps/Colours.h"

namespace tarnvale {

using namespace terrainmap;

namespace {

TerrainMap drawMap(CSRTM& terrain, double centreLatitude, double centreLongitude, double sideDeg, int maximum,
                   int minimum, bool ownRange, int width, int height, int cell, bool interpolate) {
  TerrainMap map;
  if (cell <= 0 || width <= 0 || height <= 0) return map;
  const int columns = width / cell;
  const int rows = height / cell;
  map.columns = columns;
  map.rows = rows;
  map.westEdge = centreLongitude - sideDeg / 2.0;
  map.southEdge = centreLatitude - sideDeg / 2.0;
  const int across = std::min(columns, rows);
  if (across <= 0) return map;
  map.step = sideDeg / across;
  const TerrainGrid* grid = terrain.sampleGrid(map.westEdge, map.southEdge, columns, rows, map.step, interpolate);
  map.gridMaximum = terrain.gridMaximum();
  map.gridMinimum = terrain.gridMinimum();
  if (!grid) return map;
  if (ownRange) {
    maximum = map.gridMaximum;
    minimum = map.gridMinimum;
  }
  try {
    map.image = RgbImage(cell * columns, cell * rows);
  } catch (const std::bad_alloc&) {
    terrain.releaseGrid();
    return map;
  }
  for (int i = 0; i < rows; ++i) {
    const std::int16_t* row = grid->row(i);
    for (int j = 0; j < columns; ++j)
      map.image.fillRect(cell * j, cell * i, cell * (j + 1), cell * (i + 1),
                         TerrainCellColour(row[j], maximum, minimum));
  }
  terrain.releaseGrid();
  map.drawn = true;
  return map;
}

}  // namespace

Colour TerrainCellColour(int height, int maximum, int minimum) {
  if (height == srtm::kSeaValue) return kNavy;
  if (height == srtm::kMissingValue) return kBlack;
  return heightColour(height, maximum, minimum);
}

TerrainMap drawTerrainMap(CSRTM& terrain, double centreLatitude, double centreLongitude, double sideDeg, int maximum,
                          int minimum, int width, int height, int cell, bool interpolate) {
  return drawMap(terrain, centreLatitude, centreLongitude, sideDeg, maximum, minimum, false, width, height, cell,
                 interpolate);
}

TerrainMap drawLinkMap(CSRTM& terrain, double centreLatitude, double centreLongitude, double sideDeg, int width,
                       int height, int cell, bool interpolate) {
  return drawMap(terrain, centreLatitude, centreLongitude, sideDeg, 0, 0, true, width, height, cell, interpolate);
}

void DrawEndMarker(RgbImage& image, int x, int y, Colour colour) {
  image.fillRoundRect(x - kMarkerHalf, y - kMarkerHalf, x + kMarkerHalf, y + kMarkerHalf, kMarkerCorner,
                      kMarkerCorner, colour);
}

LinkMapArea LinkMapAreaOf(const CLocator& tx, const CLocator& rx) {
  LinkMapArea area;
  area.latitudeExtent = std::fabs(tx.latitude() - rx.latitude()) * kLinkMargin;
  area.longitudeExtent = std::fabs(tx.longitude() - rx.longitude()) * kLinkMargin;
  area.side = std::max(area.latitudeExtent, area.longitudeExtent);
  area.centreLatitude = (tx.latitude() + rx.latitude()) / 2.0;
  area.centreLongitude = (tx.longitude() + rx.longitude()) / 2.0;
  return area;
}

PixelPoint LinkMapPixel(const LinkMapArea& area, int width, int height, double latitude, double longitude) {
  const int halfWidth = width / 2;
  const int halfHeight = height / 2;
  const double q = std::max(area.latitudeExtent / halfHeight, area.longitudeExtent / halfWidth);
  const double west = area.centreLongitude - area.side / 2.0;
  const double south = area.centreLatitude - area.side / 2.0;
  PixelPoint p;
  if (!(q > 0.0)) return p;
  p.x = static_cast<int>(std::trunc((longitude - west) / q * 2.0));
  p.y = static_cast<int>(std::trunc((halfHeight - (latitude - south) / q) * 2.0));
  return p;
}

double LocalMapSide(int width, int height) { return std::max(width, height) * kSampleDeg * kLocalSideFactor; }

std::string MapHText(int gridMaximum, int gridMinimum) {
  return "Map heights - maximum " + std::to_string(gridMaximum) + "m" + ",  minimum " + std::to_string(gridMinimum) +
         "m";
}

std::string TXAreaText(int gridMaximum, int gridMinimum) {
  return "TX Area     (max " + std::to_string(gridMaximum) + "m" + ",  min " + std::to_string(gridMinimum) + "m)";
}

std::string RXAreaText(int gridMaximum, int gridMinimum) {
  return "RX Area     (max " + std::to_string(gridMaximum) + "m" + ",  min " + std::to_string(gridMinimum) + "m)";
}

TerrainMapSet DrawTerrainMaps(CSRTM& terrain, const CLocator& tx, const CLocator& rx, bool interpolate,
                              std::stop_token stop, int linkSize, int localSize) {
  TerrainMapSet set;
  const LinkMapArea area = LinkMapAreaOf(tx, rx);
  set.link = drawLinkMap(terrain, area.centreLatitude, area.centreLongitude, area.side, linkSize, linkSize,
                         kCellPixels, interpolate);
  set.mapH = MapHText(set.link.gridMaximum, set.link.gridMinimum);
  if (set.link.drawn) {
    const PixelPoint a = LinkMapPixel(area, linkSize, linkSize, tx.latitude(), tx.longitude());
    const PixelPoint b = LinkMapPixel(area, linkSize, linkSize, rx.latitude(), rx.longitude());
    set.link.image.drawLine(a.x, a.y, b.x, b.y, kWhite);
    DrawEndMarker(set.link.image, a.x, a.y, kRed);
    DrawEndMarker(set.link.image, b.x, b.y, kBlue);
  }
  if (stop.stop_requested()) return set;
  // The local maps share the link map's colours.
  const int maximum = set.link.gridMaximum;
  const int minimum = set.link.gridMinimum;
  const double side = LocalMapSide(localSize, localSize);
  set.tx = drawTerrainMap(terrain, tx.latitude(), tx.longitude(), side, maximum, minimum, localSize, localSize,
                          kCellPixels, interpolate);
  if (set.tx.drawn) DrawEndMarker(set.tx.image, localSize / 2, localSize / 2, kRed);
  set.txArea = TXAreaText(set.tx.gridMaximum, set.tx.gridMinimum);
  if (stop.stop_requested()) return set;
  set.rx = drawTerrainMap(terrain, rx.latitude(), rx.longitude(), side, maximum, minimum, localSize, localSize,
                          kCellPixels, interpolate);
  if (set.rx.drawn) DrawEndMarker(set.rx.image, localSize / 2, localSize / 2, kBlue);
  set.rxArea = RXAreaText(set.rx.gridMaximum, set.rx.gridMinimum);
  set.complete = true;
  return set;
}

}  // namespace tarnvale
