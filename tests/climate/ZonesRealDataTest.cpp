// The zone map on the real world map, unpacked from the shared data.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "climate/Zones.h"
#include "support/DataFiles.h"

using tarnvale::CZONES;

namespace {

class RealZones : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const auto data = tarnvale::test::SharedData();
    if (data.empty()) return;
    const auto packed = data / "zones" / "zones01.dem.gz";
    if (!std::filesystem::exists(packed)) return;
    dir_ = std::make_unique<tarnvale::test::TempDir>();
    gzFile in = gzopen(packed.c_str(), "rb");
    if (!in) return;
    std::ofstream out(dir_->path() / "zones01.dem", std::ios::binary);
    std::vector<char> buffer(1 << 20);
    int n = 0;
    while ((n = gzread(in, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) out.write(buffer.data(), n);
    gzclose(in);
    out.close();
    unpacked_ = std::filesystem::file_size(dir_->path() / "zones01.dem") == tarnvale::test::kZoneFileBytes;
  }
  static void TearDownTestSuite() { dir_.reset(); }

  void SetUp() override {
    if (!unpacked_)
      GTEST_SKIP() << "zones/zones01.dem.gz not found or not readable: set TARNVALE_SHARED_DATA to the shared data "
                      "directory";
  }

  static std::unique_ptr<tarnvale::test::TempDir> dir_;
  static bool unpacked_;
};

std::unique_ptr<tarnvale::test::TempDir> RealZones::dir_;
bool RealZones::unpacked_ = false;

}  // namespace

TEST_F(RealZones, KnownPlaces) {
  CZONES zones(dir_->str());
  struct Case {
    const char* place;
    double lat, lon;
    int zone;
  };
  const Case cases[] = {
      {"Walbury Hill, 50 km from Southampton Water", 51.3523, -1.4643, 3},
      {"English Channel south of the Isle of Wight", 50.3, -1.5, 1},
      {"near the Sussex coast", 51.005, -0.995, 2},
      {"Portsmouth", 50.8, -1.09, 2},
      {"Birmingham", 52.48, -1.90, 3},
      {"mid-Atlantic", 45.0, -30.0, 1},
      {"Lake Superior, a large body of water", 47.7, -87.5, 1},
      {"Lake Geneva, a small lake inland", 46.45, 6.55, 3},
      {"Dover Strait", 51.0, 1.5, 1},
      {"Arctic Ocean at the pole", 90.0, 0.0, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(zones.zoneAt(c.lat, c.lon), c.zone) << c.place;
}

TEST_F(RealZones, LookupsEqualOneByteReadFromTheFile) {
  CZONES zones(dir_->str());
  std::ifstream file(dir_->path() / "zones01.dem", std::ios::binary);
  std::mt19937_64 random(452);
  std::uniform_real_distribution<double> lat(-89.99, 89.99), lon(-179.99, 179.99);
  int codes[4] = {0, 0, 0, 0};
  for (int i = 0; i < 20000; ++i) {
    const double la = lat(random), lo = lon(random);
    // The cell holding the point: whole arc-minutes from 90 N and from 180 W.
    const auto row = static_cast<long long>(std::floor((90.0 - la) * 60.0));
    const auto column = static_cast<long long>(std::floor((lo + 180.0) * 60.0));
    file.seekg(row * 5400 + column / 4);
    const int byte = file.get();
    const int expected = (byte >> (6 - 2 * (column % 4))) & 3;
    // Points within a hair of a cell edge may round either way.
    const double edge = std::min({std::fabs((90.0 - la) * 60.0 - std::round((90.0 - la) * 60.0)),
                                  std::fabs((lo + 180.0) * 60.0 - std::round((lo + 180.0) * 60.0))});
    if (edge < 1e-9) continue;
    const int got = zones.zoneAt(la, lo);
    ASSERT_EQ(got, expected) << la << ", " << lo;
    ++codes[got];
  }
  // The map is mostly sea, with both kinds of land.
  EXPECT_GT(codes[1], codes[3]);
  EXPECT_GT(codes[2], 0);
  EXPECT_GT(codes[3], 0);
  EXPECT_EQ(codes[0], 0);
}
