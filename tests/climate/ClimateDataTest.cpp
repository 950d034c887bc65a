// The real radio-climate maps in the shared data directory, against their raw
// text and against the ITU-R source maps they were made from.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "climate/MapFiles.h"
#include "climate/Refractivity.h"

namespace tarnvale {
namespace {

using climate::kGridB;

/// Every number of a text file, read with iostreams (independently of the map reader).
std::vector<double> ReadNumbers(const std::filesystem::path& file) {
  std::ifstream in(file);
  return std::vector<double>(std::istream_iterator<double>(in), std::istream_iterator<double>());
}

/// The float64 array of a NumPy .npz archive as ITU-Rpy stores the P.453 maps:
/// one deflated member "arr_0.npy". False if the file is not of that kind.
bool ReadNpz(const std::filesystem::path& file, std::vector<double>& values, int& rows, int& columns) {
  std::ifstream in(file, std::ios::binary);
  const std::string zip((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto u16 = [&](std::size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(zip[at])) |
           static_cast<unsigned>(static_cast<unsigned char>(zip[at + 1])) << 8;
  };
  if (zip.size() < 30 || zip.compare(0, 4, "PK\x03\x04") != 0 || u16(8) != 8) return false;
  const std::size_t dataAt = 30 + u16(26) + u16(28);
  if (dataAt >= zip.size()) return false;

  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zip.data() + dataAt));
  stream.avail_in = static_cast<uInt>(zip.size() - dataAt);
  std::string npy;
  int status = Z_OK;
  while (status == Z_OK) {
    char chunk[65536];
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    status = inflate(&stream, Z_NO_FLUSH);
    npy.append(chunk, sizeof chunk - stream.avail_out);
  }
  inflateEnd(&stream);
  if (status != Z_STREAM_END || npy.compare(0, 6, "\x93NUMPY") != 0) return false;

  const bool version1 = npy[6] == 1;
  const std::size_t headerAt = version1 ? 10 : 12;
  std::uint32_t headerSize = static_cast<unsigned char>(npy[8]) | static_cast<unsigned char>(npy[9]) << 8;
  if (!version1) headerSize |= static_cast<std::uint32_t>(static_cast<unsigned char>(npy[10])) << 16;
  const std::string header = npy.substr(headerAt, headerSize);
  if (header.find("'descr': '<f8'") == std::string::npos || header.find("'fortran_order': False") == std::string::npos)
    return false;
  if (std::sscanf(header.c_str() + header.find("'shape': (") + 10, "%d, %d", &rows, &columns) != 2) return false;
  const std::size_t count = static_cast<std::size_t>(rows) * columns;
  if (npy.size() < headerAt + headerSize + count * sizeof(double)) return false;
  values.resize(count);
  std::memcpy(values.data(), npy.data() + headerAt + headerSize, count * sizeof(double));
  return true;
}

class ClimateData : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = testing::SharedData();
    if (data_.empty() || !std::filesystem::exists(data_ / "climate" / "n0.txt"))
      GTEST_SKIP() << "real radio-climate maps not found: set TARNVALE_SHARED_DATA to the shared data directory";
  }
  std::filesystem::path climateDir() const { return data_ / "climate"; }
  std::filesystem::path ituDir() const { return data_ / "itu"; }

  std::filesystem::path data_;
};

TEST_F(ClimateData, NearestLookupsGiveTheFileValuesAtTheirNodes) {
  const CRefractivity maps(climateDir());
  for (const auto& [map, file] :
       {std::pair{CRefractivity::kN0, "n0.txt"}, std::pair{CRefractivity::kDeltaN, "dn.txt"}}) {
    const std::vector<double> raw = ReadNumbers(climateDir() / file);
    ASSERT_EQ(raw.size(), static_cast<std::size_t>(kGridB.rows) * kGridB.columns) << file;
    // (latitude, longitude) -> row counted from 83N, column from 180W.
    const struct {
      double latitude, longitude;
      int row, column;
    } nodes[] = {{83.0, -180.0, 0, 0},  {83.0, 179.5, 0, 719}, {-90.0, -180.0, 346, 0},  {-90.0, 179.5, 346, 719},
                 {51.5, -1.5, 63, 357}, {0.0, 0.0, 166, 360},  {-33.5, 151.0, 233, 662}, {19.5, -155.5, 127, 49}};
    for (const auto& n : nodes) {
      double value = 0.0;
      ASSERT_TRUE(maps.valueAt(map, n.latitude, n.longitude, false, value)) << file << " " << n.latitude;
      EXPECT_EQ(value, raw[static_cast<std::size_t>(n.row) * kGridB.columns + n.column])
          << file << " " << n.latitude << " " << n.longitude;
    }
  }
}

