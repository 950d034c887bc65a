#pragma once
// A scratch directory that a test can make read-only. A process with the
// power to ignore permissions (root, as in some CI containers) could still
// write into it, so the temporary names the savers use are then taken by
// directories as well: the write fails either way, as it would for a user.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <random>
#include <string>

#include <unistd.h>

namespace tarnvale::test {

class ReadOnlyDirectory {
 public:
  ReadOnlyDirectory() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = base / ("tarnvale-readonly-" + std::to_string(random()));
      if (std::filesystem::create_directory(path_)) return;
    }
    ADD_FAILURE() << "cannot make a scratch directory under " << base;
  }
  ~ReadOnlyDirectory() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ReadOnlyDirectory(const ReadOnlyDirectory&) = delete;
  ReadOnlyDirectory& operator=(const ReadOnlyDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

  /// Takes away write permission; @p files are the names saves will target.
  void makeReadOnly(std::initializer_list<const char*> files) { MakeReadOnly(path_, files); }

  /// The same for any directory @p dir; MakeWritable undoes it.
  static void MakeReadOnly(const std::filesystem::path& dir, std::initializer_list<const char*> files) {
    if (::geteuid() == 0)
      for (const char* name : files) std::filesystem::create_directory(dir / (std::string(name) + ".tmp"));
    std::filesystem::permissions(dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  }
  static void MakeWritable(const std::filesystem::path& dir) {
    std::error_code ignored;
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ignored);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace tarnvale::test
