#pragma once
// CSites and CSite: a site list file of named places (NAME~LOCATION lines,
// the location an OS National Grid reference or a Maidenhead locator).
#include <cstdio>
#include <string>
#include <vector>

namespace tarnvale {

/// One accepted site: its name as written and its WGS84 position.
class CSite {
 public:
  CSite() = default;
  /// @param name the text before the first '~', kept exactly
  /// @param latitude degrees, north positive
  /// @param longitude degrees, east positive
  CSite(std::string name, double latitude, double longitude)
      : name_(std::move(name)), latitude_(latitude), longitude_(longitude) {}
  virtual ~CSite() = default;

  const std::string& name() const { return name_; }
  double latitude() const { return latitude_; }
  double longitude() const { return longitude_; }

 private:
  std::string name_;
  double latitude_ = 0.0;
  double longitude_ = 0.0;
};

/// Site list file constants.
namespace sites {
/// Lines are read through a buffer of this many bytes, its terminating zero
/// included: a longer line is read as several lines of at most 253 bytes.
inline constexpr int kLineBuffer = 254;
/// A location field must be longer than this (after trimming).
inline constexpr std::size_t kMinFieldLength = 5;
inline constexpr char kSeparator = '~';
}  // namespace sites

/// How one line of a site list is read.
struct SiteLine {
  bool accepted = false;
  std::string name;      ///< text before the first '~' (empty without one)
  std::string location;  ///< the location text kept: the leading run of A-Z and 0-9
  int format = -1;       ///< InputFormat code: 0 locator, 1 grid reference
  double latitude = 0.0, longitude = 0.0;  ///< degrees, when accepted
};

/// Applies the location field rules to one line as read (line end included
/// or not): trimmed and upper-cased, longer than 5 characters, the leading
/// run of letters and digits 6 to 16 characters long; a grid reference (the
/// fifth character not a letter: two letters of the National Grid squares
/// and 4 to 10 digits) or a Maidenhead locator; and a location that the
/// location parser accepts, so that a locator longer than it reads (14 or
/// 16 characters) is refused rather than kept at 0, 0.
SiteLine ReadSiteLine(const std::string& line);

/// The loaded site list: the accepted sites in file order.
///
/// Reading never throws: a file that cannot be opened leaves an empty list
/// that is not loaded. Memory: one CSite per accepted line. Copying is
/// deleted; one object is used from one thread at a time.
class CSites {
 public:
  /// Reads @p fileName (binary, lines through a 254-byte buffer).
  explicit CSites(std::string fileName);
  virtual ~CSites() = default;
  CSites(const CSites&) = delete;
  CSites& operator=(const CSites&) = delete;

  const std::string& fileName() const { return fileName_; }
  /// True when at least one site was accepted.
  bool loaded() const { return loaded_; }
  /// Number of accepted sites.
  int count() const { return count_; }
  /// The site at @p index (0 <= index < count()).
  const CSite& item(int index) const { return records_[static_cast<std::size_t>(index)]; }

 private:
  std::string fileName_;
  bool loaded_ = false;
  int count_ = 0;
  std::vector<CSite> records_;
};

/// Reads the next line of @p file as a 254-byte line buffer does: up to and
/// including the next line feed, but at most 253 bytes. False at end of file.
bool ReadBufferedLine(std::FILE* file, std::string& line);

}  // namespace tarnvale