TEST_F(ClimateData, N0AndDeltaNAgreeWithTheItuP452MapsNodeForNode) {
  // The 0.5-degree maps were interpolated from ITU-R P.452-16's 1.5-degree N050
  // and DN50 maps; on the common nodes they hold the source values to 3 decimals.
  // LAT.TXT and LON.TXT place each source node, so this also fixes the
  // orientation: rows north to south, columns west to east.
  const std::filesystem::path p452 = ituDir() / "p452-16";
  if (!std::filesystem::exists(p452 / "N050.TXT")) GTEST_SKIP() << "ITU-R P.452-16 maps not found in " << p452;
  const std::vector<double> lat = ReadNumbers(p452 / "LAT.TXT");
  const std::vector<double> lon = ReadNumbers(p452 / "LON.TXT");
  const CRefractivity maps(climateDir());
  for (const auto& [map, file] :
       {std::pair{CRefractivity::kN0, "N050.TXT"}, std::pair{CRefractivity::kDeltaN, "DN50.TXT"}}) {
    const std::vector<double> source = ReadNumbers(p452 / file);
    ASSERT_EQ(source.size(), lat.size());
    ASSERT_EQ(source.size(), lon.size());
    int compared = 0;
    for (std::size_t i = 0; i < source.size(); ++i) {
      if (lat[i] > 83.0 || lon[i] >= 360.0) continue;  // grid B's extent; 360E repeats 0E
      const double longitude = lon[i] >= 180.0 ? lon[i] - 360.0 : lon[i];
      double value = 0.0;
      ASSERT_TRUE(maps.valueAt(map, lat[i], longitude, false, value)) << lat[i] << " " << longitude;
      ASSERT_NEAR(value, source[i], 0.0005 + 1e-9) << file << " at " << lat[i] << " " << longitude;
      ++compared;
    }
    EXPECT_EQ(compared, 116 * 240) << file;
  }
}

TEST_F(ClimateData, InterpolatedValuesNearTheSourceMapsBilinearOnes) {
  // climate/PROVENANCE.md: bilinear interpolation of the 1.5-degree source maps
  // at 51.3523N 1.4643W gives N0 = 326.914 and delta-N = 42.656. The cone
  // weighting on the 0.5-degree maps lands within a few hundredths.
  const CRefractivity maps(climateDir());
  double n0 = 0.0, dn = 0.0;
  ASSERT_TRUE(maps.n0At(51.3523, -1.4643, true, n0));
  ASSERT_TRUE(maps.dnAt(51.3523, -1.4643, true, dn));
  EXPECT_NEAR(n0, 326.914, 0.05);
  EXPECT_NEAR(dn, 42.656, 0.05);
}

TEST_F(ClimateData, GradientMapsAgreeWithTheItuP453MapsNodeForNode) {
  // DNDZ_*.TXT hold every other node of ITU-R P.453-12's 0.75-degree maps of
  // the gradient in the lowest 65 m, rounded to 2 decimals.
  const std::filesystem::path p453 = ituDir() / "p453-12_itur";
  if (!std::filesystem::exists(p453 / "v12_lat0d75.npz")) GTEST_SKIP() << "ITU-R P.453-12 maps not found in " << p453;
  std::vector<double> lat, lon;
  int rows = 0, columns = 0;
  ASSERT_TRUE(ReadNpz(p453 / "v12_lat0d75.npz", lat, rows, columns));
  ASSERT_TRUE(ReadNpz(p453 / "v12_lon0d75.npz", lon, rows, columns));
  ASSERT_EQ(rows, 241);
  ASSERT_EQ(columns, 481);
  const CRefractivity maps(climateDir());
  const struct {
    CRefractivity::Map map;
    const char* source;
  } gradients[] = {{CRefractivity::kGradient90, "v12_dn65m_90d00_v1.npz"},
                   {CRefractivity::kGradient50, "v12_dn65m_50d00_v1.npz"},
                   {CRefractivity::kGradient10, "v12_dn65m_10d00_v1.npz"},
                   {CRefractivity::kGradient001, "v12_dn65m_01d00_v1.npz"}};
  for (const auto& g : gradients) {
    std::vector<double> source;
    int sourceRows = 0, sourceColumns = 0;
    ASSERT_TRUE(ReadNpz(p453 / g.source, source, sourceRows, sourceColumns)) << g.source;
    ASSERT_EQ(sourceRows, rows);
    ASSERT_EQ(sourceColumns, columns);
    ASSERT_TRUE(maps.load(g.map)) << maps.grid(g.map).name();
    const ClimateGrid& grid = maps.grid(g.map);
    for (int r = 0; r < grid.rows; ++r)
      for (int c = 0; c < grid.columns; ++c) {
        const std::size_t i = static_cast<std::size_t>(2 * r) * columns + 2 * c;
        ASSERT_EQ(lat[i], grid.rowLatitude(r));
        ASSERT_EQ(lon[i], grid.columnLongitude(c));
        // Look the node up as a user would, west longitudes negative.
        const double longitude = (lon[i] > 180.0 && lon[i] < 360.0) ? lon[i] - 360.0 : lon[i];
        double value = 0.0;
        ASSERT_TRUE(maps.valueAt(g.map, lat[i], longitude, false, value));
        ASSERT_NEAR(value, source[i], 0.005 + 1e-9) << grid.name() << " at " << lat[i] << " " << longitude;
      }
  }
  // Sign and size where the Recommendation's maps are familiar: over southern
  // England the median gradient is about -40 N-units/km (the value of P.453-12's
  // 50 % map at 51N 358.5E, itu/PROVENANCE.md).
  double gradient = 0.0;
  ASSERT_TRUE(maps.gradientAt(50, 51.0, -1.5, gradient));
  EXPECT_NEAR(gradient, -40.4, 1.0);
}

}  // namespace
}  // namespace tarnvale
