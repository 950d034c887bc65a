// Site list files: the location field rules, the 254-byte line buffer, and
// the details and location texts of a site.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <ostream>
#include <string>

#include "geo/Locator.h"
#include "sites/SiteText.h"
#include "sites/Sites.h"
#include "support/DataFiles.h"
#include "terrain/Srtm.h"

using namespace tarnvale;
using tarnvale::test::TempDir;

namespace {

struct LineCase {
  const char* line;
  bool accepted;
  const char* name;      // when accepted
  const char* location;  // the location kept, when accepted
  int format;
};

// The cases of the site list rules, one per rule and boundary.
const LineCase kLineCases[] = {
    {"Mast A~SU374616", true, "Mast A", "SU374616", kFormatGridReference},
    {"Home~io91jo26~note", true, "Home", "IO91JO26", kFormatLocator},  // upper-cased, text after '~' ignored
    {"Hill~SU 374 616", false, "", "", 0},      // leading run "SU" too short
    {"X~IO91", false, "", "", 0},               // field not longer than 5 characters
    {"Y~SI374616", false, "", "", 0},           // I is not a second letter
    {"Z~SU37461", false, "", "", 0},            // odd length
    {"Bad~AB123456", false, "", "", 0},         // A is not a square's first letter
    {"  Padded name  ~  su374616  ", true, "  Padded name  ", "SU374616", kFormatGridReference},
    {"Tab\t~\tSU374616\r\n", true, "Tab\t", "SU374616", kFormatGridReference},  // control characters trimmed
    {"SU374616", true, "", "SU374616", kFormatGridReference},       // no '~': no name, all the location
    {"Six~SU3746", true, "Six", "SU3746", kFormatGridReference},     // 6: two letters and 4 digits
    {"Twelve~SU3746161234", true, "Twelve", "SU3746161234", kFormatGridReference},
    {"Fourteen~SU374616123456", false, "", "", 0},   // grid reference longer than 12
    {"Loc6~IO91JO", true, "Loc6", "IO91JO", kFormatLocator},
    {"Loc10~IO91JO26AB", true, "Loc10", "IO91JO26AB", kFormatLocator},
    {"Loc12~IO91JO26AB12", true, "Loc12", "IO91JO26AB12", kFormatLocator},
    // 14 and 16 characters pass the line rules but no location reader takes them:
    // kept, they would stand at latitude 0, longitude 0.
    {"Loc14~IO91JO26AB12CD", false, "", "", 0},
    {"Loc16~IO91JO26AB12CD34", false, "", "", 0},
    {"Loc18~IO91JO26AB12CD3456", false, "", "", 0},  // run longer than 16
    {"Field~SR91JO", false, "", "", 0},      // S..R field letters only A-R
    {"Sub~IO91JY", false, "", "", 0},        // subsquare letters only A-X
    {"Digit~IO9AJO", false, "", "", 0},      // square must be digits
    {"Rest~SU374616/mast", true, "Rest", "SU374616", kFormatGridReference},  // rest of the field ignored
    {"Grid5~SU3A4616", false, "", "", 0},    // fifth character a digit: a grid reference, so all digits
    {"", false, "", "", 0},
    {"~", false, "", "", 0},
    {"\n", false, "", "", 0},
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << '"' << c.line << '"'; }

class SiteLineRules : public ::testing::TestWithParam<LineCase> {};

TEST_P(SiteLineRules, AcceptOrSkip) {
  const LineCase& c = GetParam();
  const SiteLine got = ReadSiteLine(c.line);
  ASSERT_EQ(got.accepted, c.accepted) << '"' << c.line << '"';
  if (!c.accepted) return;
  EXPECT_EQ(got.name, c.name);
  EXPECT_EQ(got.location, c.location);
  EXPECT_EQ(got.format, c.format);
  CLocator expected(std::string(c.location), c.format);
  ASSERT_TRUE(expected.isValid());
  EXPECT_DOUBLE_EQ(got.latitude, expected.latitude());
  EXPECT_DOUBLE_EQ(got.longitude, expected.longitude());
}

INSTANTIATE_TEST_SUITE_P(Table, SiteLineRules, ::testing::ValuesIn(kLineCases),
                         [](const ::testing::TestParamInfo<LineCase>& info) {
                           return "Line" + std::to_string(info.index);
                         });

TEST(SiteLineRules, WorkedGridReferenceLandsOnTheMast) {
  const SiteLine mast = ReadSiteLine("Mast A~SU374616");
  ASSERT_TRUE(mast.accepted);
  // About 51.3523 N, 1.4643 W (the National Grid worked point).
  EXPECT_NEAR(mast.latitude, 51.3523, 1e-4);
  EXPECT_NEAR(mast.longitude, -1.4643, 1e-4);
}

class SiteFile : public ::testing::Test {
 protected:
  std::string write(const std::string& contents) {
    const std::string path = (dir_.path() / "sites.dat").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
    return path;
  }
  std::vector<std::string> names(const CSites& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(list.item(i).name());
    return out;
  }
  TempDir dir_;
};

TEST_F(SiteFile, AcceptedLinesInFileOrder) {
  const CSites list(write("Mast A~SU374616\nHill~SU 374 616\nHome~io91jo26~note\nX~IO91\nLoc14~IO91JO26AB12CD\n"));
  EXPECT_TRUE(list.loaded());
  EXPECT_EQ(list.count(), 2);
  EXPECT_EQ(names(list), (std::vector<std::string>{"Mast A", "Home"}));
}

TEST_F(SiteFile, LastLineWithOrWithoutLineBreakCountsOnce) {
  for (const char* ending : {"\n", "\r\n", ""}) {
    const CSites list(write(std::string("A~SU374616\nB~IO91JO26") + ending));
    EXPECT_EQ(names(list), (std::vector<std::string>{"A", "B"})) << "ending of " << std::strlen(ending);
  }
}

TEST_F(SiteFile, LongLineIsReadAsPiecesOf253Bytes) {
  // 300 characters: the first 253 are one line (name and location intact),
  // the remaining 47 another, which here is a site of its own.
  std::string first = "Long~SU374616";
  first.append(253 - first.size(), ' ');
  std::string second = "Tail~IO91JO26";
  second.append(47 - second.size(), ' ');
  ASSERT_EQ((first + second).size(), 300u);
  const CSites list(write(first + second + "\nNext~SU374616\n"));
  EXPECT_EQ(names(list), (std::vector<std::string>{"Long", "Tail", "Next"}));

  // A location split by the buffer is lost with both halves.
  std::string split(250, 'x');
  split += "~SU374616\n";
  const CSites cut(write(split));
  EXPECT_FALSE(cut.loaded());
}

TEST_F(SiteFile, UnreadableEmptyOrAllInvalid) {
  const CSites missing((dir_.path() / "absent.dat").string());
  EXPECT_FALSE(missing.loaded());
  EXPECT_EQ(missing.count(), 0);
  const CSites directory(dir_.str());  // a directory opens but yields nothing
  EXPECT_FALSE(directory.loaded());
  const CSites empty(write(""));
  EXPECT_FALSE(empty.loaded());
  const CSites invalid(write("X~IO91\nY~SI374616\n"));
  EXPECT_FALSE(invalid.loaded());
  EXPECT_EQ(invalid.count(), 0);
}

TEST(SiteText, DetailsLines) {
  TempDir dir;
  // Height 123 m at every sample of the tile around the mast.
  tarnvale::test::Tile hill(123);
  tarnvale::test::WriteTile(dir.path() / "N51W002.hgt", hill);
  const CSRTM terrain(9, dir.withSlash());
  const SiteLine mast = ReadSiteLine("Mast A~SU374616");
  const CSite site("Mast A", mast.latitude, mast.longitude);
  const auto lines = SiteDetails(site, terrain);
  EXPECT_EQ(lines[0], "Mast A");
  EXPECT_EQ(lines[1], "Height    123 m");
  EXPECT_EQ(lines[2], "NGR       SU374616");
  EXPECT_EQ(lines[3], "Locator   IO91GI44");
  EXPECT_EQ(lines[4].rfind("Lat/Long 51 21 ", 0), 0u) << lines[4];
  EXPECT_NE(lines[4].find(" N   1 27 "), std::string::npos) << lines[4];
  EXPECT_EQ(lines[4].back(), 'W');

  // Without terrain data the store's missing value shows.
  const CSite elsewhere("Far", 10.5, 10.5);
  EXPECT_EQ(SiteDetails(elsewhere, terrain)[1], "Height    -32767 m");
}

TEST(SiteText, LocationTextInEachFormat) {
  const SiteLine home = ReadSiteLine("Home~IO91JO26");
  const CSite site("Home", home.latitude, home.longitude);
  EXPECT_EQ(SiteLocationText(site, kFormatLocator), "IO91JO26");
  CLocator where(home.latitude, home.longitude);
  EXPECT_EQ(SiteLocationText(site, kFormatGridReference), where.toText(kFormatGridReference));
  EXPECT_EQ(SiteLocationText(site, kFormatGridReference).size(), 10u);  // letters and 8 digits
  EXPECT_EQ(SiteLocationText(site, kFormatDegrees), where.toText(kFormatDegrees));
  EXPECT_EQ(SiteLocationText(site, kFormatDms), where.toText(kFormatDms));
  // Each text reads back to (nearly) the same place.
  for (int format : {kFormatLocator, kFormatGridReference, kFormatDegrees, kFormatDms}) {
    const CLocator back(SiteLocationText(site, format), format);
    ASSERT_TRUE(back.isValid()) << format;
    EXPECT_NEAR(back.latitude(), home.latitude, 0.01) << format;
    EXPECT_NEAR(back.longitude(), home.longitude, 0.01) << format;
  }
  EXPECT_EQ(SiteCountText(0), "0 Sites");
  EXPECT_EQ(SiteCountText(12), "12 Sites");
}

}  // namespace
