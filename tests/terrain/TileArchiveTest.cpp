// Tiles read from zip and gzip files as they are distributed, the size and
// checksum rules that keep a bad archive out, and the report of tiles a
// lookup needed and could not read.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "support/Archives.h"
#include "support/DataFiles.h"
#include "session/Session.h"
#include "terrain/MissingTiles.h"
#include "terrain/Srtm.h"
#include "io/Archive.h"

using namespace tarnvale;
using test::Bytes;
using test::TempDir;
using test::Tile;

namespace {

constexpr int kMissing = -32767;

// A tile whose every node differs from its neighbours, so that a shifted or
// swapped read shows.
Tile PatternTile(int seed) {
  Tile tile;
  for (int r = 0; r < test::kTileEdge; ++r)
    for (int c = 0; c < test::kTileEdge; ++c) tile.at(r, c) = static_cast<std::int16_t>((r * 7 + c * 13 + seed) % 3000);
  tile.at(5, 5) = -32768;  // a void
  return tile;
}

// Every node of the slot loaded from @p directory for the cell (south, west).
std::vector<int> LoadedNodes(const std::string& directory, int south, int west) {
  CSRTMTILE slot;
  if (!slot.load(directory, south, west)) return {};
  std::vector<int> nodes;
  nodes.reserve(std::size_t{1201} * 1201);
  for (int r = 0; r < 1201; ++r)
    for (int c = 0; c < 1201; ++c) nodes.push_back(slot.sampleAt(r, c));
  return nodes;
}

}  // namespace

TEST(TileArchive, ZippedAndGzippedTilesReadEqualToPlainOnes) {
  const Tile tile = PatternTile(3);
  const Bytes plain = test::TileBytes(tile);
  TempDir plainDir, zipDir, gzipDir, storedZipDir, upperDir;
  test::WriteTile(plainDir.path() / "n51w002.hgt", tile);
  // As SRTM tiles are distributed: the archive and its member in upper case.
  test::WriteBytes(zipDir.path() / "N51W002.hgt.zip", test::Zip({{"N51W002.hgt", plain}}));
  test::WriteBytes(gzipDir.path() / "n51w002.hgt.gz", test::Gzip(plain));
  test::WriteBytes(storedZipDir.path() / "n51w002.hgt.zip",
                   test::Zip({{"readme.txt", Bytes{'h', 'i'}}, {"srtm/n51w002.HGT", plain, false}}));
  test::WriteBytes(upperDir.path() / "N51W002.HGT.GZ", test::Gzip(plain));

  const std::vector<int> expected = LoadedNodes(plainDir.str(), 51, -2);
  ASSERT_EQ(expected.size(), std::size_t{1201} * 1201);
  EXPECT_EQ(expected[5 * 1201 + 5], kMissing);
  for (const TempDir* dir : {&zipDir, &gzipDir, &storedZipDir, &upperDir}) {
    EXPECT_TRUE(LoadedNodes(dir->str(), 51, -2) == expected) << dir->str();
    CSRTM store(9, dir->str());
    EXPECT_EQ(store.heightAt(51.5, -1.5, false), tile.samples[600 * 1201 + 600]);
    EXPECT_TRUE(store.missingTiles().empty());
  }
  // Start-up counts a directory of compressed tiles as holding terrain.
  EXPECT_TRUE(Session::HasTerrainTiles(zipDir.str()));
  EXPECT_TRUE(Session::HasTerrainTiles(upperDir.str()));
  EXPECT_FALSE(Session::HasTerrainTiles(TempDir().str()));
}

TEST(TileArchive, RealTileReadsTheSameFromEveryForm) {
  const auto data = test::SharedData();
  if (data.empty()) GTEST_SKIP() << "no shared data: set TARNVALE_SHARED_DATA to the shared data directory";
  const Bytes plain = test::ReadBytes(data / "srtm" / "N51W002.hgt");
  ASSERT_EQ(plain.size(), srtm::kTileBytes);
  TempDir zipDir, gzipDir;
  test::WriteBytes(zipDir.path() / "N51W002.hgt.zip", test::Zip({{"N51W002.hgt", plain}}));
  test::WriteBytes(gzipDir.path() / "N51W002.hgt.gz", test::Gzip(plain));
  const std::vector<int> expected = LoadedNodes((data / "srtm").string(), 51, -2);
  ASSERT_FALSE(expected.empty());
  EXPECT_TRUE(LoadedNodes(zipDir.str(), 51, -2) == expected);
  EXPECT_TRUE(LoadedNodes(gzipDir.str(), 51, -2) == expected);
}

