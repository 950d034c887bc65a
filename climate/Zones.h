#pragma once
// CZONES: the world map of radio-climatic zones (sea, coastal land, inland)
// read from zones01.dem, or from zones01.dem.gz as the map is shipped.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "climate/ZoneImage.h"

namespace tarnvale {

/// Layout of zones01.dem and the zone codes.
namespace zones {

inline constexpr std::uint8_t kNone = 0;
inline constexpr std::uint8_t kSea = 1;
inline constexpr std::uint8_t kCoastalLand = 2;
inline constexpr std::uint8_t kInland = 3;
/// Outside the map, or the file could not be read.
inline constexpr std::uint8_t kNoData = 255;

inline constexpr const char* kFileName = "zones01.dem";
/// The same map packed with gzip (766 kB instead of 58 MB); read where the
/// plain file is absent.
inline constexpr const char* kArchiveName = "zones01.dem.gz";
inline constexpr int kRows = 10800;     ///< one-arc-minute rows, row 0 northernmost
inline constexpr int kColumns = 21600;  ///< one-arc-minute cells from 180 W eastwards
inline constexpr int kCellsPerByte = 4;
inline constexpr int kBitsPerCell = 2;
inline constexpr int kBytesPerRow = kColumns / kCellsPerByte;  ///< 5400
inline constexpr std::size_t kFileBytes = std::size_t{kBytesPerRow} * kRows;  ///< 58 320 000
/// The two bits of a cell, once shifted down.
inline constexpr unsigned kCellMask = 3;
/// Shift of the westernmost of the four cells of a byte (bits 7-6).
inline constexpr int kFirstCellShift = 6;

inline constexpr double kStepDeg = 1.0 / 60.0;                  ///< one arc-minute
inline constexpr double kFirstLatitude = 90.0 - kStepDeg / 2;   ///< centre of row 0
inline constexpr double kFirstLongitude = -180.0 + kStepDeg / 2;  ///< centre of column 0

inline constexpr double kMaxLatitude = 90.0;
inline constexpr double kMaxLongitude = 180.0;
inline constexpr double kHalfTurnDeg = 180.0;
inline constexpr double kFullTurnDeg = 360.0;

}  // namespace zones

/// Answers which radio-climatic zone a point lies in, from the one-arc-minute
/// world map zones01.dem (10800 rows x 21600 cells, two bits a cell, four
/// cells a byte, no header) in one directory.
///
/// The file is opened at the first lookup and mapped read-only; every lookup
/// reads the one byte of its cell, and nothing of the file is copied. While
/// the file cannot be opened every lookup answers zones::kNoData (255) and
/// the next lookup tries again.
///
/// Where the directory holds no zones01.dem but zones01.dem.gz, the archive
/// is unpacked once into a cache file, ZoneCacheDirectory()/zones01-<sha256
/// of the archive>.dem, written under a temporary name and renamed into place
/// when whole, and that file is mapped; later objects and later runs map it
/// at once (checked by its size; its name changes with the archive's
/// content). Where no cache can be written, the map is unpacked into memory.
/// An archive that is damaged or does not unpack to a whole map leaves the
/// object without a zone map, as a missing file does, and problem() says so;
/// it is not unpacked again until the archive changes. Lookups never throw.
///
/// Memory: the mapping is address space backed by the file (58 320 000 bytes,
/// paged in only where looked up), or 58 320 000 bytes of memory when the
/// archive could not be cached; the image of the last zoneImage takes one
/// byte a cell.
///
/// Thread safety: none. zoneAt is const but opens the file on first use; use
/// one object from one thread at a time. Copying is deleted.
class CZONES {
 public:
  /// Sets the file path; the file is not opened yet.
  /// @param directory directory of zones01.dem, with or without a trailing
  ///        '/'; empty for the working directory
  explicit CZONES(std::string directory);
  /// Closes the file and frees the image.
  virtual ~CZONES();
  CZONES(const CZONES&) = delete;
  CZONES& operator=(const CZONES&) = delete;

