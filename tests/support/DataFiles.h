#pragma once
// Small data files made by the tests themselves: temporary directories,
// synthetic SRTM tiles and sparse zone maps.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <stdlib.h>

#include <cstdlib>

namespace tarnvale::test {

/// A fresh directory under the system's temporary directory, removed with
/// everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnvale-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  /// The path with a trailing separator, as the program's settings hold it.
  std::string withSlash() const { return path_.string() + "/"; }

 private:
  std::filesystem::path path_;
};

inline constexpr int kTileEdge = 1201;

/// Heights of a synthetic tile, row 0 the northern edge, in host order.
struct Tile {
  std::vector<std::int16_t> samples;
  explicit Tile(std::int16_t fill = 0) : samples(std::size_t{kTileEdge} * kTileEdge, fill) {}
  std::int16_t& at(int row, int column) { return samples[std::size_t(row) * kTileEdge + column]; }
};

/// Writes @p tile as an .hgt file (big-endian), cut to @p bytes when given.
inline void WriteTile(const std::filesystem::path& file, const Tile& tile, std::size_t bytes = SIZE_MAX) {
  std::vector<char> out(tile.samples.size() * 2);
  for (std::size_t i = 0; i < tile.samples.size(); ++i) {
    const auto v = static_cast<std::uint16_t>(tile.samples[i]);
    out[2 * i] = static_cast<char>(v >> 8);
    out[2 * i + 1] = static_cast<char>(v & 0xff);
  }
  if (bytes < out.size()) out.resize(bytes);
  std::ofstream f(file, std::ios::binary | std::ios::trunc);
  f.write(out.data(), static_cast<std::streamsize>(out.size()));
}

inline constexpr std::uint64_t kZoneFileBytes = 58320000;
inline constexpr int kZoneBytesPerRow = 5400;

/// A zones01.dem of full length that holds only the given bytes (the rest
/// reads as 0 and takes no disk space).
inline void WriteSparseZones(const std::filesystem::path& file,
                             const std::vector<std::pair<std::uint64_t, std::uint8_t>>& bytes,
                             std::uint64_t length = kZoneFileBytes) {
  { std::ofstream create(file, std::ios::binary | std::ios::trunc); }
  std::filesystem::resize_file(file, length);
  std::fstream f(file, std::ios::binary | std::ios::in | std::ios::out);
  for (const auto& [offset, value] : bytes) {
    f.seekp(static_cast<std::streamoff>(offset));
    f.put(static_cast<char>(value));
  }
}

/// The sample folder of the source tree (data/sample), which every clone holds.
inline std::filesystem::path SampleData() { return TARNVALE_SAMPLE_DIR; }

/// The shared real data directory given by CTest, or empty.
inline std::filesystem::path SharedData() {
  const char* dir = std::getenv("TARNVALE_SHARED_DATA");
  if (!dir || !*dir || !std::filesystem::is_directory(dir)) return {};
  return dir;
}

}  // namespace tarnvale::test
