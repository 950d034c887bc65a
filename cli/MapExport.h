#pragma once
// The coverage map as files that GIS programs open directly: the losses as a
// georeferenced GeoTIFF, and the picture as a KML or KMZ ground overlay.
#include <string>

#include "maps/Coverage.h"

namespace tarnvale::cli {

/// No-data value of the GeoTIFF (dB): no sample can have this loss.
inline constexpr double kGeoTiffNoData = -9999.0;

/// The box the coverage picture covers on the ground (degrees). Each sample
/// is centred on its point: the picture's edges lie half a step west and
/// north of the first column and row, and each pixel spans step / p degrees.
struct OverlayBox {
  double north = 0.0, south = 0.0, east = 0.0, west = 0.0;
};
OverlayBox CoverageOverlayBox(const CoverageGrid& grid, int widthPx, int heightPx);

/// Writes the losses (Lb plus the gaseous loss, dB) as a one-band float32
/// GeoTIFF of n x n pixels in EPSG:4326, row 0 the northern row, pixel
/// centres on the sample points (origin at west edge - step / 2, north edge +
/// step / 2). Failed and never computed samples hold kGeoTiffNoData, which
/// the file declares. Returns false with a reason in @p error.
bool WriteCoverageGeoTiff(const std::string& path, const CoverageGrid& grid, const CoverageValues& values,
                          std::string& error);

/// The KML document of a ground overlay of @p imageHref over @p box.
std::string CoverageKml(const std::string& name, const std::string& imageHref, const OverlayBox& box);

/// Writes @p kml to @p path.
bool WriteTextFile(const std::string& path, const std::string& text, std::string& error);

/// Writes a KMZ: a zip holding doc.kml (the overlay of "map.png") and the
/// picture as map.png.
bool WriteCoverageKmz(const std::string& path, const std::string& name, const RgbImage& picture,
                      const OverlayBox& box, std::string& error);

}  // namespace tarnvale::cli
