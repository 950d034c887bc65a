// Coverage maps over wide areas: a 150 km map over 5 x 5 tiles reads each
// tile file once, picture included; and maps of 10 to 150 km over copies of
// the real N51W002 tile keep every value to the last bit.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "maps/Coverage.h"
#include "support/DataFiles.h"

namespace tarnvale {
namespace {

using test::TempDir;

// The tiles from 49 N 4 W to 53 N 0 E, around 51 N 2 W.
constexpr int kSouthCell = 49, kWestCell = -4, kCells = 5;

std::string TileName(int south, int west) {
  char name[32];  // room for any int, as the compiler counts
  std::snprintf(name, sizeof name, "N%02d%c%03d.hgt", south, west < 0 ? 'W' : 'E', west < 0 ? -west : west);
  return name;
}

// Files opened in one directory while it is watched.
class OpenCounter {
 public:
  explicit OpenCounter(const std::filesystem::path& dir) : fd_(inotify_init1(IN_NONBLOCK)) {
    if (fd_ >= 0) watching_ = inotify_add_watch(fd_, dir.c_str(), IN_OPEN) >= 0;
  }
  ~OpenCounter() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenCounter(const OpenCounter&) = delete;
  OpenCounter& operator=(const OpenCounter&) = delete;
  bool watching() const { return watching_; }
  /// Opens by file name since the last call.
  std::map<std::string, int> opens() {
    std::map<std::string, int> counts;
    alignas(inotify_event) char buffer[1 << 16];
    for (;;) {
      const ssize_t got = ::read(fd_, buffer, sizeof buffer);
      if (got <= 0) break;
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->len > 0) ++counts[event->name];
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return counts;
  }

 private:
  int fd_ = -1;
  bool watching_ = false;
};

// 25 small gzipped tiles, each a tilted plane at its own height.
class WideSyntheticArea : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    for (int south = kSouthCell; south < kSouthCell + kCells; ++south)
      for (int west = kWestCell; west < kWestCell + kCells; ++west) {
        std::vector<unsigned char> bytes(std::size_t{test::kTileEdge} * test::kTileEdge * 2);
        for (int row = 0; row < test::kTileEdge; ++row)
          for (int column = 0; column < test::kTileEdge; ++column) {
            const int height = 20 * (south - kSouthCell) + 30 * (west - kWestCell) + (row + column) / 40;
            const std::size_t i = 2 * (std::size_t(row) * test::kTileEdge + column);
            bytes[i] = static_cast<unsigned char>(height >> 8);
            bytes[i + 1] = static_cast<unsigned char>(height & 0xff);
          }
        const std::string path = (dir_->path() / (TileName(south, west) + ".gz")).string();
        gzFile out = gzopen(path.c_str(), "wb1");
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(gzwrite(out, bytes.data(), static_cast<unsigned>(bytes.size())), static_cast<int>(bytes.size()));
        ASSERT_EQ(gzclose(out), Z_OK);
      }
  }
  static void TearDownTestSuite() { dir_.reset(); }
  static std::unique_ptr<TempDir> dir_;
};
std::unique_ptr<TempDir> WideSyntheticArea::dir_;

TEST_F(WideSyntheticArea, A150KmMapAndItsPictureReadEachTileOnce) {
  OpenCounter counter(dir_->path());
  if (!counter.watching()) GTEST_SKIP() << "inotify is not available here";
  const CLocator tx(51.5, -1.5);
  CoverageJob job;
  job.tx = tx;
  job.grid = CoverageGridFor(tx, 150.0, 16.0);  // 31 x 31 points
  job.terrainDirectory = dir_->str();
  job.threads = 2;
  CZONES zones(dir_->str());
  const CoverageValues values = RunCoverage(job, zones);
  ASSERT_EQ(values.pointsDone, 31 * 31);
  ASSERT_TRUE(values.tiles);
  // The terrain layer covers the whole square, 4.3 degrees each way: all 25
  // tiles, read by the run already.
  CSRTM terrain(values.tiles);
  CoverageSettings settings;
  settings.style = CoverageStyle::Terrain;
  const CoveragePicture picture = RenderCoverage(terrain, tx, job.grid, values, settings);
  ASSERT_TRUE(picture.terrain.drawn);

  const std::map<std::string, int> opens = counter.opens();
  int tiles = 0;
  for (const auto& [name, count] : opens) {
    if (!CSRTMTILE::IsTileFileName(name)) continue;
    ++tiles;
    EXPECT_EQ(count, 1) << name;
  }
  EXPECT_EQ(tiles, kCells * kCells);
  EXPECT_EQ(values.tiles->tilesRead(), kCells * kCells);
  EXPECT_EQ(values.tiles->tilesHeld(), kCells * kCells);
  EXPECT_TRUE(terrain.missingTiles().empty());

  // A second map given the first one's tiles reads none.
  job.tiles = values.tiles;
  job.grid = CoverageGridFor(tx, 100.0, 16.0);
  const CoverageValues again = RunCoverage(job, zones);
  EXPECT_EQ(again.pointsDone, 31 * 31);
  EXPECT_EQ(again.tiles, values.tiles);
  for (const auto& [name, count] : counter.opens()) EXPECT_FALSE(CSRTMTILE::IsTileFileName(name)) << name;
}

