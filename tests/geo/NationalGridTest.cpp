#include <gtest/gtest.h>

#include <string>

#include "geo/Locator.h"

using tarnvale::CLocator;
using tarnvale::kFormatGridReference;

TEST(NationalGrid, SquareLettersOfFullCoordinates) {
  const struct {
    double easting, northing;
    const char* letters;
    int squareEasting, squareNorthing;
  } cases[] = {
      {0, 0, "SV", 0, 0},
      {400000, 100000, "SU", 0, 0},
      {650000, 1200000, "JM", 50000, 0},
      {437400, 161600, "SU", 37400, 61600},
      {437399.5, 161599.4, "SU", 37400, 61599},  // whole metres by trunc(x + 0.5)
      {699999, 1299999, "JM", 99999, 99999},
  };
  for (const auto& c : cases) {
    std::string letters;
    int e = -1, n = -1;
    CLocator::gridLetters(c.easting, c.northing, letters, e, n);
    EXPECT_EQ(letters, c.letters) << c.easting << "," << c.northing;
    EXPECT_EQ(e, c.squareEasting);
    EXPECT_EQ(n, c.squareNorthing);
  }
}

TEST(NationalGrid, LetterOffsetsAreTheSquareCorner) {
  const struct {
    const char* letters;
    double easting, northing;
  } cases[] = {{"SV", 0, 0}, {"SU", 400000, 100000}, {"JM", 600000, 1200000}, {"HP", 400000, 1200000},
               {"TQ", 500000, 100000}, {"NN", 200000, 700000}};
  for (const auto& c : cases) {
    double e = -1, n = -1;
    CLocator::letterOffsets(c.letters, e, n);
    EXPECT_EQ(e, c.easting) << c.letters;
    EXPECT_EQ(n, c.northing) << c.letters;
  }
}

TEST(NationalGrid, WorkedReferenceRoundTrips) {
  CLocator location("SU374616", kFormatGridReference);
  ASSERT_TRUE(location.isValid());
  EXPECT_NEAR(location.latitude(), 51.3523, 5e-5);
  EXPECT_NEAR(location.longitude(), -1.4643, 5e-5);
  EXPECT_EQ(location.formatGridReference(6), "SU374616");
  EXPECT_EQ(location.gridReferenceText(), "SU374616");
  double e = 0, n = 0;
  ASSERT_TRUE(location.gridEastingNorthing(e, n));
  EXPECT_EQ(e, 437400);
  EXPECT_EQ(n, 161600);
  EXPECT_EQ(location.easting(), 437400);
  EXPECT_EQ(location.northing(), 161600);
}

TEST(NationalGrid, FormattedReferenceParsesBackToTheCellCorner) {
  const double points[][2] = {{51.3523456, -1.4643211}, {57.1, -4.2}, {50.5, -4.8}, {53.9, 0.1}, {60.15, -1.15}};
  for (const auto& p : points) {
    CLocator original(p[0], p[1]);
    double e0 = 0, n0 = 0;
    ASSERT_TRUE(original.gridEastingNorthing(e0, n0));
    for (int precision : {4, 6, 8, 10}) {
      const std::string text = original.formatGridReference(precision);
      CLocator back(text, kFormatGridReference);
      ASSERT_TRUE(back.isValid()) << text;
      double e = 0, n = 0;
      ASSERT_TRUE(back.gridEastingNorthing(e, n));
      double cell = 1;
      for (int i = precision / 2; i < 5; ++i) cell *= 10;
      // South-west corner of the cell holding the point, to the metre.
      EXPECT_LE(e, e0 + 1) << text;
      EXPECT_GT(e, e0 - cell - 1) << text;
      EXPECT_LE(n, n0 + 1) << text;
      EXPECT_GT(n, n0 - cell - 1) << text;
    }
  }
}

TEST(NationalGrid, NoReferenceOutsideTheGridArea) {
  std::string letters;
  int e = 0, n = 0;
  EXPECT_FALSE(CLocator::toGrid(44.99, -2.0, letters, e, n));
  EXPECT_FALSE(CLocator::toGrid(50.0, 5.01, letters, e, n));
  EXPECT_FALSE(CLocator::toGrid(65.01, -2.0, letters, e, n));
  EXPECT_FALSE(CLocator::toGrid(50.0, -15.01, letters, e, n));
  // Inside the latitude/longitude box but west of the grid's false origin.
  EXPECT_FALSE(CLocator::toGrid(50.0, -14.9, letters, e, n));
  // South of the false origin.
  EXPECT_FALSE(CLocator::toGrid(45.0, -2.0, letters, e, n));
  CLocator outside(44.99, -2.0);
  EXPECT_EQ(outside.easting(), 0);
  EXPECT_EQ(outside.northing(), 0);
}

TEST(NationalGrid, DatumShiftRoundTripIsCloseButNotExact) {
  const double points[][2] = {{51.3523, -1.4643}, {58.5, -6.0}, {50.0, 1.5}, {55.0, -3.0}};
  bool anyInexact = false;
  for (const auto& p : points) {
    double lat = 0, lon = 0, back_lat = 0, back_lon = 0;
    CLocator::wgs84ToOsgb36(p[0], p[1], lat, lon);
    // OSGB36 lies some 100 m from WGS84 over Great Britain.
    EXPECT_GT(std::abs(lat - p[0]) + std::abs(lon - p[1]), 1e-4);
    CLocator::osgb36ToWgs84(lat, lon, back_lat, back_lon);
    EXPECT_NEAR(back_lat, p[0], 1e-7);
    EXPECT_NEAR(back_lon, p[1], 1e-7);
    anyInexact = anyInexact || back_lat != p[0] || back_lon != p[1];
    double inPlaceLat = p[0], inPlaceLon = p[1];
    CLocator::wgs84ToOsgb36InPlace(inPlaceLat, inPlaceLon);
    EXPECT_EQ(inPlaceLat, lat);
    EXPECT_EQ(inPlaceLon, lon);
  }
  EXPECT_TRUE(anyInexact);
}
