#pragma once
// The real data the benchmarks run over: the shared test data folder, with
// the zone map unpacked once into a temporary directory.
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>

namespace tarnvale::bench {

namespace fs = std::filesystem;

inline fs::path sharedData() {
  const char* env = std::getenv("TARNVALE_SHARED_DATA");
  return (env && *env) ? fs::path(env) : fs::path(TARNVALE_DEFAULT_SHARED_DATA);
}

inline fs::path srtmDir() { return sharedData() / "srtm"; }
inline bool haveTiles() { return fs::exists(srtmDir() / "N51W002.hgt"); }

// zones01.dem unpacked once into a temporary directory for the whole run.
class UnpackedZones {
 public:
  UnpackedZones() {
    const fs::path packed = sharedData() / "zones" / "zones01.dem.gz";
    std::string pattern = (fs::temp_directory_path() / "tarnvale-bench-XXXXXX").string();
    if (!fs::exists(packed) || !::mkdtemp(pattern.data())) return;
    dir_ = pattern;
    gzFile in = gzopen(packed.c_str(), "rb");
    if (!in) return;
    std::ofstream out(dir_ / "zones01.dem", std::ios::binary);
    std::vector<char> buffer(1 << 20);
    int n = 0;
    while ((n = gzread(in, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) out.write(buffer.data(), n);
    gzclose(in);
    ok_ = out.good();
  }
  ~UnpackedZones() {
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }
  bool ok() const { return ok_; }
  std::string dir() const { return dir_.string(); }

 private:
  fs::path dir_;
  bool ok_ = false;
};

inline UnpackedZones& zonesFile() {
  static UnpackedZones zones;
  return zones;
}

}  // namespace tarnvale::bench