  /// Zone code of the cell holding a point, after normalise.
  /// @param latitude degrees, north positive
  /// @param longitude degrees, east positive
  /// @return zones::kSea, kCoastalLand, kInland (kNone where the map holds
  ///         0 or the file is short of the cell), or kNoData outside the map
  ///         (only exactly 180 E after normalising), for a point that is not
  ///         finite, or while the file cannot be read
  std::uint8_t zoneAt(double latitude, double longitude) const;

  /// Fills an image of zone codes sampled at the north-west corners of its
  /// cells, replacing any image held. Row 0 lies at south + rows x step (at
  /// south itself when the corner was folded over the South Pole), each
  /// following row one step further south; within a row the samples start at
  /// the western longitude and advance east one step at a time.
  /// @param west longitude of column 0 (degrees)
  /// @param south southern latitude of the area (degrees)
  /// @param columns, rows image size (cells)
  /// @param step spacing of the cells (degrees)
  /// @return the image, or nullptr for a step or size that is not positive, a
  ///         corner that is not finite, or out of memory
  const ZoneImage* zoneImage(double west, double south, int columns, int rows, double step);
  /// Frees the image; image() is null again.
  void releaseImage();
  /// The image of the last zoneImage, or nullptr.
  const ZoneImage* image() const { return image_ ? &*image_ : nullptr; }
  int imageRows() const { return imageRows_; }        ///< as asked of the last zoneImage
  int imageColumns() const { return imageColumns_; }  ///< as asked of the last zoneImage

  /// Brings a point onto the map: a latitude beyond a pole is reflected back
  /// and the longitude moved half a turn, then the longitude is turned into
  /// -180..180.
  /// @param latitude degrees, changed in place
  /// @param longitude degrees, changed in place
  /// @return true when the latitude was reflected at the South Pole
  static bool normalise(double& latitude, double& longitude);

  /// directory + "/zones01.dem".
  const std::string& filePath() const { return filePath_; }
  /// directory + "/zones01.dem.gz".
  std::string archivePath() const { return filePath_ + ".gz"; }
  /// True once the file has been opened.
  bool isOpen() const { return open_; }
  /// Why the zone map in the directory is not used, in one sentence for the
  /// user ("The zone map /data/zones01.dem.gz is damaged; …"), or empty. Only
  /// a damaged archive is reported here; a directory without any zone map is
  /// the caller's to mention.
  const std::string& problem() const { return problem_; }

 private:
  bool openFile() const;
  bool mapFile(const std::string& path, bool wholeMapOnly) const;
  bool openArchive() const;
  void closeFile() const;

  std::optional<ZoneImage> image_;
  int imageRows_ = 0, imageColumns_ = 0;
  std::string directory_;
  std::string filePath_;
  mutable bool open_ = false;
  mutable const unsigned char* map_ = nullptr;
  mutable std::size_t mapBytes_ = 0;
  // The unpacked archive when no cache file could be written.
  mutable std::vector<unsigned char> memory_;
  mutable std::string problem_;
  // Size and modification time (ns) of the archive that failed to unpack.
  mutable std::int64_t failedArchiveSize_ = -1;
  mutable std::int64_t failedArchiveTime_ = 0;
};

/// The folder of the unpacked zone map: $XDG_CACHE_HOME/tarnvale when that is
/// an absolute path, else $HOME/.cache/tarnvale; empty when neither is set.
std::filesystem::path ZoneCacheDirectory();

/// Unpacks a zone-map archive held in memory into @p out (resized to the
/// map's 58 320 000 bytes, its contents meaningless after a failure). False,
/// with the sentence problem() would give for @p archivePath in @p problem,
/// when it is not a gzip file, fails its own checksum, is cut short or
/// unpacks to anything but one whole map.
bool UnpackZoneArchive(const unsigned char* data, std::size_t size, const std::string& archivePath,
                       std::vector<unsigned char>& out, std::string& problem);

}  // namespace tarnvale
