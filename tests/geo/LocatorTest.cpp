#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "geo/Locator.h"

using tarnvale::CLocator;
using tarnvale::kFormatDegrees;
using tarnvale::kFormatDms;
using tarnvale::kFormatGridReference;
using tarnvale::kFormatLocator;

namespace {

struct ParseCase {
  const char* text;
  int format;
  bool valid;
  double latitude;   // checked only when valid
  double longitude;
  double tolerance;  // degrees
};

// Locator cell centres written out from the cell sizes, as a surveyor would.
double locatorLon(const std::string& t) {
  return (t[0] - 'A') * 20.0 - 180 + (t[2] - '0') * 2.0 + (t[4] - 'A') * (2.0 / 24) +
         (t[6] - '0') * (2.0 / 240) + (t[8] - 'A') * (2.0 / 5760) + (t[10] - '0') * (2.0 / 57600) +
         0.5 * (2.0 / 1382400);
}
double locatorLat(const std::string& t) {
  return (t[1] - 'A') * 10.0 - 90 + (t[3] - '0') * 1.0 + (t[5] - 'A') * (1.0 / 24) +
         (t[7] - '0') * (1.0 / 240) + (t[9] - 'A') * (1.0 / 5760) + (t[11] - '0') * (1.0 / 57600) +
         0.5 * (1.0 / 1382400);
}

}  // namespace

TEST(CLocatorParse, TableOfTextsInEveryFormat) {
  const double io91jo26Lat = locatorLat("IO91JO26LL55");
  const double io91jo26Lon = locatorLon("IO91JO26LL55");
  const ParseCase cases[] = {
      // Maidenhead locators
      {"IO91JO26", kFormatLocator, true, io91jo26Lat, io91jo26Lon, 1e-12},
      {"io91jo26", kFormatLocator, true, io91jo26Lat, io91jo26Lon, 1e-12},
      {"IO91", kFormatLocator, true, locatorLat("IO91LL55LL55"), locatorLon("IO91LL55LL55"), 1e-12},
      {"AA", kFormatLocator, true, locatorLat("AA55LL55LL55"), locatorLon("AA55LL55LL55"), 1e-12},
      {"IO9", kFormatLocator, false, 0, 0, 0},
      {"IO91J", kFormatLocator, false, 0, 0, 0},
      {"IO91JO26LL55A", kFormatLocator, false, 0, 0, 0},
      {"IS00", kFormatLocator, false, 0, 0, 0},    // S beyond R
      {"IO91JY", kFormatLocator, false, 0, 0, 0},  // Y beyond X
      {"IO91JO 26", kFormatLocator, false, 0, 0, 0},
      {"IO91JO26 ", kFormatLocator, false, 0, 0, 0},
      {"", kFormatLocator, false, 0, 0, 0},
      // National Grid references (the worked point: about 51.3523 N, 1.4643 W)
      {"SU374616", kFormatGridReference, true, 51.3523, -1.4643, 1e-4},
      {"su374616", kFormatGridReference, true, 51.3523, -1.4643, 1e-4},
      {"SU3746161", kFormatGridReference, false, 0, 0, 0},
      {"SI374616", kFormatGridReference, false, 0, 0, 0},
      {"SU37A616", kFormatGridReference, false, 0, 0, 0},
      {"SU 374 616", kFormatGridReference, false, 0, 0, 0},
      {"AU374616", kFormatGridReference, false, 0, 0, 0},
      {"SU", kFormatGridReference, false, 0, 0, 0},
      // Decimal degrees
      {"51.5 n 0.1 w", kFormatDegrees, true, 51.5, -0.1, 0},
      {"33.860 S   151.210 E", kFormatDegrees, true, -33.86, 151.21, 0},
      {"51.5N0.1E", kFormatDegrees, true, 51.5, 0.1, 0},
      {"90 N 180 W", kFormatDegrees, true, 90, -180, 0},
      {"51.5 N 0.1", kFormatDegrees, false, 0, 0, 0},
      {"95 N 0 E", kFormatDegrees, false, 0, 0, 0},
      {"-51.5 N 1 E", kFormatDegrees, false, 0, 0, 0},
      {"51.5 E 1 N", kFormatDegrees, false, 0, 0, 0},
      {"51.5 N 181 E", kFormatDegrees, false, 0, 0, 0},
      // Degrees, minutes, seconds
      {"51 30 N 0 7 30 W", kFormatDms, true, 51.5, -0.125, 1e-12},
      {"51 30 0 N 1 W", kFormatDms, true, 51.5, -1.0, 1e-12},
      {"51 14 6.0 N   1 25 22.8 W", kFormatDms, true, 51.235, -(1 + 25 / 60.0 + 22.8 / 3600), 1e-7},
      {"33 51 36 s 151 12 36 e", kFormatDms, true, -33.86, 151.21, 1e-9},
      {"51N1W", kFormatDms, true, 51, -1, 0},
      {"51 30", kFormatDms, false, 0, 0, 0},
      // Out of range and texts without numbers are rejected (they made meaningless paths).
      {"95 N 0 E", kFormatDms, false, 0, 0, 0},
      {"51 N 181 E", kFormatDms, false, 0, 0, 0},
      {"ABC N DEF E", kFormatDms, false, 0, 0, 0},
      {"N E", kFormatDms, false, 0, 0, 0},
      {"90 0 0 S 180 0 0 W", kFormatDms, true, -90, -180, 0},
      // Unknown format codes
      {"IO91JO26", 7, false, 0, 0, 0},
      {"IO91JO26", -1, false, 0, 0, 0},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\" format " + std::to_string(c.format));
    CLocator location(c.text, c.format);
    EXPECT_EQ(location.isValid(), c.valid);
    EXPECT_EQ(location.format(), c.format);
    if (c.valid) {
      EXPECT_NEAR(location.latitude(), c.latitude, c.tolerance);
      EXPECT_NEAR(location.longitude(), c.longitude, c.tolerance);
    }
  }
}

