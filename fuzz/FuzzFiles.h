#pragma once
// A private scratch directory per fuzzing process, where a target writes the
// input as the data file its reader opens.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tarnvale::fuzz {

/// The scratch directory, with a trailing '/', made at first use (in /dev/shm
/// when it exists, so that the many writes stay in memory).
inline const std::string& ScratchDir() {
  static const std::string dir = [] {
    std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
    pattern += "/tarnvale-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern + "/";
  }();
  return dir;
}

/// Writes @p size bytes as the file @p name of the scratch directory and gives its path.
inline std::string WriteScratch(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = ScratchDir() + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

/// Reads little pieces of the input one after another; zero once it runs out.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  /// A double anywhere in [lo, hi], from two bytes.
  double within(double lo, double hi) {
    const unsigned v = (unsigned{byte()} << 8) | byte();
    return lo + (hi - lo) * v / 65535.0;
  }
  const std::uint8_t* rest() const { return data_ + pos_; }
  std::size_t restSize() const { return size_ - pos_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace tarnvale::fuzz
