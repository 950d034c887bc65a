// The command line loads GDAL only for the commands that need it, and a
// missing module fails those commands with a reason instead of the program.
// Each case runs in a fresh child process, where nothing is loaded yet.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "exports/GdalModule.h"
#include "cli/RunCli.h"

namespace tarnvale {
namespace {

bool mapped(const std::string& library) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.find(library) != std::string::npos) return true;
  return false;
}

class GdalModule : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(GdalModule, LoadedOnlyWhenACommandNeedsIt) {
  EXPECT_EXIT(
      {
        // A command without rasters leaves GDAL out of the process.
        const test::CliResult r = test::RunCli({"range", "--tx", "51 -1", "--rx", "51.1 -1", "--format", "deg"});
        if (r.status != 0 || mapped("libgdal")) std::_Exit(1);
        std::string error;
        if (!gdal::Api(error)) std::_Exit(2);
        std::_Exit(mapped("libgdal") ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(GdalModule, AMissingModuleFailsOnlyTheCommandsThatNeedIt) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tarnvale-gdal-module-test";
  std::filesystem::create_directories(dir);
  const std::string input = (dir / "0-site.tif").string();
  std::ofstream(input) << "not read";
  EXPECT_EXIT(
      {
        ::setenv("TARNVALE_GDAL_MODULE", "/nonexistent/libtarnvale-gdal.so", 1);
        const test::CliResult mosaic = test::RunCli({"mosaic", input, "--out", (dir / "best.tif").string()});
        if (mosaic.status != 1 || mosaic.err.find("GDAL module") == std::string::npos) std::_Exit(1);
        const ImportResult imported = gdal::ImportDem({input}, dir.string());
        if (imported.ok || imported.error.find("GDAL module") == std::string::npos) std::_Exit(2);
        const test::CliResult range = test::RunCli({"range", "--tx", "51 -1", "--rx", "51.1 -1", "--format", "deg"});
        std::_Exit(range.status == 0 && !std::filesystem::exists(dir / "best.tif") ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tarnvale
