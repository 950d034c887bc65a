#pragma once
// The coverage map as files that GIS programs open directly: the picture as
// a KML or KMZ ground overlay. (The losses as a GeoTIFF go through GDAL, in
// the module of exports/GdalModule.h.)
#include <string>
#include <utility>
#include <vector>

#include "maps/Coverage.h"

namespace tarnvale {

/// No-data value of the GeoTIFF: no sample can have this loss (dB), power
/// (dBm), field strength (dBuV/m) or margin (dB).
inline constexpr double kGeoTiffNoData = -9999.0;

/// How the GeoTIFF's band names what it holds: its description, and its unit
/// (GDAL's unit type, which gdalinfo shows; empty: none written).
struct CoverageBand {
  std::string description;
  std::string unit;
};
/// The band of a map of @p quantity. The loss keeps the description it has
/// always had and writes no unit, so that a loss GeoTIFF is the same file as
/// before; the others say what they hold and give their unit ("dBm", "dBuV/m",
/// "dB").
CoverageBand CoverageBandFor(LinkQuantity quantity);

/// The box the coverage picture covers on the ground (degrees). Each sample
/// is centred on its point: the picture's edges lie half a step west and
/// north of the first column and row, and each pixel spans step / p degrees.
struct OverlayBox {
  double north = 0.0, south = 0.0, east = 0.0, west = 0.0;
};
OverlayBox CoverageOverlayBox(const CoverageGrid& grid, int widthPx, int heightPx);

/// The map's legend in an overlay: the scale picture with its labels
/// (DrawScaleLegend) and what it stands for (CoverageLegendTitle).
struct OverlayLegend {
  RgbImage picture;
  std::string title;
};

/// The KML document of a ground overlay of @p imageHref over @p box; with a
/// @p legendHref, a screen overlay of that picture at the lower left, named
/// @p legendTitle.
std::string CoverageKml(const std::string& name, const std::string& imageHref, const OverlayBox& box,
                        const std::string& legendHref = {}, const std::string& legendTitle = {});

/// Where a KML's legend picture goes: beside it, "<name>-legend.png".
std::string LegendPathBeside(const std::string& kmlPath);

/// Writes @p kml to @p path.
bool WriteTextFile(const std::string& path, const std::string& text, std::string& error);

/// Writes a KMZ: a zip holding doc.kml (the overlay of "map.png") and the
/// picture as map.png, and with @p legend its picture as legend.png.
bool WriteCoverageKmz(const std::string& path, const std::string& name, const RgbImage& picture,
                      const OverlayBox& box, std::string& error, const OverlayLegend* legend = nullptr);

}  // namespace tarnvale