TEST(CLocatorParse, LocatorTextIsUpperCasedAndPadded) {
  EXPECT_EQ(CLocator("io91jo26", kFormatLocator).text(), "IO91JO26LL55");
  EXPECT_EQ(CLocator("IO91", kFormatLocator).text(), "IO91LL55LL55");
  EXPECT_EQ(CLocator("su374616", kFormatGridReference).text(), "SU374616");
}

TEST(CLocatorParse, ShortGridReferenceNamesTheCornerOfItsCell) {
  CLocator tenKm("SU37", kFormatGridReference);
  CLocator corner("SU3000070000", kFormatGridReference);
  ASSERT_TRUE(tenKm.isValid());
  EXPECT_DOUBLE_EQ(tenKm.latitude(), corner.latitude());
  EXPECT_DOUBLE_EQ(tenKm.longitude(), corner.longitude());
}

TEST(CLocatorParse, RejectedDegreesKeepTheNumbersRead) {
  CLocator outOfRange("95 N 10 E", kFormatDegrees);
  EXPECT_FALSE(outOfRange.isValid());
  EXPECT_EQ(outOfRange.latitude(), 95.0);
  EXPECT_EQ(outOfRange.longitude(), 10.0);
  CLocator unparsed("IO91", kFormatDms);
  EXPECT_EQ(unparsed.latitude(), 0.0);
  EXPECT_EQ(unparsed.longitude(), 0.0);
}

TEST(CLocatorFromNumbers, ValidInsideBoundsIncluded) {
  EXPECT_TRUE(CLocator(90, 180).isValid());
  EXPECT_TRUE(CLocator(-90, -180).isValid());
  EXPECT_FALSE(CLocator(90.0000001, 0).isValid());
  EXPECT_FALSE(CLocator(0.0, -180.0000001).isValid());
  EXPECT_FALSE(CLocator(std::nan(""), 0).isValid());
  CLocator moved("IO91", kFormatLocator);
  EXPECT_FALSE(moved.setLatLon(0, 200));
  EXPECT_EQ(moved.format(), -1);
  EXPECT_TRUE(moved.text().empty());
}

