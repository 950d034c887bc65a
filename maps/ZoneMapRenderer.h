#pragma once
// The Zone Map picture: the radio-climatic zones around the path in a square
// of degrees, the path as a white line, the transmitter as a red disc and the
// receiver as a blue one. The page and tarnvale-cli draw it with this one
// renderer, so both show the same pixels.
#include <cstdint>

#include "climate/Zones.h"
#include "maps/RgbImage.h"

namespace tarnvale {

/// Size of the page's image control (pixels); every zone cell is 2 x 2 pixels.
inline constexpr int kZoneMapWidth = 400;
inline constexpr int kZoneMapHeight = 400;
/// The map spans this much more than the path in its longer direction.
inline constexpr double kZoneMapMargin = 1.2;
/// Diameter of the end discs (pixels).
inline constexpr int kZoneMapEndDiameter = 10;

/// Colour of a zone code on the map: navy sea, aqua coastal land, green
/// inland, black for none, no data and anything else.
Colour ZoneColour(int code);

/// The picture and where it lies.
struct ZoneMapPicture {
  enum class Status {
    kDrawn,        ///< image holds the picture
    kNoPicture,    ///< no area to sample (identical ends) or no memory for the codes: nothing new to show
    kDrawFailure,  ///< the picture could not be made: "Could not load or display bitmap"
  };
  Status status = Status::kNoPicture;
  RgbImage image;      ///< 2 columns x 2 rows pixels
  double west = 0.0;   ///< longitude of the western edge (degrees)
  double south = 0.0;  ///< latitude of the southern edge (degrees)
  double step = 0.0;   ///< size of one zone cell (degrees)
  int columns = 0;     ///< zone cells across
  int rows = 0;        ///< zone cells down
  int txX = 0, txY = 0;  ///< transmitter's pixel
  int rxX = 0, rxY = 0;  ///< receiver's pixel
};

/// Draws the zones around the path from (lat1, lon1) (transmitter) to
/// (lat2, lon2) (receiver) into a picture of @p width x @p height pixels,
/// sampling zones.zoneImage over width/2 x height/2 cells and releasing the
/// image again. Never throws.
/// @param lat1, lon1, lat2, lon2 the ends (degrees, north and east positive)
ZoneMapPicture RenderZoneMap(CZONES& zones, double lat1, double lon1, double lat2, double lon2,
                             int width = kZoneMapWidth, int height = kZoneMapHeight);

}  // namespace tarnvale
