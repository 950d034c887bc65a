// The colour functions and the ten-band scales beside the coverage map.
#include "maps/Colours.h"

#include <gtest/gtest.h>

namespace tarnvale {
namespace {

// Channels of HSV(h, 0.7, 0.9) worked by hand with the hexcone conversion and
// trunc(c x 255 + 0.5): v = 230, p = 0.27 -> 69.
constexpr Colour kHue170 = MakeColour(69, 230, 203);
constexpr Colour kHue180 = MakeColour(69, 230, 230);
constexpr Colour kHue195 = MakeColour(69, 189, 230);
constexpr Colour kHue210 = MakeColour(69, 149, 230);
constexpr Colour kHue288 = MakeColour(197, 69, 230);
constexpr Colour kHue300 = MakeColour(230, 69, 230);

TEST(Colours, ColourLayoutKeepsRedInTheLowestByte) {
  EXPECT_EQ(MakeColour(1, 2, 3), 0x030201u);
  EXPECT_EQ(HsvToColour(0.0, 1.0, 1.0), 0x0000FFu);
  EXPECT_EQ(HsvToColour(240.0, 1.0, 1.0), 0xFF0000u);
  // Zero saturation is the grey of level V.
  EXPECT_EQ(HsvToColour(123.0, 0.0, 0.5), MakeColour(128, 128, 128));
}

TEST(Colours, HslRoundTripKeepsEveryHueSextant) {
  for (Colour c : {kHue170, kHue195, kHue288, kHue300, MakeColour(200, 10, 60), MakeColour(3, 250, 7),
                   MakeColour(12, 34, 56), kWhite, kBlack, MakeColour(128, 128, 128)})
    EXPECT_EQ(HslToColour(ColourToHsl(c)), c) << std::hex << c;
  // Red's side of the circle comes back as a negative hue, down to -60.
  EXPECT_NEAR(ColourToHsl(MakeColour(255, 0, 255)).hue, -60.0, 1e-12);
  EXPECT_DOUBLE_EQ(ColourToHsl(kWhite).saturation, 0.0);
}

TEST(Colours, HeightColourOfTheWorkedCases) {
  struct Case {
    int h, max, min;
    Colour expected;
  };
  const Case cases[] = {
      {0, 500, 0, kHue170},      // the reference level
      {500, 500, 0, kHue300},    // the maximum
      {-50, 500, -100, kHue195}, // halfway down to the minimum
      {900, 500, 0, kHue300},    // above the maximum: limited to it
      {0, 0, 500, kHue170},      // bounds in either order
      {0, 0, 0, kHue170},        // max = min = 0: the range -1 ... 1
      {1, 0, 0, kHue300},
      {-1, 0, 0, kHue210},
      {-5000, 500, -100, kHue210},  // below the minimum: 210 at most here
  };
  for (const Case& c : cases)
    EXPECT_EQ(heightColour(c.h, c.max, c.min), c.expected) << c.h << " in " << c.min << " ... " << c.max;
}

TEST(Colours, HueScaleRunsFromCyanToVioletAndSurvivesEqualBounds) {
  EXPECT_EQ(hueScaleColour(0.2, 0.8, 0.2), kHue180);
  EXPECT_EQ(hueScaleColour(0.9, 0.8, 0.2), kHue288);  // limited to 0.8
  EXPECT_EQ(hueScaleColour(0.8, 0.2, 0.8), kHue288);
  EXPECT_EQ(hueScaleColour(150.0, 150.0, 150.0), kHue180);
}

TEST(Colours, GreyAndThresholdLevels) {
  const Colour grey50 = MakeColour(128, 128, 128);  // trunc(0.5 x 255 + 0.5)
  const Colour grey40 = MakeColour(102, 102, 102);  // trunc(0.4 x 255 + 0.5)
  EXPECT_EQ(greyScaleColour(kWhite, 150, 200, 100), grey50);
  EXPECT_EQ(greyScaleColour(kWhite, 100, 200, 100), kWhite);
  EXPECT_EQ(greyScaleColour(kWhite, 250, 200, 100), kBlack);
  EXPECT_EQ(greyScaleColour(kHue170, 150, 150, 150), kHue170);  // equal bounds: unchanged
  EXPECT_EQ(thresholdColour(kWhite, 199.9, 200, 40), kWhite);
  EXPECT_EQ(thresholdColour(kWhite, 200, 200, 40), grey40);
  EXPECT_EQ(thresholdColour(kWhite, 300, 200, 140), kWhite);  // percentage limited to 100
  EXPECT_EQ(thresholdColour(kWhite, 300, 200, -5), kBlack);
}

TEST(Colours, ShadeMultipliesTheLightness) {
  EXPECT_DOUBLE_EQ(lightnessOf(MakeColour(255, 0, 51)), 0.5);
  EXPECT_EQ(shadeColour(kRed, kWhite), kRed);
  EXPECT_EQ(shadeColour(kRed, kBlack), kBlack);
  EXPECT_EQ(shadeColour(kRed, MakeColour(128, 128, 128)), MakeColour(128, 0, 0));
}

TEST(ColourScales, LossScalesPutTheMinimumAtTheTop) {
  const ColourScale colour = DrawColourScale(ScaleKind::ColourLoss, 200, 100);
  ASSERT_EQ(colour.image.width(), 33);
  ASSERT_EQ(colour.image.height(), 225);
  EXPECT_EQ(colour.scaleMinText, "100.0 dB");
  EXPECT_EQ(colour.scaleMaxText, "200.0 dB");
  // Bands 23 pixels high starting at trunc(22.5 i + 0.5): band 8 from 180, band 9 from 203.
  EXPECT_EQ(colour.image.pixel(0, 0), kHue180);
  EXPECT_EQ(colour.image.pixel(32, 202), hueScaleColour(180, 200, 100));
  EXPECT_EQ(colour.image.pixel(0, 203), hueScaleColour(190, 200, 100));
  EXPECT_EQ(colour.image.pixel(0, 224), hueScaleColour(190, 200, 100));
  EXPECT_EQ(colour.image.pixel(0, 22), hueScaleColour(100, 200, 100));
  EXPECT_EQ(colour.image.pixel(0, 23), hueScaleColour(110, 200, 100));

  const ColourScale grey = DrawColourScale(ScaleKind::GreyLoss, 200, 100);
  EXPECT_EQ(grey.image.pixel(0, 0), kWhite);
  EXPECT_EQ(grey.image.pixel(0, 112), greyScaleColour(kWhite, 140, 200, 100));  // band 4: 90 ... 112
  EXPECT_EQ(grey.image.pixel(0, 113), greyScaleColour(kWhite, 150, 200, 100));
  EXPECT_EQ(grey.image.pixel(0, 224), greyScaleColour(kWhite, 190, 200, 100));
  EXPECT_EQ(grey.scaleMinText, "100.0 dB");
}

TEST(ColourScales, HeightScalePutsTheMinimumAtTheBottom) {
  const ColourScale scale = DrawColourScale(ScaleKind::Height, 500, 0);
  EXPECT_EQ(scale.scaleMinText, "500 m");
  EXPECT_EQ(scale.scaleMaxText, "0 m");
  // Band i from y = 225 - trunc(22.5 i + 0.5) upwards, 23 pixels.
  EXPECT_EQ(scale.image.pixel(0, 224), heightColour(0, 500, 0));
  EXPECT_EQ(scale.image.pixel(0, 202), heightColour(0, 500, 0));
  EXPECT_EQ(scale.image.pixel(0, 201), heightColour(50, 500, 0));
  EXPECT_EQ(scale.image.pixel(0, 0), heightColour(450, 500, 0));
  EXPECT_EQ(scale.image.pixel(0, 21), heightColour(450, 500, 0));
  EXPECT_EQ(scale.image.pixel(0, 22), heightColour(400, 500, 0));
  // Values are truncated before colouring.
  const ColourScale odd = DrawColourScale(ScaleKind::Height, 99.9, -0.5);
  EXPECT_EQ(odd.image.pixel(0, 224), heightColour(0, 99, 0));
  EXPECT_EQ(odd.scaleMinText, "100 m");
}

TEST(ColourScales, TinyPictureKeepsOnePixelBands) {
  // Four pixels: bands of trunc(0.4 + 0.5) = 0, made 1, from trunc(0.4 i + 0.5):
  // 0 0 1 1 2 2 2 3 3 4; later bands cover earlier ones, band 9 falls outside.
  const ColourScale scale = DrawColourScale(ScaleKind::GreyLoss, 10, 0, 2, 4);
  EXPECT_EQ(scale.image.pixel(0, 0), greyScaleColour(kWhite, 1, 10, 0));
  EXPECT_EQ(scale.image.pixel(1, 2), greyScaleColour(kWhite, 6, 10, 0));
  EXPECT_EQ(scale.image.pixel(1, 3), greyScaleColour(kWhite, 8, 10, 0));
}

}  // namespace
}  // namespace tarnvale