TEST(TileArchive, OnlyOneWholeTileIsAccepted) {
  // Sizes and contents that must read as no tile: (file name, bytes, expected outcome).
  const Bytes plain = test::TileBytes(PatternTile(1));
  Bytes shortTile(plain.begin(), plain.end() - 1);
  Bytes longTile = plain;
  longTile.push_back(0);
  longTile.push_back(0);
  Bytes badCrc = test::Zip({{"n10e010.hgt", plain}});
  Bytes corruptGzip = test::Gzip(plain);
  corruptGzip[corruptGzip.size() - 6] ^= 0xff;  // inside the CRC-32 trailer
  Bytes encrypted = test::Zip({{"n10e010.hgt", plain, false}});
  encrypted[6] |= 1;  // local header flags
  const Bytes gz = test::Gzip(plain);
  const Bytes zip = test::Zip({{"n10e010.hgt", plain}});
  {
    // The CRC-32 of the directory entry: 16 bytes into it.
    const std::size_t directory = badCrc.size() - 22 - (46 + 11);
    badCrc[directory + 16] ^= 0x55;
  }
  Bytes encryptedEntry = encrypted;
  encryptedEntry[encrypted.size() - 22 - (46 + 11) + 8] |= 1;
  struct Case {
    const char* file;
    Bytes bytes;
    TileRead outcome;
  };
  const Case cases[] = {
      {"n10e010.hgt", shortTile, TileRead::kWrongSize},
      // A longer plain file (a 1" tile under a 3" name) would read as nonsense heights.
      {"n10e010.hgt", longTile, TileRead::kWrongSize},
      {"n10e010.hgt.gz", test::Gzip(shortTile), TileRead::kWrongSize},
      {"n10e010.hgt.gz", test::Gzip(longTile), TileRead::kWrongSize},
      {"n10e010.hgt.zip", test::Zip({{"n10e010.hgt", shortTile}}), TileRead::kWrongSize},
      {"n10e010.hgt.zip", test::Zip({{"N10E010.hgt", longTile, false}}), TileRead::kWrongSize},
      {"n10e010.hgt.zip", badCrc, TileRead::kDamaged},
      {"n10e010.hgt.gz", corruptGzip, TileRead::kDamaged},
      {"n10e010.hgt.zip", encryptedEntry, TileRead::kDamaged},
      {"n10e010.hgt.gz", Bytes(gz.begin(), gz.begin() + static_cast<long>(gz.size() / 2)), TileRead::kDamaged},
      {"n10e010.hgt.zip", Bytes(zip.begin(), zip.end() - 30), TileRead::kDamaged},
      {"n10e010.hgt.zip", plain, TileRead::kDamaged},  // not a zip at all
      {"n10e010.hgt.gz", plain, TileRead::kDamaged},
      {"n10e010.hgt.zip", Bytes{}, TileRead::kDamaged},
      // Two tiles, neither named for the cell: which one was meant is unknown.
      {"n10e010.hgt.zip", test::Zip({{"n11e010.hgt", plain}, {"n12e010.hgt", plain}}), TileRead::kDamaged},
  };
  for (const Case& c : cases) {
    TempDir dir;
    test::WriteBytes(dir.path() / c.file, c.bytes);
    CSRTM store(9, dir.str());
    SCOPED_TRACE(std::string(c.file) + " of " + std::to_string(c.bytes.size()) + " bytes");
    EXPECT_EQ(store.heightAt(10.5, 10.5, false), kMissing);
    ASSERT_EQ(store.missingTiles().size(), 1u);
    EXPECT_EQ(store.missingTiles()[0].problem, c.outcome);
    EXPECT_EQ(store.missingTiles()[0].file, c.file);
    EXPECT_EQ(store.missingTiles()[0].name, "n10e010.hgt");
  }
}

TEST(TileArchive, RealOneArcSecondTileIsRefused) {
  const auto data = test::SharedData();
  if (data.empty()) GTEST_SKIP() << "no shared data: set TARNVALE_SHARED_DATA to the shared data directory";
  TempDir dir;
  std::filesystem::copy_file(data / "srtm" / "S46W066.hgt.gz", dir.path() / "S46W066.hgt.gz");
  CSRTM store(9, dir.str());
  EXPECT_EQ(store.heightAt(-45.02476, -65.92055, false), kMissing);
  ASSERT_EQ(store.missingTiles().size(), 1u);
  EXPECT_EQ(store.missingTiles()[0].problem, TileRead::kWrongSize);
  EXPECT_EQ(store.missingTiles()[0].file, "S46W066.hgt.gz");
}

TEST(TileArchive, AGoodFormOfTheTileWinsOverABadOne) {
  const Tile tile = PatternTile(9);
  TempDir dir;
  test::WriteTile(dir.path() / "n10e010.hgt", tile, 1000);  // a cut download
  test::WriteBytes(dir.path() / "N10E010.hgt.zip", test::Zip({{"N10E010.hgt", test::TileBytes(tile)}}));
  CSRTM store(9, dir.str());
  EXPECT_EQ(store.heightAt(10.5, 10.5, false), tile.samples[600 * 1201 + 600]);
  EXPECT_TRUE(store.missingTiles().empty());
}

