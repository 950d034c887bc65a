#include "climate/Zones.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <utility>

namespace tarnvale {

using namespace zones;

namespace {

// std::trunc without a call into the maths library (every profile sample
// looks up a zone): after normalising, the quotients lie within a few cells
// of the map, far inside the range of a 32-bit conversion, which truncates
// the same way.
inline double truncated(double x) {
  return std::fabs(x) < 1e9 ? static_cast<double>(static_cast<std::int32_t>(x)) : std::trunc(x);
}

}  // namespace

CZONES::CZONES(std::string directory) : directory_(std::move(directory)) {
  if (directory_.empty())
    filePath_ = kFileName;
  else if (directory_.back() == '/')
    filePath_ = directory_ + kFileName;
  else
    filePath_ = directory_ + "/" + kFileName;
}

CZONES::~CZONES() { closeFile(); }

bool CZONES::normalise(double& latitude, double& longitude) {
  bool crossedSouthPole = false;
  while (latitude > kMaxLatitude) {
    latitude = kHalfTurnDeg - latitude;
    longitude -= kHalfTurnDeg;
  }
  while (latitude < -kMaxLatitude) {
    latitude = -kHalfTurnDeg - latitude;
    longitude -= kHalfTurnDeg;
    crossedSouthPole = true;
  }
  // Far-off longitudes are first brought within two turns by the exact
  // remainder, which gives the same value as turning one turn at a time.
  if (std::fabs(longitude) > 2.0 * kFullTurnDeg) longitude = std::fmod(longitude, kFullTurnDeg);
  while (longitude > kMaxLongitude) longitude -= kFullTurnDeg;
  while (longitude < -kMaxLongitude) longitude += kFullTurnDeg;
  return crossedSouthPole;
}

bool CZONES::openFile() const {
  const int fd = ::open(filePath_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  // Only what the file holds is mapped; a short file reads as 0 past its end.
  std::size_t bytes = static_cast<std::size_t>(info.st_size);
  if (bytes > kFileBytes) bytes = kFileBytes;
  if (bytes > 0) {
    void* p = ::mmap(nullptr, bytes, PROT_READ, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) {
      ::close(fd);
      return false;
    }
    map_ = static_cast<const unsigned char*>(p);
    mapBytes_ = bytes;
  }
  ::close(fd);  // the mapping keeps the file
  open_ = true;
  return true;
}

void CZONES::closeFile() const {
  if (map_) ::munmap(const_cast<unsigned char*>(map_), mapBytes_);
  map_ = nullptr;
  mapBytes_ = 0;
  open_ = false;
}

std::uint8_t CZONES::zoneAt(double latitude, double longitude) const {
  normalise(latitude, longitude);
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return kNoData;
  if (!open_ && !openFile()) return kNoData;
  const double row = truncated((kFirstLatitude - latitude) / kStepDeg + 0.5);
  const double column = truncated((longitude - kFirstLongitude) / kStepDeg + 0.5);
  if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return kNoData;
  const auto r = static_cast<std::size_t>(row);
  const auto c = static_cast<std::size_t>(column);
  const std::size_t offset = r * kBytesPerRow + c / kCellsPerByte;
  const unsigned byte = offset < mapBytes_ ? map_[offset] : 0u;
  const int shift = kFirstCellShift - kBitsPerCell * static_cast<int>(c % kCellsPerByte);
  return static_cast<std::uint8_t>((byte >> shift) & kCellMask);
}

const ZoneImage* CZONES::zoneImage(double west, double south, int columns, int rows, double step) {
  releaseImage();
  imageRows_ = rows;
  imageColumns_ = columns;
  if (!(step > 0.0) || rows <= 0 || columns <= 0) return nullptr;
  if (!std::isfinite(step) || !std::isfinite(west) || !std::isfinite(south)) return nullptr;
  const bool crossedSouthPole = normalise(south, west);
  try {
    image_.emplace();
    image_->rows = rows;
    image_->columns = columns;
    image_->codes.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
  } catch (const std::exception&) {  // bad_alloc, or length_error for a size no vector holds
    image_.reset();
    return nullptr;
  }
  double latitude = crossedSouthPole ? south : south + rows * step;
  std::uint8_t* cell = image_->codes.data();
  for (int r = 0; r < rows; ++r) {
    double longitude = west;
    for (int c = 0; c < columns; ++c) {
      *cell++ = zoneAt(latitude, longitude);
      longitude += step;
    }
    latitude -= step;
  }
  return &*image_;
}

void CZONES::releaseImage() { image_.reset(); }

}  // namespace tarnvale
