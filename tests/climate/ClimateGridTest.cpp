// Reading map files and looking values up on the two lattices, with small maps
// written by the tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "climate/ClimateGrid.h"
#include "climate/MapFiles.h"

namespace tarnvale {
namespace {

using climate::kGridA;
using climate::kGridB;
using testing::ScratchDir;
using testing::WriteGrid;
using testing::WriteText;

/// Two rows of three values: enough to see order and count.
constexpr climate::GridLattice kTiny{0.0, 1.0, 2, 0.0, 1.0, 3};

/// Every node tells where it is.
double RowColumn(int row, int column) { return row * 1000.0 + column; }

ClimateGrid LoadedGrid(const ScratchDir& dir, const climate::GridLattice& lattice,
                       const std::function<double(int, int)>& value) {
  WriteGrid(dir / "map.txt", lattice, value);
  ClimateGrid grid("map.txt", 50.0, lattice);
  EXPECT_TRUE(grid.load(dir.path()));
  return grid;
}

/// Row and column of a node of @p lattice (degrees in, indices out).
int RowOf(const climate::GridLattice& g, double latitude) {
  return static_cast<int>(std::lround(g.rows - 1 - (latitude - g.latitudeOrigin) / g.latitudeStep));
}
int ColumnOf(const climate::GridLattice& g, double longitude) {
  return static_cast<int>(std::lround((longitude - g.longitudeOrigin) / g.longitudeStep));
}

// ---- Reading ----

/// What successive fscanf("%lf") calls make of a file: the values, and whether
/// all @p wanted were read.
bool ScanfReads(const std::filesystem::path& file, int wanted, std::vector<double>& values) {
  std::FILE* f = std::fopen(file.c_str(), "r");
  if (!f) return false;
  values.clear();
  double v = 0.0;
  while (static_cast<int>(values.size()) < wanted && std::fscanf(f, "%lf", &v) == 1) values.push_back(v);
  std::fclose(f);
  return static_cast<int>(values.size()) == wanted;
}

bool SameNumber(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

TEST(ClimateGridRead, AcceptsExactlyWhatScanfReads) {
  const char* texts[] = {
      "1 2 3\n4 5 6\n",
      "1 2 3 4 5 6",
      "1\t2\r\n3\r\n4 5\n\n\n6",
      "  \n 1 2 3 4 5 6 7 8 then words that are never read",
      "+1 -2 3e0 .5 4. 1E-3",
      "0x10 0x1p-2 3 4 5 6",
      "inf -INF nan 1 2 3",
      "1e400 -1e400 1e-400 4 5 6",
      "1 2 3 4 5",
      "",
      "   \n\t  ",
      "1 2 x 4 5 6",
      "1,5 2 3 4 5 6",
      "- 1 2 3 4 5 6",
      "1 2 3 4 5 6abc",
      "1.5e+ 2 3 4 5 6",
      "1e 2 3 4 5 6",
      "1e5e 2 3 4 5 6",
      "1 2 3 4 5 6e",
      "1 2 3 4 5 1e+",
      "0x 2 3 4 5 6",
      "1 2 3 4 5 0x",
      "1 2 3 4 5 infinit",
      "1 2 3 4 5 infinity",
      "1 2 3 4 5 nan(",
      "1 2 3 4 5 .",
  };
  ScratchDir dir;
  for (const char* text : texts) {
    WriteText(dir / "map.txt", text);
    std::vector<double> expected;
    const bool scanfReadsAll = ScanfReads(dir / "map.txt", 6, expected);
    ClimateGrid grid("map.txt", 50.0, kTiny);
    EXPECT_EQ(grid.load(dir.path()), scanfReadsAll) << '"' << text << '"';
    if (!scanfReadsAll) {
      EXPECT_FALSE(grid.isLoaded()) << text;
      continue;
    }
    ASSERT_EQ(grid.data.size(), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(SameNumber(grid.data[i], expected[i])) << '"' << text << "\" value " << i;
  }
}

TEST(ClimateGridRead, NumbersAcrossReadChunksAndVeryLongTokens) {
  // A map of some 1.3 MB puts numbers across the reader's chunk boundaries;
  // the first value is a single token longer than a chunk.
  constexpr climate::GridLattice kLarge{0.0, 1.0, 400, 0.0, 1.0, 400};
  std::string text = std::string(1500000, '0') + "7";
  std::vector<double> expected{7.0};
  char buf[48];
  for (int i = 1; i < kLarge.rows * kLarge.columns; ++i) {
    std::snprintf(buf, sizeof buf, (i % 7) ? " %.*f" : "\n%.*f", i % 5, i * 0.731 - 5000.0);
    text += buf;
    expected.push_back(std::strtod(buf, nullptr));
  }
  ScratchDir dir;
  WriteText(dir / "big.txt", text);
  ClimateGrid grid("big.txt", 50.0, kLarge);
  ASSERT_TRUE(grid.load(dir.path()));
  ASSERT_EQ(grid.data.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(grid.data[i], expected[i]) << "value " << i;
}

TEST(ClimateGridRead, DecimalsOfEveryLengthRoundAsStrtodDoes) {
  // Short decimals take a quicker road than long ones; the edges of that road
  // (2^53, 19 digits, 22 decimals, signed zeros) and random decimals of every
  // length up to 24 digits must all give strtod's double, sign included.
  std::vector<std::string> tokens = {"9007199254740991",  "9007199254740992", "9007199254740993",
                                     "900719925474099.3", "0.9007199254740993", "1234567890123456789",
                                     "12345678901234567890", "0.0000000000000000000001", "0.00000000000000000000001",
                                     "-0.000", "-0", "0.", "-.5", "000000000000000000000001.5",
                                     "4503599627370497.5", "1.7976931348623157", "-41.733"};
  std::mt19937_64 random(20261210);
  for (int length = 1; length <= 24; ++length) {
    for (int trial = 0; trial < 40; ++trial) {
      std::string token = (trial % 3 == 0) ? "-" : "";
      const int point = static_cast<int>(random() % (length + 1));
      for (int i = 0; i < length; ++i) {
        if (i == point) token += '.';
        token += static_cast<char>('0' + random() % 10);
      }
      tokens.push_back(token);
    }
  }
  std::string text;
  for (std::size_t i = 0; i < tokens.size(); ++i) text += tokens[i] + (i % 5 == 4 ? "\n" : " ");
  const climate::GridLattice lattice{0.0, 1.0, 1, 0.0, 1.0, static_cast<std::int32_t>(tokens.size())};
  ScratchDir dir;
  WriteText(dir / "map.txt", text);
  ClimateGrid grid("map.txt", 50.0, lattice);
  ASSERT_TRUE(grid.load(dir.path()));
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const double expected = std::strtod(tokens[i].c_str(), nullptr);
    EXPECT_EQ(grid.data[i], expected) << tokens[i];
    EXPECT_EQ(std::signbit(grid.data[i]), std::signbit(expected)) << tokens[i];
  }
}

TEST(ClimateGridRead, AFailedReadLeavesEarlierValuesAlone) {
  ScratchDir dir;
  WriteText(dir / "map.txt", "1 2 3 4 5 6");
  ClimateGrid grid("map.txt", 50.0, kTiny);
  ASSERT_TRUE(grid.load(dir.path()));
  WriteText(dir / "map.txt", "9 9 9 9 9");
  EXPECT_FALSE(grid.load(dir.path()));
  EXPECT_EQ(grid.data, (std::vector<double>{1, 2, 3, 4, 5, 6}));
}

TEST(ClimateGridRead, MissingFileOrADirectoryInItsPlace) {
  ScratchDir dir;
  ClimateGrid grid("map.txt", 50.0, kTiny);
  EXPECT_FALSE(grid.load(dir.path()));
  EXPECT_FALSE(grid.load(dir / "no-such-directory"));
  std::filesystem::create_directory(dir / "map.txt");
  EXPECT_FALSE(grid.load(dir.path()));
  EXPECT_FALSE(grid.isLoaded());
  double value = 42.0;
  EXPECT_FALSE(grid.valueAt(0.5, 0.5, true, value));
  EXPECT_EQ(value, 42.0);
}

TEST(ClimateGridRead, LongNamesAreCutToTheFieldSize) {
  const ClimateGrid grid(std::string(40, 'x'), 50.0, kGridA);
  EXPECT_EQ(grid.name(), std::string(climate::kFileNameSize - 1, 'x'));
}

// ---- Nearest node ----

struct NearestCase {
  const char* what;
  bool gridB;
  double latitude, longitude;
  int row, column;
};

TEST(ClimateGridNearest, PicksTheNodeWithSouthAndEastWinningTies) {
  const NearestCase cases[] = {
      {"A: -0.5 becomes 359.5, column 240", false, 51.5, -0.5, RowOf(kGridA, 51.0), 240},
      {"A: halfway, south and east win", false, 51.75, 0.75, RowOf(kGridA, 51.0), 1},
      {"A: north pole", false, 90.0, 0.0, 0, 0},
      {"A: south pole just west of 0", false, -90.0, -0.1, 120, 240},
      {"A: 180", false, 0.0, 180.0, RowOf(kGridA, 0.0), 120},
      {"B: halfway, south and east win", true, 51.25, -0.25, RowOf(kGridB, 51.0), ColumnOf(kGridB, 0.0)},
      {"B: north-west corner", true, 83.0, -180.0, 0, 0},
      {"B: south-east corner", true, -90.0, 179.5, 346, 719},
      {"B: nearer 180E than 179.5E is column 0", true, 10.0, 179.9, RowOf(kGridB, 10.0), 0},
      {"B: 180E is 180W", true, 10.0, 180.0, RowOf(kGridB, 10.0), 0},
      {"B: within half a row north of 83N", true, 83.2, 0.0, 0, 360},
  };
  ScratchDir dir;
  const ClimateGrid gridA = LoadedGrid(dir, kGridA, RowColumn);
  const ClimateGrid gridB = LoadedGrid(dir, kGridB, RowColumn);
  for (const NearestCase& c : cases) {
    double value = -1.0;
    ASSERT_TRUE((c.gridB ? gridB : gridA).valueAt(c.latitude, c.longitude, false, value)) << c.what;
    EXPECT_EQ(value, RowColumn(c.row, c.column)) << c.what;
  }
}

TEST(ClimateGridNearest, OffTheMapIsNoValue) {
  ScratchDir dir;
  const ClimateGrid gridA = LoadedGrid(dir, kGridA, RowColumn);
  const ClimateGrid gridB = LoadedGrid(dir, kGridB, RowColumn);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const ClimateGrid& grid;
    double latitude, longitude;
  } cases[] = {{gridB, 84.0, 0.0},  {gridB, -90.5, 0.0}, {gridB, 0.0, 181.0}, {gridA, -91.0, 0.0},
               {gridA, 0.0, 400.0}, {gridA, nan, 0.0},   {gridB, 0.0, nan},   {gridB, inf, 0.0},
               {gridA, 0.0, -inf},  {gridB, 1e300, 0.0}, {gridA, 0.0, -1e300}};
  for (const Case& c : cases) {
    double value = 42.0;
    EXPECT_FALSE(c.grid.valueAt(c.latitude, c.longitude, false, value)) << c.latitude << " " << c.longitude;
    EXPECT_EQ(value, 42.0);
  }
}

TEST(ClimateGridNearest, GivesTheMissingDataMarkerAsItIs) {
  ScratchDir dir;
  const ClimateGrid grid = LoadedGrid(dir, kGridB, [](int r, int c) { return (r + c) % 2 ? -9999.0 : 300.0; });
  double value = 0.0;
  ASSERT_TRUE(grid.valueAt(83.0, -179.5, false, value));
  EXPECT_EQ(value, -9999.0);
}

// ---- Interpolation ----

/// Cone-weighted mean of nodes given as (distance in degrees, value).
double ConeMean(double diag, std::initializer_list<std::pair<double, double>> nodes) {
  double sumWeight = 0.0, sum = 0.0;
  for (const auto& [distance, value] : nodes) {
    sumWeight += diag - distance;
    sum += (diag - distance) * value;
  }
  return sum / sumWeight;
}

const double kDiagA = std::sqrt(1.5 * 1.5 + 1.5 * 1.5);
const double kDiagB = std::sqrt(0.5 * 0.5 + 0.5 * 0.5);

TEST(ClimateGridInterpolated, FourNodesAcrossZeroLongitudeOnGridA) {
  // 51.5N 0.5W lies between 51N and 52.5N, 358.5E (column 239) and 360E (column 240).
  ScratchDir dir;
  const ClimateGrid grid = LoadedGrid(dir, kGridA, RowColumn);
  const int north = RowOf(kGridA, 52.5), south = RowOf(kGridA, 51.0);
  const double expected = ConeMean(kDiagA, {{std::sqrt(1.0 * 1.0 + 1.0 * 1.0), RowColumn(north, 239)},
                                            {std::sqrt(1.0 * 1.0 + 0.5 * 0.5), RowColumn(north, 240)},
                                            {std::sqrt(0.5 * 0.5 + 1.0 * 1.0), RowColumn(south, 239)},
                                            {std::sqrt(0.5 * 0.5 + 0.5 * 0.5), RowColumn(south, 240)}});
  double value = 0.0;
  ASSERT_TRUE(grid.valueAt(51.5, -0.5, true, value));
  EXPECT_NEAR(value, expected, 1e-9);
}

TEST(ClimateGridInterpolated, OnANodeTheAxisNeighboursStillCount) {
  // On a node its own weight is diag, the neighbours north and east weigh
  // diag - 0.5 and the diagonal node nothing: a weighted mean, not the node value.
  ScratchDir dir;
  const ClimateGrid grid = LoadedGrid(dir, kGridB, RowColumn);
  const int row = RowOf(kGridB, 51.5), column = ColumnOf(kGridB, -1.5);
  const double expected = ConeMean(
      kDiagB, {{0.0, RowColumn(row, column)}, {0.5, RowColumn(row - 1, column)}, {0.5, RowColumn(row, column + 1)}});
  double value = 0.0;
  ASSERT_TRUE(grid.valueAt(51.5, -1.5, true, value));
  EXPECT_NEAR(value, expected, 1e-9);
  EXPECT_NE(value, RowColumn(row, column));

  const ClimateGrid flat = LoadedGrid(dir, kGridB, [](int, int) { return 321.5; });
  ASSERT_TRUE(flat.valueAt(51.5, -1.5, true, value));
  EXPECT_NEAR(value, 321.5, 1e-12);
}

TEST(ClimateGridInterpolated, MissingNodesAreLeftOut) {
  ScratchDir dir;
  const int north = RowOf(kGridA, 52.5), south = RowOf(kGridA, 51.0);
  const ClimateGrid oneMissing =
      LoadedGrid(dir, kGridA, [&](int r, int c) { return (r == south && c == 240) ? -9999.5 : RowColumn(r, c); });
  const double expected = ConeMean(kDiagA, {{std::sqrt(2.0), RowColumn(north, 239)},
                                            {std::sqrt(1.25), RowColumn(north, 240)},
                                            {std::sqrt(1.25), RowColumn(south, 239)}});
  double value = 0.0;
  ASSERT_TRUE(oneMissing.valueAt(51.5, -0.5, true, value));
  EXPECT_NEAR(value, expected, 1e-9);

  // The point's own node missing: the two neighbours along the axes, equally weighted.
  const int row = RowOf(kGridB, 51.5), column = ColumnOf(kGridB, -1.5);
  const ClimateGrid ownMissing =
      LoadedGrid(dir, kGridB, [&](int r, int c) { return (r == row && c == column) ? -9999.0 : RowColumn(r, c); });
  ASSERT_TRUE(ownMissing.valueAt(51.5, -1.5, true, value));
  EXPECT_NEAR(value, (RowColumn(row - 1, column) + RowColumn(row, column + 1)) / 2.0, 1e-9);
}

TEST(ClimateGridInterpolated, NoNodeWithDataIsNoValue) {
  ScratchDir dir;
  const ClimateGrid empty = LoadedGrid(dir, kGridA, [](int, int) { return -9999.0; });
  double value = 42.0;
  EXPECT_FALSE(empty.valueAt(51.5, -0.5, true, value));
  EXPECT_EQ(value, 42.0);

  // Only the far corner of the cell holds data, and it weighs nothing there.
  const int row = RowOf(kGridB, 51.5), column = ColumnOf(kGridB, -1.5);
  const ClimateGrid farCorner =
      LoadedGrid(dir, kGridB, [&](int r, int c) { return (r == row - 1 && c == column + 1) ? 300.0 : -9999.0; });
  EXPECT_FALSE(farCorner.valueAt(51.5, -1.5, true, value));
  EXPECT_EQ(value, 42.0);
  ASSERT_TRUE(farCorner.valueAt(51.6, -1.4, true, value));
  EXPECT_EQ(value, 300.0);
}

TEST(ClimateGridInterpolated, GridBGoesRoundTheSeamThroughColumnZero) {
  ScratchDir dir;
  const ClimateGrid grid = LoadedGrid(dir, kGridB, RowColumn);
  const int south = RowOf(kGridB, 10.0), north = south - 1;

  // Between 179.5E (column 719) and 180E = 180W (column 0), on the 10N row.
  const double between = ConeMean(kDiagB, {{std::sqrt(0.25 + 0.0625), RowColumn(north, 719)},
                                           {std::sqrt(0.25 + 0.0625), RowColumn(north, 0)},
                                           {0.25, RowColumn(south, 719)},
                                           {0.25, RowColumn(south, 0)}});
  double value = 0.0;
  ASSERT_TRUE(grid.valueAt(10.0, 179.75, true, value));
  EXPECT_NEAR(value, between, 1e-9);

  // 180E reads the same nodes as 180W: column 0 and its eastern neighbour.
  const double onSeam =
      ConeMean(kDiagB, {{0.0, RowColumn(south, 0)}, {0.5, RowColumn(north, 0)}, {0.5, RowColumn(south, 1)}});
  double east = 0.0, west = 0.0;
  ASSERT_TRUE(grid.valueAt(10.0, 180.0, true, east));
  ASSERT_TRUE(grid.valueAt(10.0, -180.0, true, west));
  EXPECT_NEAR(east, onSeam, 1e-9);
  EXPECT_EQ(east, west);
}

TEST(ClimateGridInterpolated, PolesUseTheRowsNextToThem) {
  ScratchDir dir;
  const ClimateGrid grid = LoadedGrid(dir, kGridA, RowColumn);
  double value = 0.0;
  // At 90N the row of the grid line above (91.5N) clamps to row 0, so row 0
  // stands 1.5 degrees north of the point and row 1 at the point itself.
  ASSERT_TRUE(grid.valueAt(90.0, 0.0, true, value));
  EXPECT_NEAR(value, ConeMean(kDiagA, {{0.0, RowColumn(1, 0)}, {1.5, RowColumn(0, 0)}, {1.5, RowColumn(1, 1)}}), 1e-9);
  ASSERT_TRUE(grid.valueAt(-90.0, 0.0, true, value));
  EXPECT_NEAR(value, ConeMean(kDiagA, {{0.0, RowColumn(120, 0)}, {1.5, RowColumn(119, 0)}, {1.5, RowColumn(120, 1)}}),
              1e-9);
  EXPECT_FALSE(grid.valueAt(-90.5, 0.0, true, value));  // no row south of the pole
}

TEST(ClimateGridInterpolated, NorthOfGridBTheTopTwoRowsServe) {
  ScratchDir dir;
  const ClimateGrid grid = LoadedGrid(dir, kGridB, RowColumn);
  const int west = ColumnOf(kGridB, 10.0);
  // Above 83N the northern row clamps to row 0; rows 0 and 1 are weighed as
  // if they lay on the point's own grid lines (85.5N and 85N here).
  const double slant = std::sqrt(0.25 + 0.0625);
  const double expected = ConeMean(kDiagB, {{slant, RowColumn(0, west)},
                                            {slant, RowColumn(0, west + 1)},
                                            {0.25, RowColumn(1, west)},
                                            {0.25, RowColumn(1, west + 1)}});
  double value = 0.0;
  ASSERT_TRUE(grid.valueAt(85.0, 10.25, true, value));
  EXPECT_NEAR(value, expected, 1e-9);
}

TEST(ClimateGridInterpolated, AnyPointStaysInsideTheMapAndWithinItsValues) {
  // Run under AddressSanitizer this also shows that no lookup reads outside the data.
  ScratchDir dir;
  for (const climate::GridLattice& lattice : {kGridA, kGridB}) {
    const ClimateGrid grid = LoadedGrid(dir, lattice, [](int r, int c) { return ((r * 7 + c * 13) % 97) - 20.0; });
    const auto [low, high] = std::minmax_element(grid.data.begin(), grid.data.end());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> latitudes{nan, inf, -inf, 1e300, -1e300, 90, -90, 83, 83.25, 89.999999, -89.999999};
    std::vector<double> longitudes{nan, inf, -inf, 1e300, -1e300, 180, -180, 179.5, 179.75, 179.999999, 360, 359.9};
    for (double lat = -95.0; lat <= 95.0; lat += 0.37) latitudes.push_back(lat);
    for (double lon = -540.0; lon <= 540.0; lon += 0.41) longitudes.push_back(lon);
    for (double lat : latitudes)
      for (double lon : longitudes)
        for (bool interpolate : {false, true}) {
          double value = nan;
          if (grid.valueAt(lat, lon, interpolate, value)) {
            ASSERT_GE(value, *low - 1e-9) << lat << " " << lon;
            ASSERT_LE(value, *high + 1e-9) << lat << " " << lon;
          }
        }
    // Every point on the Earth has an interpolated value (grid B's top row
    // serving north of 83N).
    double value = 0.0;
    for (double lat = -90.0; lat <= 90.0; lat += 0.25)
      for (double lon : {-180.0, -179.9, 0.0, 179.9, 180.0})
        EXPECT_TRUE(grid.valueAt(lat, lon, true, value)) << lat << " " << lon;
  }
}

}  // namespace
}  // namespace tarnvale
