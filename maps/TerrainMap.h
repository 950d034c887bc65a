#pragma once
// Height maps drawn from the terrain store: the link map around a whole path
// with the path on it, the local maps around each end, and the terrain layer
// of the coverage map. Each map is a grid of terrain samples on a regular
// latitude/longitude lattice, each sample a square of pixels coloured by
// height.
#include <stop_token>
#include <string>

#include "geo/Locator.h"
#include "maps/RgbImage.h"
#include "terrain/Srtm.h"

namespace tarnvale {

/// Figures of the terrain maps.
namespace terrainmap {

/// Sizes of the Terrain Map page's pictures (pixels) and their cells.
inline constexpr int kLinkMapSize = 480;
inline constexpr int kLocalMapSize = 240;
inline constexpr int kCellPixels = 2;
/// The link map's area is the path's extent widened by this factor.
inline constexpr double kLinkMargin = 1.2;
/// A local map is one tile sample (1/1200 degree) per half pixel of its
/// larger side: 0.1 degree for 240 pixels.
inline constexpr double kSampleDeg = 1.0 / 1200.0;
inline constexpr double kLocalSideFactor = 0.5;
/// End markers: a disc from (x - 5, y - 5) to (x + 5, y + 5), corners 10.
inline constexpr int kMarkerHalf = 5;
inline constexpr int kMarkerCorner = 10;

}  // namespace terrainmap

/// A drawn map and the grid it came from.
struct TerrainMap {
  /// False when no grid could be sampled (a side of 0, no memory): the image
  /// is then empty.
  bool drawn = false;
  /// cell x columns by cell x rows pixels.
  RgbImage image;
  /// Highest and lowest land height of the grid (m), 0 without land.
  int gridMaximum = 0;
  int gridMinimum = 0;
  /// The lattice: column 0 at westEdge, the last row at southEdge + step.
  double westEdge = 0.0;   ///< degrees
  double southEdge = 0.0;  ///< degrees
  double step = 0.0;       ///< degrees between samples
  int columns = 0;
  int rows = 0;
};

/// Colour of one map cell: navy for the store's sea value, black for its
/// missing value, heightColour(height, maximum, minimum) otherwise.
Colour TerrainCellColour(int height, int maximum, int minimum);

/// The map routine. columns = width / cell, rows = height / cell; west edge =
/// centre longitude - side / 2, south edge = centre latitude - side / 2;
/// step = side / min(columns, rows). The grid is sampled with
/// CSRTM::sampleGrid and released afterwards.
/// @param terrain the tile store (its grid is replaced and released)
/// @param centreLatitude, centreLongitude degrees
/// @param sideDeg side of the area (degrees)
/// @param maximum, minimum colour range (m)
/// @param width, height picture size (pixels) @param cell pixels per sample
/// @param interpolate passed to sampleGrid
TerrainMap drawTerrainMap(CSRTM& terrain, double centreLatitude, double centreLongitude, double sideDeg, int maximum,
                          int minimum, int width, int height, int cell, bool interpolate);
/// The same, coloured by the grid's own maximum and minimum.
TerrainMap drawLinkMap(CSRTM& terrain, double centreLatitude, double centreLongitude, double sideDeg, int width,
                       int height, int cell, bool interpolate);

/// A filled rounded square marker centred on (x, y): red for the transmitter,
/// blue for the receiver.
void DrawEndMarker(RgbImage& image, int x, int y, Colour colour);

/// The link map's area: the path's latitude and longitude extents widened by
/// 1.2, the larger of them as the side, centred on the mean of the ends.
struct LinkMapArea {
  double latitudeExtent = 0.0;   ///< degrees
  double longitudeExtent = 0.0;  ///< degrees
  double side = 0.0;             ///< degrees
  double centreLatitude = 0.0;
  double centreLongitude = 0.0;
};
LinkMapArea LinkMapAreaOf(const CLocator& tx, const CLocator& rx);

/// A pixel of a picture.
struct PixelPoint {
  int x = 0;
  int y = 0;
};
/// Where a point lies on the link map of @p area drawn at @p width x @p height
/// pixels: q = max(latitude extent / (height / 2), longitude extent /
/// (width / 2)); x = trunc((longitude - west edge) / q x 2), y =
/// trunc((height / 2 - (latitude - south edge) / q) x 2).
PixelPoint LinkMapPixel(const LinkMapArea& area, int width, int height, double latitude, double longitude);

/// Side of a local map (degrees): the larger of @p width and @p height times
/// 1/1200 times 0.5.
double LocalMapSide(int width, int height);

/// "Map heights - maximum 312m,  minimum 0m"
std::string MapHText(int gridMaximum, int gridMinimum);
/// "TX Area     (max 312m,  min 0m)"
std::string TXAreaText(int gridMaximum, int gridMinimum);
/// "RX Area     (max 312m,  min 0m)"
std::string RXAreaText(int gridMaximum, int gridMinimum);

/// The Terrain Map page's three pictures and label texts.
struct TerrainMapSet {
  TerrainMap link;  ///< with the path line and both markers
  TerrainMap tx;    ///< with the red marker at the centre
  TerrainMap rx;    ///< with the blue marker at the centre
  std::string mapH = "Map data";
  std::string txArea = "TX Area";
  std::string rxArea = "RX Area";
  /// False when @p stop asked to end before all three were drawn; the maps
  /// not reached are left undrawn.
  bool complete = false;
};

/// Draws the link map and both local maps as the Terrain Map page shows them:
/// the local maps coloured on the link map's height range, their labels
/// giving their own ranges. @p stop is tested between the maps.
TerrainMapSet DrawTerrainMaps(CSRTM& terrain, const CLocator& tx, const CLocator& rx, bool interpolate,
                              std::stop_token stop = {}, int linkSize = terrainmap::kLinkMapSize,
                              int localSize = terrainmap::kLocalMapSize);

}  // namespace tarnvale
