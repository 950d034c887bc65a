// The zone map read from zones01.dem.gz, as the program ships it: the same
// codes as the plain file, unpacked once into a cache that later objects
// map, and a damaged archive treated as no zone map with a message.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "climate/Zones.h"
#include "support/Archives.h"
#include "support/DataFiles.h"

using tarnvale::CZONES;
using tarnvale::test::Bytes;
using tarnvale::test::TempDir;

namespace {

constexpr int kNoData = 255;
// (51.005, -0.995): row 2339, column 10740, byte 2339 x 5400 + 2685; four
// cells in one byte, westernmost in the top bits: codes 2, 1, 3, 0.
constexpr std::uint64_t kByte = 12633285;
constexpr std::uint8_t kPattern = 0b10'01'11'00;
constexpr double kMinute = 1.0 / 60;

/// A whole map holding kPattern at kByte, 0 elsewhere.
Bytes MapBytes() {
  Bytes map(tarnvale::test::kZoneFileBytes, 0);
  map[kByte] = kPattern;
  return map;
}

void WriteBytes(const std::filesystem::path& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

/// Points XDG_CACHE_HOME at a folder of the test's own for its lifetime.
class CacheHome {
 public:
  explicit CacheHome(const std::string& value) {
    if (const char* old = std::getenv("XDG_CACHE_HOME")) old_ = old, hadOld_ = true;
    ::setenv("XDG_CACHE_HOME", value.c_str(), 1);
  }
  ~CacheHome() {
    if (hadOld_)
      ::setenv("XDG_CACHE_HOME", old_.c_str(), 1);
    else
      ::unsetenv("XDG_CACHE_HOME");
  }

 private:
  std::string old_;
  bool hadOld_ = false;
};

class ZoneArchive : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { packed_ = new Bytes(tarnvale::test::Gzip(MapBytes())); }
  static void TearDownTestSuite() {
    delete packed_;
    packed_ = nullptr;
  }
  std::filesystem::path archive() const { return dir.path() / "zones01.dem.gz"; }
  void expectPattern(const CZONES& zones) {
    for (int i = 0; i < 4; ++i) EXPECT_EQ(zones.zoneAt(51.005, -0.995 + i * kMinute), "\2\1\3\0"[i]) << i;
    EXPECT_EQ(zones.zoneAt(-40.0, 100.0), 0);
  }

  static Bytes* packed_;
  TempDir dir;
  TempDir cache;
  CacheHome home{cache.str()};
};

Bytes* ZoneArchive::packed_ = nullptr;

}  // namespace

