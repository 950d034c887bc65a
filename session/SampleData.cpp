#include "session/SampleData.h"

#include <array>
#include <string_view>

#include "session/Session.h"

namespace tarnvale {

namespace {

// The file names CRefractivity reads; the upper-case ones as the maps are published.
constexpr std::array<std::string_view, 8> kClimateFiles = {"n0.txt",      "dn.txt",      "DNDZ_90.TXT",
                                                           "DNDZ_50.TXT", "DNDZ_10.TXT", "DNDZ_01.TXT",
                                                           "S_OCCUR.TXT", "E_OCCUR.TXT"};

}  // namespace

std::filesystem::path FindSampleDirectory(const std::filesystem::path& executableDirectory) {
  if (executableDirectory.empty()) return {};
  std::error_code error;
  const std::filesystem::path sample =
      std::filesystem::weakly_canonical(executableDirectory / ".." / "share" / "tarnvale" / "sample", error);
  if (error || !std::filesystem::is_directory(sample, error)) return {};
  return Session::HasTerrainTiles(sample.string()) ? sample : std::filesystem::path();
}

bool HasClimateMaps(const std::filesystem::path& directory) {
  std::error_code error;
  const std::filesystem::path dir = directory.empty() ? std::filesystem::path(".") : directory;
  for (std::string_view name : kClimateFiles)
    if (std::filesystem::is_regular_file(dir / name, error)) return true;
  return false;
}

std::filesystem::path ChooseClimateDirectory(const std::filesystem::path& workingDirectory,
                                             const std::filesystem::path& sampleDirectory) {
  if (HasClimateMaps(workingDirectory) || sampleDirectory.empty() || !HasClimateMaps(sampleDirectory)) return {};
  return sampleDirectory;
}

}  // namespace tarnvale
