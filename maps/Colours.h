#pragma once
// Numbers to colours for the map pictures: terrain heights on a hue scale
// around sea level, path losses as grey levels or hues, the "Contrast"
// threshold rendering and the shading of a terrain colour by a grey level,
// all through the HSV and HSL colour models; and the ten-band colour scales
// drawn beside the coverage map.
#include <string>

#include "maps/RgbImage.h"

namespace tarnvale {

/// Figures of the colour functions.
namespace colours {

/// Saturation and value of every hue-scale colour.
inline constexpr double kHueSaturation = 0.7;
inline constexpr double kHueValue = 0.9;
/// Hue of the lowest height above the reference level (degrees).
inline constexpr double kHeightBaseHue = 170.0;
/// Hue span from the reference level to the maximum height (degrees).
inline constexpr double kHeightHueSpan = 230.0;
/// Hue at the reference level seen from below, and its span to the minimum.
inline constexpr double kDepthBaseHue = 180.0;
inline constexpr double kDepthHueSpan = 30.0;
inline constexpr double kDepthMaxHue = 240.0;
/// Hue of the minimum end of the loss scale and the share of the colour
/// circle it sweeps to the maximum.
inline constexpr double kLossBaseHue = 180.0;
inline constexpr double kLossHueShare = 0.7;
inline constexpr double kFullCircleDeg = 360.0;
/// The coverage map's "Contrast" grey: 40 % of white's lightness.
inline constexpr double kContrastPercent = 40.0;

/// Size of the scale image beside the coverage map (pixels) and its bands.
inline constexpr int kScaleWidth = 33;
inline constexpr int kScaleHeight = 225;
inline constexpr int kScaleBands = 10;

}  // namespace colours

/// A colour in the HSL model: hue in degrees, saturation and lightness 0 ... 1.
struct Hsl {
  double hue = 0.0;
  double saturation = 0.0;
  double lightness = 0.0;
};

/// The standard hexcone HSV to RGB conversion; zero saturation gives the grey
/// of level @p value.
/// @param hueDeg hue (degrees, 0 ... 360) @param saturation, value 0 ... 1
Colour HsvToColour(double hueDeg, double saturation, double value);
/// RGB to HSL: L = (max + min) / 2, S = delta / (2L) below L = 0.5 and
/// delta / (2 - 2L) from there, 0 for grey. The hue may come back negative,
/// down to -60 degrees.
Hsl ColourToHsl(Colour colour);
/// HSL to RGB; the hue is first wrapped into 0 ... 360. Channels are rounded
/// by trunc(c x 255 + 0.5).
Colour HslToColour(const Hsl& hsl);

/// Colour of a terrain height: from cyan-green (170 degrees) at the reference
/// level through green, yellow and red to magenta (300 degrees) at @p maximum;
/// below the reference from 180 towards 210 degrees at @p minimum. The
/// reference is 0, raised to a positive minimum or lowered to a negative
/// maximum. Bounds in either order; a bound of 0 counts as +1 / -1.
/// @param height, maximum, minimum metres (16-bit values)
Colour heightColour(int height, int maximum, int minimum);
/// Colour of @p value between the bounds (either order): 180 degrees (cyan) at
/// the smaller down through green, yellow and red to 288 degrees (violet) at
/// the larger. Equal bounds give the colour of the minimum end.
Colour hueScaleColour(double value, double a, double b);
/// @p base with its lightness scaled from 1 at the smaller bound to 0 at the
/// larger; white gives a grey level from white to black. Equal bounds give
/// @p base unchanged.
Colour greyScaleColour(Colour base, double value, double a, double b);
/// @p base below @p threshold; at or above it, @p base with its lightness
/// scaled to @p percentage (limited to 0 ... 100) per cent.
Colour thresholdColour(Colour base, double value, double threshold, double percentage);
/// @p colour with its lightness multiplied by the lightness of @p grey.
Colour shadeColour(Colour colour, Colour grey);
/// HSL lightness, (largest channel + smallest channel) / 2, as 0 ... 1.
double lightnessOf(Colour colour);

/// The three scales that stand beside the coverage map.
enum class ScaleKind {
  ColourLoss,  ///< hue scale of the loss, minimum at the top
  GreyLoss,    ///< grey scale of the loss, minimum (white) at the top
  Height,      ///< terrain colours, minimum at the bottom
};

/// A scale picture with the texts of the labels above (`ScaleMin`) and below
/// (`ScaleMax`) it.
struct ColourScale {
  RgbImage image;
  std::string scaleMinText;  ///< the label at the top
  std::string scaleMaxText;  ///< the label at the bottom
};

/// Draws a ten-band scale. Band i stands for minimum + i (maximum - minimum)
/// / 10 and is trunc(height / 10 + 0.5) pixels high (at least 1). The loss
/// scales put band 0 at the top, band i from y = trunc(i height / 10 + 0.5)
/// down, and label the top with the minimum, the bottom with the maximum
/// ("100.0 dB"). The height scale puts band 0 at the bottom, band i from
/// y = height - trunc(i height / 10 + 0.5) up, coloured by heightColour of the
/// truncated values, and labels the top with the maximum, the bottom with the
/// minimum ("500 m").
/// @param maximum, minimum dB for the loss scales, m for the height scale
/// @param width, height size of the picture (pixels)
ColourScale DrawColourScale(ScaleKind kind, double maximum, double minimum, int width = colours::kScaleWidth,
                            int height = colours::kScaleHeight);

}  // namespace tarnvale
