#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "link/PatternReader.h"
#include "support/DataFiles.h"

using namespace tarnvale;

namespace {

const std::string kPanelFile = std::string(TARNVALE_LINK_TEST_DATA) + "/panel65-t6.msi";

AntennaPattern read(const std::string& text) {
  AntennaPattern pattern;
  std::string error;
  EXPECT_TRUE(ReadPlanetPattern(text, pattern, error)) << error;
  return pattern;
}

std::string readError(const std::string& text, bool csv = false) {
  AntennaPattern pattern;
  std::string error;
  const bool ok = csv ? ReadCsvPattern(text, pattern, error) : ReadPlanetPattern(text, pattern, error);
  EXPECT_FALSE(ok) << text;
  EXPECT_FALSE(pattern.loaded()) << "a refused file leaves the pattern untouched";
  return error;
}

}  // namespace

// The committed test antenna is what its generator says: a 65-degree panel,
// 25 dB front to back, main lobe 6 degrees below the horizon (the vertical
// cut's angles grow downward), 17.5 dBi.
TEST(PatternReader, SectorPanelFile) {
  AntennaPattern pattern;
  std::string error;
  ASSERT_TRUE(LoadPatternFile(kPanelFile, pattern, error)) << error;
  EXPECT_EQ(pattern.format(), AntennaPattern::Format::Planet);
  const PatternInfo& info = pattern.info();
  EXPECT_EQ(info.name, "TV-PANEL-65-17.5-T6");
  EXPECT_EQ(info.make, "Tarnvale synthetic test antenna");
  ASSERT_TRUE(info.gainDbi.has_value());
  EXPECT_DOUBLE_EQ(*info.gainDbi, 17.5);
  EXPECT_DOUBLE_EQ(info.frequencyMHz, 1800.0);
  EXPECT_DOUBLE_EQ(info.horizontalWidthDeg, 65.0);
  EXPECT_DOUBLE_EQ(info.verticalWidthDeg, 7.0);
  EXPECT_DOUBLE_EQ(info.frontToBackDb, 25.0);
  EXPECT_DOUBLE_EQ(info.electricalTiltDeg, 6.0);
  EXPECT_EQ(info.tilt, "ELECTRICAL");
  EXPECT_EQ(info.polarization, "+45");
  EXPECT_EQ(pattern.header().size(), 11u);
  ASSERT_EQ(pattern.horizontal().size(), 360u);
  ASSERT_EQ(pattern.vertical().size(), 360u);

  EXPECT_EQ(pattern.horizontalAttenuationDb(0.0), 0.0);
  EXPECT_EQ(pattern.horizontalAttenuationDb(180.0), info.frontToBackDb);
  // Half power 32.5 degrees either side (12 (32.5/65)^2 = 3 dB, listed to 0.01 dB).
  EXPECT_NEAR(pattern.horizontalAttenuationDb(32.5), 3.0, 0.01);
  EXPECT_NEAR(pattern.horizontalAttenuationDb(-32.5), 3.0, 0.01);
  EXPECT_EQ(pattern.verticalAttenuationDb(6.0), 0.0);
  EXPECT_GT(pattern.verticalAttenuationDb(354.0), 10.0);  // 6 degrees up is far off the lobe
  for (const PatternPoint& p : pattern.vertical()) EXPECT_GE(p.attenuationDb, 0.0);
}

TEST(PatternReader, LinearBetweenListedAnglesAcross360) {
  const AntennaPattern p = read("HORIZONTAL 3\n0 0\n90 10\n270 20\nVERTICAL 2\n10 0\n350 4\n");
  // Vertical: 4 dB over the 340 degrees from 10 to 350, back to 0 over the 20 across 360.
  const struct {
    double angle, horizontal, vertical;
  } cases[] = {
      {0.0, 0.0, 2.0},
      {45.0, 5.0, 4.0 * 35.0 / 340.0},
      {90.0, 10.0, 4.0 * 80.0 / 340.0},
      {180.0, 15.0, 2.0},
      {315.0, 10.0, 4.0 * 305.0 / 340.0},
      {359.0, 20.0 / 90.0, 4.0 - 4.0 * 9.0 / 20.0},
      {-45.0, 10.0, 4.0 * 305.0 / 340.0},
      {765.0, 5.0, 4.0 * 35.0 / 340.0},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(p.horizontalAttenuationDb(c.angle), c.horizontal, 1e-12) << c.angle;
    EXPECT_NEAR(p.verticalAttenuationDb(c.angle), c.vertical, 1e-12) << c.angle;
  }
}

