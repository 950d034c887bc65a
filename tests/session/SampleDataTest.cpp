#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "session/SampleData.h"
#include "support/DataFiles.h"

namespace tarnvale {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "x";
}

// An installed layout: prefix/bin/tarnvale and prefix/share/tarnvale/sample.
TEST(SampleData, FoundBesideTheProgramOnlyWhenItHoldsTiles) {
  test::TempDir prefix;
  const fs::path bin = fs::path(prefix.path()) / "bin";
  fs::create_directories(bin);
  const fs::path sample = fs::path(prefix.path()) / "share" / "tarnvale" / "sample";
  fs::create_directories(sample);
  EXPECT_TRUE(FindSampleDirectory(bin).empty()) << "a sample folder without tiles is no sample";
  Touch(sample / "N51W002.hgt");
  EXPECT_EQ(FindSampleDirectory(bin), fs::weakly_canonical(sample));
  EXPECT_TRUE(FindSampleDirectory({}).empty());
  test::TempDir elsewhere;
  EXPECT_TRUE(FindSampleDirectory(fs::path(elsewhere.path()) / "bin").empty());
}

TEST(SampleData, ClimateMapsComeFromTheWorkingDirectoryFirst) {
  test::TempDir work;
  test::TempDir sample;
  EXPECT_TRUE(ChooseClimateDirectory(work.path(), sample.path()).empty()) << "neither holds maps";
  Touch(fs::path(sample.path()) / "n0.txt");
  EXPECT_EQ(ChooseClimateDirectory(work.path(), sample.path()), fs::path(sample.path()));
  EXPECT_TRUE(ChooseClimateDirectory(work.path(), {}).empty());
  Touch(fs::path(work.path()) / "DNDZ_50.TXT");
  EXPECT_TRUE(ChooseClimateDirectory(work.path(), sample.path()).empty()) << "the working directory wins";
}

}  // namespace
}  // namespace tarnvale