TEST(TileArchive, MangledArchivesNeverReadPastTheirBounds) {
  // Small stand-ins for tiles keep thousands of mangled archives quick; under
  // the sanitizers any read or write out of bounds stops the test.
  std::mt19937 random(452);
  Bytes payload(600);
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<unsigned char>(i * 31 % 251);
  const Bytes originals[] = {test::Gzip(payload), test::Zip({{"n10e010.hgt", payload}}),
                             test::Zip({{"n10e010.hgt", payload, false}})};
  Bytes out(payload.size() + 16);
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    const bool zip = round % 3 != 0;
    Bytes bytes = originals[round % 3];
    switch (random() % 3) {
      case 0:
        for (int k = 0; k < 1 + static_cast<int>(random() % 4); ++k) bytes[random() % bytes.size()] ^= static_cast<unsigned char>(1 + random() % 255);
        break;
      case 1: bytes.resize(random() % bytes.size()); break;
      default:
        for (int k = 0; k < 4; ++k) bytes[random() % bytes.size()] = 0xff;
        break;
    }
    std::memset(out.data(), 0xee, out.size());
    MemorySource source(bytes.data(), bytes.size());
    const TileRead result = zip ? ReadZipTile(source, "n10e010.hgt", out.data(), payload.size())
                                : ReadGzipTile(source, out.data(), payload.size());
    // Nothing lands beyond the one tile the reader was given room for.
    for (std::size_t i = payload.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0xee);
    if (result == TileRead::kOk) {
      ++accepted;
      EXPECT_TRUE(std::equal(payload.begin(), payload.end(), out.begin())) << "round " << round;
    }
  }
  EXPECT_LT(accepted, 3000);
}

TEST(TileArchive, AnArchiveThatUnpacksToMoreThanATileStopsEarly) {
  // 64 MiB of zeros packs into a few tens of kilobytes; the reader gives up
  // one byte past the tile instead of unpacking it all.
  const Bytes zeros(64u << 20, 0);
  const Bytes gz = test::Gzip(zeros);
  Bytes out(srtm::kTileBytes);
  MemorySource source(gz.data(), gz.size());
  EXPECT_EQ(ReadGzipTile(source, out.data(), out.size()), TileRead::kWrongSize);
}

TEST(MissingTiles, EachTileIsReportedOnceWithItsDirectory) {
  TempDir dir;
  test::WriteTile(dir.path() / "n51w002.hgt", Tile(100));
  test::WriteBytes(dir.path() / "N52W002.hgt.zip", Bytes{'P', 'K'});
  CSRTM store(9, dir.withSlash());
  for (int pass = 0; pass < 3; ++pass) {
    EXPECT_EQ(store.heightAt(51.5, -1.5, false), 100);
    EXPECT_EQ(store.heightAt(51.5, -0.5, false), kMissing);  // n51w001: absent
    EXPECT_EQ(store.heightAt(52.5, -1.5, true), kMissing);   // n52w002: not a zip
  }
  ASSERT_EQ(store.missingTiles().size(), 2u);
  EXPECT_EQ(store.missingTiles()[0].name, "n51w001.hgt");
  EXPECT_EQ(store.missingTiles()[0].south, 51);
  EXPECT_EQ(store.missingTiles()[0].west, -1);
  EXPECT_EQ(store.missingTiles()[1].name, "n52w002.hgt");
  EXPECT_EQ(store.missingTiles()[1].file, "N52W002.hgt.zip");

  const std::string d = dir.withSlash();
  EXPECT_EQ(MissingTileText(store.missingTiles()[0], d),
            "Terrain tile n51w001.hgt is not in " + d + "; heights there read as 0 m");
  EXPECT_EQ(MissingTileText(store.missingTiles()[1], d),
            "Terrain tile N52W002.hgt.zip in " + d + " is damaged or holds no tile; heights there read as 0 m");
  EXPECT_EQ(MissingTilesText(store.missingTiles(), 1, d), MissingTileText(store.missingTiles()[1], d));
  EXPECT_EQ(MissingTilesText(store.missingTiles(), 2, d), "");
  EXPECT_EQ(MissingTilesText(store.missingTiles(), 0, d),
            MissingTileText(store.missingTiles()[0], d) + "; " + MissingTileText(store.missingTiles()[1], d));
  MissingTile wrongSize{-46, -66, "s46w066.hgt", "S46W066.hgt.gz", TileRead::kWrongSize};
  EXPECT_EQ(MissingTileText(wrongSize, ""),
            "Terrain tile S46W066.hgt.gz in the working directory is not a 3\" tile of 1201 x 1201 samples; heights "
            "there read as 0 m");
}