TEST_F(ZoneArchive, ReadsAsThePlainFileAndIsUnpackedOnce) {
  WriteBytes(archive(), *packed_);
  {
    CZONES zones(dir.str());
    expectPattern(zones);
    EXPECT_TRUE(zones.problem().empty());
  }
  // One cache file, named by the archive's content, of a whole map's size.
  std::vector<std::filesystem::path> cached;
  for (const auto& entry : std::filesystem::directory_iterator(cache.path() / "tarnvale")) cached.push_back(entry.path());
  ASSERT_EQ(cached.size(), 1u);
  EXPECT_EQ(cached[0].filename().string().rfind("zones01-", 0), 0u);
  EXPECT_EQ(std::filesystem::file_size(cached[0]), tarnvale::test::kZoneFileBytes);
  // A later object maps the cache: it reads the cache's bytes, not the archive's.
  {
    std::fstream f(cached[0], std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(static_cast<std::streamoff>(kByte));
    f.put(static_cast<char>(0xFF));
  }
  EXPECT_EQ(CZONES(dir.str()).zoneAt(51.005, -0.995 + kMinute), 3);
  // A cache cut short is not trusted: the archive is unpacked again.
  std::filesystem::resize_file(cached[0], 1000);
  expectPattern(CZONES(dir.str()));
  EXPECT_EQ(std::filesystem::file_size(cached[0]), tarnvale::test::kZoneFileBytes);
}

TEST_F(ZoneArchive, ThePlainFileWinsOverTheArchive) {
  WriteBytes(archive(), *packed_);
  tarnvale::test::WriteSparseZones(dir.path() / "zones01.dem", {{kByte, 0xFF}});
  CZONES zones(dir.str());
  EXPECT_EQ(zones.zoneAt(51.005, -0.995 + kMinute), 3);
  EXPECT_FALSE(std::filesystem::exists(cache.path() / "tarnvale"));
}

TEST_F(ZoneArchive, WithoutACacheFolderTheMapIsUnpackedIntoMemory) {
  WriteBytes(archive(), *packed_);
  // A cache folder that cannot be made: its parent is a file.
  WriteBytes(cache.path() / "file", {1});
  CacheHome unusable((cache.path() / "file").string());
  CZONES zones(dir.str());
  expectPattern(zones);
  EXPECT_TRUE(zones.problem().empty());
}

TEST_F(ZoneArchive, DamagedArchivesGiveNoZoneMapAndSaySo) {
  // A flip in the long runs of zeros may well decode to the same zeros; one
  // in the first block's code tables cannot.
  Bytes flipped = *packed_;
  flipped[12] ^= 0x5a;
  Bytes trailerWrong = *packed_;
  trailerWrong[trailerWrong.size() - 6] ^= 1;  // CRC-32 of the contents
  const Bytes shortMap = tarnvale::test::Gzip(Bytes(1000, 0xFF));
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"cut short", Bytes(packed_->begin(), packed_->begin() + static_cast<std::ptrdiff_t>(packed_->size() / 2))},
      {"bytes changed", flipped},
      {"checksum wrong", trailerWrong},
      {"not gzip", Bytes(5000, 'x')},
      {"empty", Bytes()},
      {"a short map", shortMap},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(archive(), c.bytes);
    CZONES zones(dir.str());
    EXPECT_EQ(zones.zoneAt(51.005, -0.995), kNoData);
    EXPECT_FALSE(zones.isOpen());
    EXPECT_NE(zones.problem().find(archive().string()), std::string::npos) << zones.problem();
    EXPECT_NE(zones.problem().find("coastal land"), std::string::npos) << zones.problem();
    // Further lookups answer at once, without unpacking it again.
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(zones.zoneAt(51.005, -0.995), kNoData);
  }
  EXPECT_FALSE(std::filesystem::exists(cache.path() / "tarnvale") &&
               !std::filesystem::is_empty(cache.path() / "tarnvale"));
  // Mended, the archive is read at the next lookup of the same object.
  CZONES zones(dir.str());
  EXPECT_EQ(zones.zoneAt(51.005, -0.995), kNoData);
  WriteBytes(archive(), *packed_);
  std::filesystem::last_write_time(archive(), std::filesystem::file_time_type::clock::now() + std::chrono::seconds(5));
  EXPECT_EQ(zones.zoneAt(51.005, -0.995), 2);
  EXPECT_TRUE(zones.problem().empty());
}

TEST(ZoneArchiveSample, TheShippedMapGivesTheKnownCodes) {
  // Codes checked against GMT's distance to the full-resolution shoreline
  // when the map was made (data/sample/README.md).
  TempDir cache;
  CacheHome home(cache.str());
  const std::filesystem::path sample = tarnvale::test::SampleData();
  ASSERT_TRUE(std::filesystem::exists(sample / "zones01.dem.gz")) << sample;
  CZONES zones(sample.string());
  EXPECT_EQ(zones.zoneAt(51.3523, -1.4643), 3);
  EXPECT_EQ(zones.zoneAt(50.3, -1.5), 1);
  EXPECT_EQ(zones.zoneAt(51.005, -0.995), 2);
  EXPECT_EQ(zones.zoneAt(50.8, -1.09), 2);
  EXPECT_TRUE(zones.problem().empty());
}