TEST(PatternReader, HeaderForms) {
  // A bare GAIN is dBd, the format's own unit; the unit may stand before the number.
  const struct {
    const char* line;
    double dBi;
  } gains[] = {{"GAIN 15.35", 17.5}, {"GAIN 15.35 dBd", 17.5}, {"gain 17.5dBi", 17.5}, {"GAIN (dBi) 17.5", 17.5},
               {"GAIN 17.5 (DBI)", 17.5}, {"GAIN dBd 15.35", 17.5}};
  for (const auto& g : gains) {
    const AntennaPattern p = read(std::string(g.line) + "\nHORIZONTAL 1\n0 0\n");
    ASSERT_TRUE(p.info().gainDbi.has_value()) << g.line;
    EXPECT_NEAR(*p.info().gainDbi, g.dBi, 1e-12) << g.line;
  }
  EXPECT_FALSE(read("GAIN\nHORIZONTAL 1\n0 0\n").info().gainDbi.has_value());

  // Lower-case keys, a lone CR between lines, a maker's own key, a section
  // without its count ending at the next heading, "TILT ELECTRICAL 4".
  const AntennaPattern p = read("name Panel A\rFREQUENCY 2.6 GHz\rX_VENDOR abc\rTILT ELECTRICAL 4\r"
                                "horizontal\r0 1\r180 21\rVertical 2\r" +
                                std::string("0 3\n4 0\n"));
  EXPECT_EQ(p.info().name, "Panel A");
  EXPECT_DOUBLE_EQ(p.info().frequencyMHz, 2600.0);
  EXPECT_DOUBLE_EQ(p.info().electricalTiltDeg, 4.0);
  EXPECT_EQ(p.header().size(), 4u);
  EXPECT_EQ(p.header()[2].key, "X_VENDOR");
  EXPECT_EQ(p.header()[2].value, "abc");
  EXPECT_EQ(p.horizontal().size(), 2u);

  // A byte-order mark before the first key (or the first CSV point) is no part of it.
  EXPECT_EQ(read("\xEF\xBB\xBFNAME marked\nHORIZONTAL 1\n0 0\n").info().name, "marked");
  AntennaPattern csv;
  std::string error;
  ASSERT_TRUE(ReadCsvPattern("\xEF\xBB\xBF" "5,1\n90,2\n", csv, error)) << error;
  EXPECT_EQ(csv.horizontal().size(), 2u);
}

// Values with a minus sign (relative gains, as some converters write them)
// are read as the attenuations they stand for: no direction beats the peak.
TEST(PatternReader, MinusSignsIgnored) {
  const AntennaPattern p = read("HORIZONTAL 3\n0 -0\n90 -3\n180 -25\nVERTICAL 2\n0 0\n90 -30\n");
  EXPECT_EQ(p.horizontalAttenuationDb(180.0), 25.0);
  EXPECT_EQ(p.verticalAttenuationDb(90.0), 30.0);
  EXPECT_FALSE(std::signbit(p.horizontalAttenuationDb(0.0)));
  AntennaPattern csv;
  std::string error;
  ASSERT_TRUE(ReadCsvPattern("0,0\n180,-20\n", csv, error)) << error;
  EXPECT_EQ(csv.horizontalAttenuationDb(180.0), 20.0);
}

TEST(PatternReader, VerticalCountReadToTheEnd) {
  std::string text = "VERTICAL 360\n";
  for (int a = 0; a < 360; ++a) text += std::to_string(a) + " " + std::to_string(a % 7) + "\n";
  const AntennaPattern p = read(text);
  EXPECT_TRUE(p.horizontal().empty());
  EXPECT_EQ(p.vertical().size(), 360u);
  EXPECT_EQ(p.horizontalAttenuationDb(123.0), 0.0);  // no horizontal cut: no attenuation
}

