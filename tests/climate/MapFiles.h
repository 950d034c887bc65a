#pragma once
// Test helpers: a scratch directory that removes itself, and radio-climate map
// files written with chosen values.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "climate/ClimateConstants.h"

namespace tarnvale::testing {

/// A fresh directory under the system's temporary directory, removed with
/// everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = base / ("tarnvale-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(path_)) return;
    }
    ADD_FAILURE() << "cannot make a scratch directory under " << base;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
}

/// Writes @p lattice's rows x columns values value(row, column) as the map
/// files hold them: row by row, one row a line, "%.3f" separated by spaces.
/// @p dropLast leaves that many values off the end.
inline void WriteGrid(const std::filesystem::path& file, const climate::GridLattice& lattice,
                      const std::function<double(int row, int column)>& value, int dropLast = 0) {
  std::string text;
  text.reserve(static_cast<std::size_t>(lattice.rows) * lattice.columns * 9);
  long remaining = static_cast<long>(lattice.rows) * lattice.columns - dropLast;
  char buf[64];
  for (int r = 0; r < lattice.rows && remaining > 0; ++r) {
    for (int c = 0; c < lattice.columns && remaining > 0; ++c, --remaining) {
      std::snprintf(buf, sizeof buf, c ? " %.3f" : "%.3f", value(r, c));
      text += buf;
    }
    text += '\n';
  }
  WriteText(file, text);
}

/// Writes a map holding @p constant everywhere.
inline void WriteConstantGrid(const std::filesystem::path& file, const climate::GridLattice& lattice,
                              double constant) {
  WriteGrid(file, lattice, [constant](int, int) { return constant; });
}

/// The shared real-data directory, or empty when it is not there.
inline std::filesystem::path SharedData() {
  const char* dir = std::getenv("TARNVALE_SHARED_DATA");
  if (!dir || !*dir) return {};
  std::error_code ec;
  return std::filesystem::is_directory(dir, ec) ? std::filesystem::path(dir) : std::filesystem::path();
}

}  // namespace tarnvale::testing
