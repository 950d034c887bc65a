#include "maps/Colours.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "text/Format.h"

namespace tarnvale {

using namespace colours;

namespace {

constexpr double kChannelMax = 255.0;
constexpr double kSextantDeg = 60.0;

int toChannel(double fraction) { return static_cast<int>(std::trunc(fraction * kChannelMax + 0.5)); }
double toFraction(int channel) { return channel / kChannelMax; }

// One channel of the HSL to RGB conversion; t is the hue as a fraction of
// the circle, shifted for the channel.
double hueToChannel(double p, double q, double t) {
  if (t < 0.0) t += 1.0;
  if (t > 1.0) t -= 1.0;
  if (t < 1.0 / 6.0) return p + (q - p) * 6.0 * t;
  if (t < 0.5) return q;
  if (t < 2.0 / 3.0) return p + (q - p) * (2.0 / 3.0 - t) * 6.0;
  return p;
}

Colour scaleLightness(Colour colour, double factor) {
  Hsl hsl = ColourToHsl(colour);
  hsl.lightness *= factor;
  return HslToColour(hsl);
}

}  // namespace

Colour HsvToColour(double hueDeg, double saturation, double value) {
  if (saturation <= 0.0) {
    const int grey = toChannel(value);
    return MakeColour(grey, grey, grey);
  }
  double h = std::fmod(hueDeg, kFullCircleDeg);
  if (h < 0.0) h += kFullCircleDeg;
  h /= kSextantDeg;
  const int sextant = static_cast<int>(std::floor(h)) % 6;
  const double f = h - std::floor(h);
  const double p = value * (1.0 - saturation);
  const double q = value * (1.0 - saturation * f);
  const double t = value * (1.0 - saturation * (1.0 - f));
  double r = 0.0, g = 0.0, b = 0.0;
  switch (sextant) {
    case 0: r = value, g = t, b = p; break;
    case 1: r = q, g = value, b = p; break;
    case 2: r = p, g = value, b = t; break;
    case 3: r = p, g = q, b = value; break;
    case 4: r = t, g = p, b = value; break;
    default: r = value, g = p, b = q; break;
  }
  return MakeColour(toChannel(r), toChannel(g), toChannel(b));
}

Hsl ColourToHsl(Colour colour) {
  const double r = toFraction(RedOf(colour));
  const double g = toFraction(GreenOf(colour));
  const double b = toFraction(BlueOf(colour));
  const double hi = std::max({r, g, b});
  const double lo = std::min({r, g, b});
  const double delta = hi - lo;
  Hsl hsl;
  hsl.lightness = (hi + lo) / 2.0;
  if (delta == 0.0 || hsl.lightness == 0.0 || hsl.lightness == 1.0) return hsl;
  hsl.saturation = hsl.lightness < 0.5 ? delta / (2.0 * hsl.lightness) : delta / (2.0 - 2.0 * hsl.lightness);
  // Red's sextant straddles 0 degrees, so its hue may be negative.
  if (hi == r)
    hsl.hue = kSextantDeg * (g - b) / delta;
  else if (hi == g)
    hsl.hue = kSextantDeg * (2.0 + (b - r) / delta);
  else
    hsl.hue = kSextantDeg * (4.0 + (r - g) / delta);
  return hsl;
}

Colour HslToColour(const Hsl& hsl) {
  double hue = hsl.hue;
  while (hue < 0.0) hue += kFullCircleDeg;
  while (hue >= kFullCircleDeg) hue -= kFullCircleDeg;
  const double l = hsl.lightness;
  const double s = hsl.saturation;
  if (s == 0.0) {
    const int grey = toChannel(l);
    return MakeColour(grey, grey, grey);
  }
  const double q = l < 0.5 ? l * (1.0 + s) : l + s - l * s;
  const double p = 2.0 * l - q;
  const double t = hue / kFullCircleDeg;
  return MakeColour(toChannel(hueToChannel(p, q, t + 1.0 / 3.0)), toChannel(hueToChannel(p, q, t)),
                    toChannel(hueToChannel(p, q, t - 1.0 / 3.0)));
}

Colour heightColour(int height, int maximum, int minimum) {
  if (maximum < minimum) std::swap(maximum, minimum);
  int reference = 0;
  if (minimum > 0) reference = minimum;
  if (maximum < 0) reference = maximum;
  // Keeps both bounds away from 0, the divisors below.
  if (maximum == 0) maximum = 1;
  if (minimum == 0) minimum = -1;
  const int v = std::clamp(height - reference, minimum, maximum);
  double hue = 0.0;
  if (v >= reference) {
    hue = maximum > reference ? kHeightBaseHue - kHeightHueSpan * v / maximum : kHeightBaseHue;
    if (hue < 0.0) hue += kFullCircleDeg;
  } else {
    hue = std::min(kDepthBaseHue + kDepthHueSpan * v / minimum, kDepthMaxHue);
  }
  return HsvToColour(hue, kHueSaturation, kHueValue);
}

Colour hueScaleColour(double value, double a, double b) {
  const double hi = std::max(a, b);
  const double lo = std::min(a, b);
  // Equal bounds: the minimum end rather than a division by zero.
  if (hi == lo) return HsvToColour(kLossBaseHue, kHueSaturation, kHueValue);
  const double v = std::clamp(value, lo, hi);
  double hue = kLossBaseHue - kFullCircleDeg * kLossHueShare * (v - lo) / (hi - lo);
  while (hue < 0.0) hue += kFullCircleDeg;
  return HsvToColour(hue, kHueSaturation, kHueValue);
}

Colour greyScaleColour(Colour base, double value, double a, double b) {
  if (a == b) return base;
  const double hi = std::max(a, b);
  const double lo = std::min(a, b);
  const double v = std::clamp(value, lo, hi);
  return scaleLightness(base, 1.0 - (v - lo) / (hi - lo));
}

Colour thresholdColour(Colour base, double value, double threshold, double percentage) {
  if (value < threshold) return base;
  return scaleLightness(base, std::clamp(percentage, 0.0, 100.0) / 100.0);
}

Colour shadeColour(Colour colour, Colour grey) { return scaleLightness(colour, lightnessOf(grey)); }

double lightnessOf(Colour colour) {
  const int hi = std::max({RedOf(colour), GreenOf(colour), BlueOf(colour)});
  const int lo = std::min({RedOf(colour), GreenOf(colour), BlueOf(colour)});
  return (toFraction(hi) + toFraction(lo)) / 2.0;
}

ColourScale DrawColourScale(ScaleKind kind, double maximum, double minimum, int width, int height) {
  ColourScale scale;
  scale.image = RgbImage(width, height);
  const int band = std::max(1, static_cast<int>(std::trunc(height / static_cast<double>(kScaleBands) + 0.5)));
  for (int i = 0; i < kScaleBands; ++i) {
    const double value = minimum + i * (maximum - minimum) / kScaleBands;
    const int offset = static_cast<int>(std::trunc(i * height / static_cast<double>(kScaleBands) + 0.5));
    switch (kind) {
      case ScaleKind::ColourLoss:
        scale.image.fillRect(0, offset, width, offset + band, hueScaleColour(value, maximum, minimum));
        break;
      case ScaleKind::GreyLoss:
        scale.image.fillRect(0, offset, width, offset + band, greyScaleColour(kWhite, value, maximum, minimum));
        break;
      case ScaleKind::Height: {
        const Colour c = heightColour(static_cast<int>(std::trunc(value)), static_cast<int>(std::trunc(maximum)),
                                      static_cast<int>(std::trunc(minimum)));
        scale.image.fillRect(0, height - offset - band, width, height - offset, c);
        break;
      }
    }
  }
  if (kind == ScaleKind::Height) {
    scale.scaleMinText = FormatFixed(maximum, 4, 0) + " m";
    scale.scaleMaxText = FormatFixed(minimum, 4, 0) + " m";
  } else {
    scale.scaleMinText = FormatFixed(minimum, 4, 1) + " dB";
    scale.scaleMaxText = FormatFixed(maximum, 4, 1) + " dB";
  }
  return scale;
}

}  // namespace tarnvale
