#pragma once
// The coverage map's scale as a picture of its own, with its labels drawn in:
// the legend a KML or KMZ overlay shows on the screen beside the map.
#include <string>

#include "maps/Colours.h"
#include "maps/Coverage.h"
#include "maps/RgbImage.h"

namespace tarnvale {

/// Figures of the legend picture.
namespace legend {
inline constexpr int kMargin = 6;       ///< white border (pixels)
inline constexpr int kGlyphScale = 2;   ///< each dot of the 5 x 7 font as 2 x 2 pixels
inline constexpr int kGlyphWidth = 5, kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = (kGlyphWidth + 1) * kGlyphScale;  ///< one character across (pixels)
inline constexpr int kLabelGap = 8;     ///< between the scale and its labels (pixels)
}  // namespace legend

/// The width (pixels) @p text takes in the legend's font: one advance a
/// character (a UTF-8 sequence counts once).
int LegendTextWidth(const std::string& text);

/// Draws @p text in black with its top-left corner at (@p x, @p y), in a
/// small built-in font of the characters the scale's labels use (digits, . -
/// + space, d B m u V /; the micro sign is written u); other characters
/// leave a gap.
void DrawLegendText(RgbImage& image, int x, int y, const std::string& text);

/// The scale on white with its top label level with its top and its bottom
/// label level with its bottom, as the page shows them beside the map.
RgbImage DrawScaleLegend(const ColourScale& scale);

/// What the scale of @p settings stands for, for the legend's name: "Loss
/// (dB)", "Received power (dBm)", "Field strength (dBuV/m)", "Margin (dB)",
/// or "Terrain height (m)" in the terrain style, whose colours are heights.
std::string CoverageLegendTitle(const CoverageSettings& settings);

}  // namespace tarnvale
