#include "settings/ReplaceFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace tarnvale {

bool ReplaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* reason) {
  const std::string temporary = path + ".tmp";
  const auto fail = [&](int error) {
    if (reason) *reason = std::strerror(error);
    return false;
  };
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) return fail(errno);
  int error = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() && !error) error = errno;
  if (std::fflush(f) != 0 && !error) error = errno;
  if (::fsync(fileno(f)) != 0 && !error) error = errno;
  if (std::fclose(f) != 0 && !error) error = errno;
  if (!error && std::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error) {
    std::remove(temporary.c_str());
    return fail(error);
  }
  return true;
}

}  // namespace tarnvale