TEST(CLocatorFormat, LocatorIsTheCellHoldingThePoint) {
  CLocator location("IO91JO26", kFormatLocator);
  EXPECT_EQ(location.formatLocator(8), "IO91JO26");
  EXPECT_EQ(location.text(), "IO91JO26");  // the formatter stores its result
  EXPECT_EQ(location.formatLocator(0), "IO91JO26");
  EXPECT_EQ(location.formatLocator(12), "IO91JO26LL55");
  EXPECT_EQ(location.formatLocator(2), "IO");
  EXPECT_EQ(location.formatLocator(7), "Invalid Length");
  EXPECT_EQ(location.formatLocator(14), "Invalid Length");
  // Not rounded: a point just west of a cell boundary stays in the western cell.
  CLocator nearEdge(51.99999, -0.000001);
  EXPECT_EQ(nearEdge.formatLocator(4), "IO91");
  CLocator southWest(-90, -180);
  EXPECT_EQ(southWest.formatLocator(12), "AA00AA00AA00");
}

TEST(CLocatorFormat, GridReferenceTruncatesDigits) {
  CLocator corner("SU3749961600", kFormatGridReference);  // in-square easting 37499
  ASSERT_TRUE(corner.isValid());
  EXPECT_EQ(corner.formatGridReference(8), "SU37496160");
  EXPECT_EQ(corner.formatGridReference(10), "SU3749961600");
  EXPECT_EQ(corner.formatGridReference(2), "SU36");
  EXPECT_EQ(corner.formatGridReference(0), "SU37496160");
  EXPECT_EQ(corner.formatGridReference(7), "Invalid");
  EXPECT_EQ(corner.formatGridReference(12), "Invalid");
  EXPECT_EQ(CLocator(44.99, -2).formatGridReference(6), "Invalid");
  EXPECT_EQ(CLocator(-33.86, 151.21).toText(kFormatGridReference, 8), "Invalid");
}

TEST(CLocatorFormat, DegreesAndDms) {
  CLocator sydney(-33.86, 151.21);
  EXPECT_EQ(sydney.formatDegrees(3), "33.860 S   151.210 E");
  EXPECT_EQ(sydney.toText(kFormatDegrees, 3), "33.860 S   151.210 E");
  EXPECT_EQ(sydney.degreesText(), "33.8600000 S   151.2100000 E");
  EXPECT_EQ(CLocator(0.0, 0.0).formatDegrees(3), "0.000 N   0.000 E");

  EXPECT_EQ(CLocator(51.5, -0.125).formatDms(), "51 30 0.0 N   0 7 30.0 W");
  EXPECT_EQ(CLocator(-33.86, 151.21).formatDms(), "33 51 36.0 S   151 12 36.0 E");
  // Seconds that round up to 60 are written as 60.0 (minutes are not carried).
  EXPECT_EQ(CLocator(51 + 59.96 / 3600, 0).formatDms(), "51 0 60.0 N   0 0 0.0 E");
  EXPECT_EQ(CLocator(10, 20).toText(9, 3), "Invalid");
}

TEST(CLocatorFormat, TextRoundTripsThroughEveryFormat) {
  // A point written in a format and read back lies in the cell the text names.
  const double points[][2] = {{51.3523, -1.4643}, {56.0, -4.5}, {50.1, 1.2}, {-33.86, 151.21}, {0.5, -0.5}};
  for (const auto& p : points) {
    CLocator original(p[0], p[1]);
    for (int format : {kFormatLocator, kFormatGridReference, kFormatDegrees, kFormatDms}) {
      const std::string text = original.toText(format, format == kFormatLocator ? 12 : format == kFormatGridReference ? 10 : 6);
      if (text == "Invalid") continue;  // outside the National Grid
      SCOPED_TRACE(text);
      CLocator back(text, format);
      ASSERT_TRUE(back.isValid());
      EXPECT_NEAR(back.latitude(), p[0], 1e-4);
      EXPECT_NEAR(back.longitude(), p[1], 1e-4);
    }
  }
}
