#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "maps/RgbImage.h"

namespace tarnvale {
namespace {

TEST(RgbImage, ColourKeepsRedInTheLowestByte) {
  EXPECT_EQ(MakeColour(0, 0, 128), 0x800000u);
  EXPECT_EQ(RedOf(MakeColour(1, 2, 3)), 1);
  EXPECT_EQ(GreenOf(MakeColour(1, 2, 3)), 2);
  EXPECT_EQ(BlueOf(MakeColour(1, 2, 3)), 3);
}

TEST(RgbImage, FillRectExcludesRightAndBottomAndClips) {
  RgbImage image(6, 4);
  image.fillRect(4, 2, 8, 9, kRed);
  EXPECT_EQ(image.pixel(3, 2), kBlack);
  EXPECT_EQ(image.pixel(4, 1), kBlack);
  EXPECT_EQ(image.pixel(4, 2), kRed);
  EXPECT_EQ(image.pixel(5, 3), kRed);
}

TEST(RgbImage, MarkerIsASymmetricDiscInsideItsSquare) {
  RgbImage image(20, 20);
  image.fillRoundRect(5, 5, 15, 15, 10, 10, kRed);
  int filled = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool on = image.pixel(x, y) == kRed;
      filled += on;
      if (x < 5 || x >= 15 || y < 5 || y >= 15) {
        EXPECT_FALSE(on) << x << "," << y;
      }
      EXPECT_EQ(on, image.pixel(19 - x, y) == kRed) << "mirror across x at " << x << "," << y;
      EXPECT_EQ(on, image.pixel(x, 19 - y) == kRed) << "mirror across y at " << x << "," << y;
    }
  }
  EXPECT_FALSE(image.pixel(5, 5) == kRed);   // the corners are cut
  EXPECT_TRUE(image.pixel(9, 5) == kRed);    // the edges' middles are kept
  EXPECT_NEAR(filled, 78.5, 10.0);           // about pi * 5 * 5
}

TEST(RgbImage, LineIncludesBothEnds) {
  RgbImage image(10, 10);
  image.drawLine(1, 8, 7, 2, kWhite);
  EXPECT_EQ(image.pixel(1, 8), kWhite);
  EXPECT_EQ(image.pixel(7, 2), kWhite);
  EXPECT_EQ(image.pixel(4, 5), kWhite);
}

TEST(RgbImage, PngReadsBackWithTheSamePixels) {
  RgbImage image(7, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) image.setPixel(x, y, MakeColour(x * 30, y * 100, 255 - x));
  const auto path = std::filesystem::temp_directory_path() / "tarnvale-rgbimage-test.png";
  std::string error;
  ASSERT_TRUE(WritePng(image, path.string(), &error)) << error;
  const QImage read(QString::fromStdString(path.string()));
  ASSERT_EQ(read.width(), 7);
  ASSERT_EQ(read.height(), 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 7; ++x) {
      const QRgb q = read.pixel(x, y);
      EXPECT_EQ(MakeColour(qRed(q), qGreen(q), qBlue(q)), image.pixel(x, y)) << x << "," << y;
    }
  }
  std::filesystem::remove(path);
  EXPECT_FALSE(WritePng(image, "/nonexistent-dir/x.png", &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tarnvale
