#pragma once
// A terrain directory made of the shared real tiles (linked) and the real zone
// map (unpacked), for tests that run whole paths over real ground.
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/DataFiles.h"

namespace tarnvale::test {

/// Fills @p dir with links to the shared .hgt tiles and an unpacked
/// zones01.dem. @p cells receives the south-west corners of the tiles.
/// False when the shared data is absent.
inline bool MakeRealTerrain(const TempDir& dir, std::vector<std::pair<int, int>>* cells = nullptr) {
  const auto data = SharedData();
  if (data.empty() || !std::filesystem::is_directory(data / "srtm")) return false;
  int tiles = 0;
  for (const auto& entry : std::filesystem::directory_iterator(data / "srtm")) {
    const std::string name = entry.path().filename().string();
    if (name.size() != 11 || entry.path().extension() != ".hgt") continue;
    std::filesystem::create_symlink(entry.path(), dir.path() / name);
    ++tiles;
    const int lat = std::stoi(name.substr(1, 2)) * (name[0] == 'S' || name[0] == 's' ? -1 : 1);
    const int lon = std::stoi(name.substr(4, 3)) * (name[3] == 'W' || name[3] == 'w' ? -1 : 1);
    if (cells) cells->emplace_back(lat, lon);
  }
  gzFile in = gzopen((data / "zones" / "zones01.dem.gz").c_str(), "rb");
  if (!in) return false;
  std::ofstream out(dir.path() / "zones01.dem", std::ios::binary);
  std::vector<char> buffer(1 << 20);
  int n = 0;
  while ((n = gzread(in, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) out.write(buffer.data(), n);
  gzclose(in);
  return tiles > 0;
}

/// The shared radio-climate maps' directory (with a trailing '/'), or empty.
inline std::string RealClimateDirectory() {
  const auto data = SharedData();
  return data.empty() ? std::string() : (data / "climate").string() + "/";
}

}  // namespace tarnvale::test