// FNV-1a over the bits of every loss and state of a map.
std::uint64_t MapHash(const CoverageValues& values) {
  std::uint64_t hash = 1469598103934665603ull;
  const auto add = [&](const void* data, std::size_t bytes) {
    const auto* b = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < bytes; ++i) {
      hash ^= b[i];
      hash *= 1099511628211ull;
    }
  };
  add(values.loss.data(), values.loss.size() * sizeof(double));
  add(values.state.data(), values.state.size());
  return hash;
}

TEST(CoverageOnRealGround, MapsKeepTheirValuesToTheLastBit) {
  const auto data = test::SharedData();
  const auto tile = data / "srtm" / "N51W002.hgt";
  if (data.empty() || !std::filesystem::exists(tile))
    GTEST_SKIP() << "srtm/N51W002.hgt not found: set TARNVALE_SHARED_DATA";
  // The real tile under the names of its 24 neighbours as well, so that the
  // longer paths run over real ground all the way; and the real zone map.
  TempDir dir;
  for (int south = kSouthCell; south < kSouthCell + kCells; ++south)
    for (int west = kWestCell; west < kWestCell + kCells; ++west)
      std::filesystem::create_symlink(tile, dir.path() / TileName(south, west));
  gzFile in = gzopen((data / "zones" / "zones01.dem.gz").c_str(), "rb");
  ASSERT_NE(in, nullptr);
  {
    std::ofstream out(dir.path() / "zones01.dem", std::ios::binary);
    std::vector<char> buffer(1 << 20);
    int n = 0;
    while ((n = gzread(in, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) out.write(buffer.data(), n);
  }
  gzclose(in);
  CZONES zones(dir.str());

  // Hashes of the maps as the engine made them before the coverage sampler
  // and model were reworked for speed (build 3d9967a): the transmitter on
  // node lines both ways and off them, ranges 10 to 150 km, the fitted and
  // the exact great circles, and every mechanism's branch.
  struct Case {
    double lat, lon, rangeKm;
    int resolution;
    double frequencyGHz, percent, txHeightM, rxHeightM;
    std::uint64_t hash;
  };
  const Case cases[] = {
      {51.42, -1.55, 10, 8, 10.368, 50, 10, 10, 0x8be10e6b87c8cd78},
      {51.42, -1.55, 30, 8, 10.368, 50, 10, 10, 0x58fe395bdca7fcd3},
      {51.42, -1.55, 50, 8, 10.368, 50, 10, 10, 0xc8139c96286ec730},
      {51.4371, -1.5123, 50, 10, 0.5, 1, 30, 2, 0x896c7351e8542b82},
      {51.4371, -1.5123, 30, 10, 2.4, 0.01, 100, 5, 0xa64d3e1da804773e},
      {51.42, -1.55, 10, 4, 10.368, 50, 10, 10, 0x6b042f3b17f146e2},
      {51.42, -1.55, 150, 10, 0.2, 10, 50, 10, 0x83ba145f8110bb23},
  };
  for (const Case& c : cases) {
    CoverageJob job;
    job.tx = CLocator(c.lat, c.lon);
    job.grid = CoverageGridFor(job.tx, c.rangeKm, c.resolution);
    job.inputs.model.frequency = c.frequencyGHz;
    job.inputs.model.percent = c.percent;
    job.inputs.model.txHeight = c.txHeightM;
    job.inputs.model.rxHeight = c.rxHeightM;
    job.inputs.gasPerKm = 0.0135;
    job.terrainDirectory = dir.str();
    job.threads = 2;
    const CoverageValues values = RunCoverage(job, zones);
    ASSERT_GT(values.n, 0);
    EXPECT_EQ(MapHash(values), c.hash) << c.rangeKm << " km from " << c.lat << ", " << c.lon;
  }
}

}  // namespace
}  // namespace tarnvale
