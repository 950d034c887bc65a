#include "climate/Zones.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <random>
#include <stdexcept>
#include <utility>

#include "io/Archive.h"
#include "io/Sha256.h"

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

// A gzip file of the map is about 766 kB; one of more than the map's own size
// cannot hold it and is not read into memory.
constexpr std::size_t kMaxArchiveBytes = kFileBytes;

/// Reads a whole (small) file into @p bytes; false when it cannot be read or
/// is larger than @p limit.
bool readWholeFile(const std::string& path, std::size_t limit, std::vector<unsigned char>& bytes) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uint64_t>(size) > limit) return false;
  try {
    bytes.resize(static_cast<std::size_t>(size));
  } catch (const std::exception&) {
    return false;
  }
  in.seekg(0);
  return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), size)) || size == 0;
}

/// Writes @p bytes to @p path through a temporary file in the same folder,
/// renamed into place only when whole, so that a reader never maps half a
/// map and processes unpacking at once each leave a whole file.
bool writeCacheFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) return false;
  std::random_device random;
  const std::filesystem::path temporary =
      path.string() + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(random());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, error);
      return false;
    }
  }
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace

std::filesystem::path ZoneCacheDirectory() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && *cache && std::filesystem::path(cache).is_absolute()) return std::filesystem::path(cache) / "tarnvale";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::filesystem::path(home) / ".cache" / "tarnvale";
  return {};
}

bool UnpackZoneArchive(const unsigned char* data, std::size_t size, const std::string& archivePath,
                       std::vector<unsigned char>& out, std::string& problem) {
  try {
    out.resize(kFileBytes);
  } catch (const std::exception&) {
    problem = "There is no memory to unpack the zone map " + archivePath +
              "; without it every sample counts as coastal land";
    return false;
  }
  MemorySource source(data, size);
  const TileRead read = ReadGzipTile(source, out.data(), kFileBytes);
  if (read == TileRead::kOk) return true;
  problem = "The zone map " + archivePath +
            (read == TileRead::kWrongSize ? " does not unpack to the 58,320,000 bytes of a whole map"
                                          : " is damaged (not a gzip file, cut short or failing its checksum)") +
            "; without it every sample counts as coastal land";
  return false;
}

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
  if (fd < 0) return errno == ENOENT && openArchive();
  ::close(fd);
  return mapFile(filePath_, false);
}

bool CZONES::openArchive() const {
  const std::string archive = archivePath();
  struct stat info {};
  if (::stat(archive.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const std::int64_t modified = std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
  // A damaged archive is not unpacked again at every lookup, only once it changed.
  if (info.st_size == failedArchiveSize_ && modified == failedArchiveTime_) return false;
  auto fail = [&] {
    failedArchiveSize_ = info.st_size;
    failedArchiveTime_ = modified;
    return false;
  };
  std::vector<unsigned char> packed;
  if (!readWholeFile(archive, kMaxArchiveBytes, packed)) {
    problem_ = "The zone map " + archive + " cannot be read or is not a zone map archive; without it every sample "
               "counts as coastal land";
    return fail();
  }
  const std::filesystem::path cacheDirectory = ZoneCacheDirectory();
  const std::string digest = Sha256Hex(packed.data(), packed.size());
  std::filesystem::path cache;
  if (!cacheDirectory.empty() && !digest.empty()) {
    cache = cacheDirectory / ("zones01-" + digest + ".dem");
    if (mapFile(cache.string(), true)) {
      problem_.clear();
      return true;
    }
  }
  std::vector<unsigned char> map;
  if (!UnpackZoneArchive(packed.data(), packed.size(), archive, map, problem_)) return fail();
  problem_.clear();
  if (!cache.empty() && writeCacheFile(cache, map) && mapFile(cache.string(), true)) return true;
  // No cache (a read-only home, no HOME): the map stays in memory.
  memory_ = std::move(map);
  map_ = memory_.data();
  mapBytes_ = memory_.size();
  open_ = true;
  return true;
}

bool CZONES::mapFile(const std::string& path, bool wholeMapOnly) const {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      (wholeMapOnly && static_cast<std::uint64_t>(info.st_size) != kFileBytes)) {
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
  if (!memory_.empty()) {
    memory_.clear();
    memory_.shrink_to_fit();
  } else if (map_) {
    ::munmap(const_cast<unsigned char*>(map_), mapBytes_);
  }
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
