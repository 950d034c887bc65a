#include "maps/ZoneMapRenderer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace tarnvale {
namespace {

constexpr int kCellPixels = 2;

// A pixel coordinate truncated toward zero; values no int holds (or NaN) end
// up far outside the picture, where drawing clips them.
int pixel(double value) {
  constexpr double kFar = 1e6;
  if (!(value > -kFar)) return static_cast<int>(-kFar);
  if (!(value < kFar)) return static_cast<int>(kFar);
  return static_cast<int>(std::trunc(value));
}

}  // namespace

Colour ZoneColour(int code) {
  switch (code) {
    case zones::kSea: return kNavy;
    case zones::kCoastalLand: return kAqua;
    case zones::kInland: return kGreen;
    default: return kBlack;
  }
}

ZoneMapPicture RenderZoneMap(CZONES& zones, double lat1, double lon1, double lat2, double lon2, int width,
                             int height) {
  ZoneMapPicture out;
  const int columns = std::max(width, 0) / kCellPixels;
  const int rows = std::max(height, 0) / kCellPixels;
  const double centreLat = (lat1 + lat2) / 2.0;
  const double centreLon = (lon1 + lon2) / 2.0;
  const double spanLat = kZoneMapMargin * std::fabs(lat1 - lat2);
  const double spanLon = kZoneMapMargin * std::fabs(lon1 - lon2);
  const double span = std::max(spanLat, spanLon);
  out.south = centreLat - span / 2.0;
  out.west = centreLon - span / 2.0;
  out.columns = columns;
  out.rows = rows;
  const int cells = std::max(columns, rows);
  out.step = cells > 0 ? span / cells : 0.0;
  // Identical ends leave no area (step 0): zoneImage gives nothing.
  const ZoneImage* codes = zones.zoneImage(out.west, out.south, columns, rows, out.step);
  if (!codes) return out;
  try {
    out.image = RgbImage(columns * kCellPixels, rows * kCellPixels);
  } catch (const std::bad_alloc&) {
    zones.releaseImage();
    out.status = ZoneMapPicture::Status::kDrawFailure;
    return out;
  }
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < columns; ++j)
      out.image.fillRect(kCellPixels * j, kCellPixels * i, kCellPixels * j + kCellPixels, kCellPixels * i + kCellPixels,
                         ZoneColour(codes->at(i, j)));
  zones.releaseImage();

  // Degrees per cell along the longer span; the same as step for a square picture.
  const double scale = std::max(spanLat / rows, spanLon / columns);
  auto place = [&](double lat, double lon, int& x, int& y) {
    x = pixel((lon - out.west) / scale * kCellPixels);
    y = pixel((rows - (lat - out.south) / scale) * kCellPixels);
  };
  place(lat1, lon1, out.txX, out.txY);
  place(lat2, lon2, out.rxX, out.rxY);
  constexpr int r = kZoneMapEndDiameter / 2;
  out.image.drawLine(out.txX, out.txY, out.rxX, out.rxY, kWhite);
  out.image.fillRoundRect(out.txX - r, out.txY - r, out.txX + r, out.txY + r, kZoneMapEndDiameter,
                          kZoneMapEndDiameter, kRed);
  // The receiver last, so that it covers the transmitter where they overlap.
  out.image.fillRoundRect(out.rxX - r, out.rxY - r, out.rxX + r, out.rxY + r, kZoneMapEndDiameter,
                          kZoneMapEndDiameter, kBlue);
  out.status = ZoneMapPicture::Status::kDrawn;
  return out;
}

}  // namespace tarnvale
