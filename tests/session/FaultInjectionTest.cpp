// Faults from outside the program: killed in the middle of "Save input data",
// the terrain directory taken away while it runs, climate files that cannot
// be read.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "model/ModelDriver.h"
#include "session/ClimateTexts.h"
#include "session/Session.h"
#include "settings/SettingsRecord.h"
#include "support/DataFiles.h"

using namespace tarnvale;

namespace {

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

SettingsRecord Inputs(const std::string& tx, double frequency, std::size_t directoryLength) {
  SettingsRecord r;
  r.terrainDirectory = "/" + std::string(directoryLength, 't') + "/";  // long texts: a bigger file to tear
  r.startLoc = tx;
  r.endLoc = "IO91LM10";
  r.frequency = frequency;
  return r;
}

}  // namespace

TEST(FaultInjection, KilledWhileSavingLeavesTheOldOrTheNewFileWhole) {
  test::TempDir dir;
  const std::string path = (dir.path() / "profile.ini").string();
  const SettingsRecord oldInputs = Inputs("IO91JO26", 10.368, 40000);
  const SettingsRecord newInputs = Inputs("JO01AA00", 24.0, 60000);
  const auto oldBytes = EncodeSettings(oldInputs), newBytes = EncodeSettings(newInputs);
  ASSERT_TRUE(SaveSettingsFile(path, oldInputs));

  std::mt19937 rng(13);
  int sawOld = 0, sawNew = 0;
  for (int round = 0; round < 40; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Save over and over, alternating, until killed.
      for (int i = 0;; ++i) SaveSettingsFile(path, i % 2 ? oldInputs : newInputs);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20000)(rng)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    const auto bytes = ReadAll(path);
    const bool isOld = bytes == oldBytes, isNew = bytes == newBytes;
    ASSERT_TRUE(isOld || isNew) << "round " << round << ": " << bytes.size() << " bytes, a mix";
    sawOld += isOld;
    sawNew += isNew;
    SettingsRecord back;
    ASSERT_TRUE(LoadSettingsFile(path, back));
    EXPECT_EQ(back.startLoc, isOld ? "IO91JO26" : "JO01AA00");
  }
  // A half-written temporary file left by the kill does not stop the next save.
  ASSERT_TRUE(SaveSettingsFile(path, oldInputs));
  EXPECT_EQ(ReadAll(path), oldBytes);
  std::printf("killed 40 times while saving: old file %d times, new file %d times\n", sawOld, sawNew);
}

TEST(FaultInjection, TerrainDirectoryRemovedWhileRunningGivesMissingData) {
  auto terrain = std::make_unique<test::TempDir>();
  test::Tile tile(120);
  test::WriteTile(terrain->path() / "n51w002.hgt", tile);
  test::WriteTile(terrain->path() / "n52w002.hgt", tile);
  test::WriteSparseZones(terrain->path() / "zones01.dem", {{0, 0xff}});
  test::TempDir climate;
  Session session(climate.str());
  ASSERT_EQ(session.CreateDataObjects(terrain->withSlash()), StartupFailure::kNone);
  InputValues f;
  CalculateOutcome out = session.CalculateEnds(CLocator(51.2, -1.5), CLocator(51.4, -1.5), f);
  ASSERT_TRUE(out.pathValid);
  EXPECT_EQ(out.startHeight, "TX ASL 120 m");

  std::filesystem::remove_all(terrain->path());
  // The tile in memory still answers; the tile not yet read is missing data;
  // the zone map stays readable through its mapping.
  out = session.CalculateEnds(CLocator(51.2, -1.5), CLocator(52.4, -1.5), f);
  EXPECT_EQ(out.startHeight, "TX ASL 120 m");
  EXPECT_EQ(out.endHeight, "RX Sea or missing data");
  EXPECT_TRUE(out.pathValid);
  for (const std::string& line : out.table) EXPECT_EQ(line.find("nan"), std::string::npos);
  // Far away, with nothing in memory: a path over missing data, no crash.
  out = session.CalculateEnds(CLocator(10.2, 10.5), CLocator(10.4, 10.5), f);
  EXPECT_EQ(out.startHeight, "TX Sea or missing data");
  EXPECT_TRUE(out.pathValid);
  // A store made after the removal works as with an empty directory.
  ASSERT_EQ(session.CreateDataObjects(terrain->withSlash()), StartupFailure::kNone);
  EXPECT_EQ(session.terrain()->heightAt(51.2, -1.5, false), session.terrain()->missingValue());
  EXPECT_EQ(session.zones()->zoneAt(51.2, -1.5), zones::kNoData);
}

TEST(FaultInjection, UnreadableClimateFilesGiveTheDefaults) {
  test::TempDir terrain;
  // Every way a map can fail to read: a directory in its place, binary junk,
  // a file cut short, an empty file.
  const char* names[] = {"n0.txt", "dn.txt", "DNDZ_01.TXT", "DNDZ_10.TXT", "DNDZ_50.TXT", "DNDZ_90.TXT"};
  for (int variant = 0; variant < 4; ++variant) {
    test::TempDir climate;
    for (const char* name : names) {
      const auto file = climate.path() / name;
      if (variant == 0) std::filesystem::create_directory(file);
      if (variant == 1) std::ofstream(file, std::ios::binary) << std::string("\x00\xff\x13\x37junk\x00", 10);
      if (variant == 2) std::ofstream(file) << "320.5 321.0 322.5\n";
      if (variant == 3) std::ofstream(file) << "";
    }
    Session session(climate.str());
    ASSERT_EQ(session.CreateDataObjects(terrain.withSlash()), StartupFailure::kNone);
    InputValues f;
    const CLocator tx(51.2, -1.5), rx(51.4, -1.5);
    const CalculateOutcome out = session.CalculateEnds(tx, rx, f);
    ASSERT_TRUE(out.pathValid) << variant;
    // The stored pair of a first run: 320 and 45, and the K factor field shows 157 / 112.
    EXPECT_EQ(session.model()->results().N0, 320.0) << variant;
    EXPECT_EQ(session.model()->results().deltaN, 45.0) << variant;
    ASSERT_TRUE(out.kFactor);
    EXPECT_DOUBLE_EQ(*out.kFactor, 157.0 / 112.0);
    // The Mechanisms curves: 320 and 40.
    const auto points = MechanismCurves(
        ModelData{*session.model(), *session.terrain(), *session.zones(), session.climate()}, tx, rx, ModelInputs{});
    EXPECT_TRUE(points.back().ok);
    EXPECT_EQ(session.model()->results().N0, 320.0);
    EXPECT_EQ(session.model()->results().deltaN, 40.0);
    // The Radio Refractivity Data page: "No data" for each map.
    const ClimatePageTexts page = ClimatePage(session.climate(), tx, rx, 50.0);
    EXPECT_EQ(page.transmitter.n0, "No data") << variant;
    EXPECT_EQ(page.transmitter.deltaN, "No data") << variant;
    EXPECT_EQ(page.receiver.n0, "No data") << variant;
    EXPECT_EQ(page.kFactor, "Defaulting to 1.333") << variant;
  }
}
