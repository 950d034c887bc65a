#pragma once
// Reading the bytes of a data file (a terrain tile, the zone map) from a plain
// file, a gzip file or a zip archive, as such files are distributed. Every
// reader is bounded by the size the caller expects: a file that would unpack
// to more or fewer bytes is refused before or while it is unpacked, so a
// damaged or hostile archive can neither overrun the buffer nor make the
// program unpack more than the one file it asked for.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace tarnvale {

/// Outcome of reading one tile file.
enum class TileRead {
  kOk,         ///< exactly the expected bytes arrived
  kAbsent,     ///< no such file (or not a regular file)
  kWrongSize,  ///< readable, but holds more or fewer bytes than one tile
  kDamaged,    ///< not a valid gzip or zip file, a failed checksum, or no tile inside
};

/// Random access to the bytes of a file or of a memory block.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  /// Total length in bytes.
  virtual std::uint64_t size() const = 0;
  /// Copies @p count bytes from @p offset to @p destination; false when they
  /// are not all there.
  virtual bool read(std::uint64_t offset, void* destination, std::size_t count) = 0;
};

/// A block of memory as a ByteSource (not copied; must outlive the source).
class MemorySource final : public ByteSource {
 public:
  MemorySource(const void* data, std::size_t size) : data_(static_cast<const unsigned char*>(data)), size_(size) {}
  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, void* destination, std::size_t count) override;

 private:
  const unsigned char* data_;
  std::size_t size_;
};

/// An open file as a ByteSource. Closes the file when it goes.
class FileSource final : public ByteSource {
 public:
  /// Opens @p path for reading; isOpen() tells whether that worked.
  explicit FileSource(const std::string& path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  bool isOpen() const { return file_ != nullptr; }
  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, void* destination, std::size_t count) override;

 private:
  std::FILE* file_ = nullptr;
  std::uint64_t size_ = 0;
};

/// The source's bytes as they stand: exactly @p expected of them.
TileRead ReadStoredTile(ByteSource& source, unsigned char* out, std::size_t expected);

/// Unpacks the first gzip member of @p source into @p out, which must then
/// hold exactly @p expected bytes; the member's own checksum and length must
/// agree.
TileRead ReadGzipTile(ByteSource& source, unsigned char* out, std::size_t expected);

/// Unpacks one member of the zip archive @p source into @p out: the member
/// whose name (without folders) is @p memberName in any case, or else the
/// only member whose name ends in ".hgt". Stored and deflated members are
/// read; the member must be exactly @p expected bytes and match its CRC-32.
TileRead ReadZipTile(ByteSource& source, std::string_view memberName, unsigned char* out, std::size_t expected);

/// Reads the tile file @p path, choosing the reader by its ending (".gz",
/// ".zip", case ignored; anything else is read as it stands). For a zip
/// archive, @p memberName names the tile inside.
TileRead ReadTileFile(const std::string& path, std::string_view memberName, unsigned char* out,
                      std::size_t expected);

}  // namespace tarnvale
