#include "io/OutputFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tarnvale {

bool CanWriteFile(const std::string& path, std::string& why) {
  namespace fs = std::filesystem;
  const auto fail = [&](const std::string& reason) {
    why = "cannot write '" + path + "': " + reason;
    return false;
  };
  if (path.empty()) return fail("no file name");
  std::error_code error;
  const fs::path file(path);
  if (fs::is_directory(file, error)) return fail("it is a folder");
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  if (!fs::exists(folder, error)) return fail("the folder " + folder.string() + " does not exist");
  if (!fs::is_directory(folder, error)) return fail(folder.string() + " is not a folder");
  // Files are written under a temporary name in the same folder and renamed
  // into place, so the folder must take new files.
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return fail(std::strerror(errno));
  if (fs::exists(file, error) && ::access(file.c_str(), W_OK) != 0) return fail(std::strerror(errno));
  return true;
}

}  // namespace tarnvale