// Every refusal names the line that is wrong and why.
TEST(PatternReader, MalformedFilesNameTheLine) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"NAME x\nHORIZONTAL 3\n0 0\n1 1\nVERTICAL 2\n0 0\n1 1\n", "line 5: the HORIZONTAL section announced 3 points and has 2"},
      {"HORIZONTAL 2\n0 0\n1 1\n2 2\n", "line 4: '2 2' is a number outside"},
      {"HORIZONTAL 2\n0 0\n", "line 2: the file ends after 1 of the 2 points of the HORIZONTAL section"},
      {"HORIZONTAL 2\n0 0\n1 x\n", "line 3: the HORIZONTAL section announced 2 points and has 1; '1 x'"},
      {"HORIZONTAL 2\n0 0\n1 1 1\n", "line 3:"},
      {"HORIZONTAL many\n0 0\n", "line 1: HORIZONTAL must be followed by its number of points"},
      {"HORIZONTAL 0\n", "line 1: HORIZONTAL must be followed"},
      {"HORIZONTAL 2.5\n", "line 1:"},
      {"HORIZONTAL 1 2\n0 0\n", "line 1: HORIZONTAL is followed by more"},
      {"HORIZONTAL 1\n0 0\nHORIZONTAL 1\n0 0\n", "line 3: a second HORIZONTAL section"},
      {"NAME a\n\nGAIN 17 dBx\nHORIZONTAL 1\n0 0\n", "line 3: GAIN '17 dBx' has the unit 'dBx'"},
      {"GAIN high\nHORIZONTAL 1\n0 0\n", "line 1: GAIN 'high' is not a number"},
      {"GAIN dBi 3 dBd\nHORIZONTAL 1\n0 0\n", "line 1: GAIN 'dBi 3 dBd' gives two units"},
      {"HORIZONTAL 2\n0 0\n400 1\n", "line 3: angle 400 is not between -360 and 360"},
      {"HORIZONTAL 2\n0 0\n10 5000\n", "line 3: attenuation 5000 dB is more than 1000 dB below the peak"},
      {"HORIZONTAL 3\n0 0\n10 1\n-350 2\n", "line 4: angle -350 of the horizontal cut was already given on line 3"},
      {"NAME only a header\n", "line 1: the file ends without a HORIZONTAL or VERTICAL section"},
      {"", "line 1: the file ends without"},
      {"HORIZONTAL 1\n0 nan\n", "line 2:"},
  };
  for (const auto& c : cases) {
    const std::string error = readError(c.text);
    EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "text: " << c.text << "\nerror: " << error;
  }
}

TEST(PatternReader, CsvHorizontalCut) {
  AntennaPattern p;
  std::string error;
  ASSERT_TRUE(ReadCsvPattern("azimuth_deg,attenuation_dB\r\n# made by hand\r\n0,0\r\n 90 , 12.5\r\n\r\n270,12.5\r\n",
                             p, error))
      << error;
  EXPECT_EQ(p.format(), AntennaPattern::Format::Csv);
  EXPECT_FALSE(p.info().gainDbi.has_value());
  EXPECT_TRUE(p.vertical().empty());
  EXPECT_DOUBLE_EQ(p.horizontalAttenuationDb(180.0), 12.5);
  EXPECT_DOUBLE_EQ(p.horizontalAttenuationDb(315.0), 6.25);

  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"azimuth_deg,attenuation_dB\n0,0\n10;1\n", "line 3: '10;1' is not \"azimuth_deg,attenuation_dB\""},
      {"0,0\nazimuth,att\n", "line 2:"},
      {"0,0\n5,1,2\n", "line 2:"},
      {"0,0\n0,1\n", "line 2: angle 0 of the horizontal cut was already given on line 1"},
      {"azimuth_deg,attenuation_dB\n", "line 1: the file ends without"},
      {"0,-5000\n", "line 1: attenuation -5000 dB is more than 1000 dB below the peak"},
  };
  for (const auto& c : cases) {
    const std::string e = readError(c.text, true);
    EXPECT_EQ(e.rfind(c.expected, 0), 0u) << "text: " << c.text << "\nerror: " << e;
  }
}

TEST(PatternReader, FilesByExtensionAndFailures) {
  test::TempDir dir;
  const std::string csv = dir.str() + "/cut.CSV";
  std::ofstream(csv) << "0,0\n180,20\n";
  AntennaPattern p;
  std::string error;
  ASSERT_TRUE(LoadPatternFile(csv, p, error)) << error;
  EXPECT_EQ(p.format(), AntennaPattern::Format::Csv);

  const std::string bad = dir.str() + "/bad.pln";
  std::ofstream(bad) << "HORIZONTAL 1\nzero 0\n";
  EXPECT_FALSE(LoadPatternFile(bad, p, error));
  EXPECT_EQ(error, bad + ": line 2: the HORIZONTAL section announced 1 point and has 0; 'zero 0' is not an "
                         "\"angle attenuation\" line");
  EXPECT_EQ(p.format(), AntennaPattern::Format::Csv) << "a refused file leaves the loaded pattern";

  EXPECT_FALSE(LoadPatternFile(dir.str() + "/missing.msi", p, error));
  EXPECT_NE(error.find("missing.msi: cannot be opened"), std::string::npos) << error;
  EXPECT_FALSE(LoadPatternFile(dir.str(), p, error));
  EXPECT_EQ(error, dir.str() + ": not a file");
}
