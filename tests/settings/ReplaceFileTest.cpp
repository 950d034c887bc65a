// Files the user keeps are replaced whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "session/ProfileExport.h"
#include "settings/ReplaceFile.h"
#include "settings/SettingsRecord.h"
#include "support/ReadOnlyDirectory.h"

namespace tarnvale {
namespace {

std::string slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ReplaceFile, WritesTheNewContentsAndLeavesNoTemporary) {
  test::ReadOnlyDirectory dir;  // writable until made read-only
  const auto file = dir.path() / "profile.dat";
  std::ofstream(file) << "old";
  std::string reason;
  ASSERT_TRUE(WriteProfileTable(file.string(), {"meters", "0, 87"}, &reason)) << reason;
  EXPECT_EQ(slurp(file), "meters\r\n0, 87\r\n\n");
  EXPECT_FALSE(std::filesystem::exists(file.string() + ".tmp"));
}

TEST(ReplaceFile, FailureInAReadOnlyDirectoryKeepsTheOldFileAndSaysWhy) {
  test::ReadOnlyDirectory dir;
  const auto table = dir.path() / "profile.dat";
  const auto settings = dir.path() / "profile.ini";
  std::ofstream(table) << "old table";
  std::ofstream(settings) << "old settings";
  dir.makeReadOnly({"profile.dat", "profile.ini"});

  std::string reason;
  EXPECT_FALSE(WriteProfileTable(table.string(), {"meters", "0, 87"}, &reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(slurp(table), "old table");

  reason.clear();
  EXPECT_FALSE(SaveSettingsFile(settings.string(), SettingsRecord{}, &reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(slurp(settings), "old settings");
}

TEST(ReplaceFile, FailureMessageNamesTheFileAndTheReason) {
  EXPECT_EQ(SaveFailedText("/data/profile.dat", "Permission denied"),
            "Could not save /data/profile.dat: Permission denied");
}

}  // namespace
}  // namespace tarnvale
