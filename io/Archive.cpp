#include "io/Archive.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <vector>

namespace tarnvale {
namespace {

// Bytes handed to zlib at a time.
constexpr std::size_t kChunkBytes = 64 * 1024;

// Zip record signatures and fixed sizes (little-endian on disk).
constexpr std::uint32_t kEndOfDirectorySignature = 0x06054b50;
constexpr std::uint32_t kDirectoryEntrySignature = 0x02014b50;
constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::size_t kEndOfDirectoryBytes = 22;
constexpr std::size_t kDirectoryEntryBytes = 46;
constexpr std::size_t kLocalHeaderBytes = 30;
constexpr std::size_t kMaxCommentBytes = 0xffff;
// A tile archive's directory lists a handful of members; a larger one is not
// a tile archive and is not read into memory.
constexpr std::uint32_t kMaxDirectoryBytes = 1u << 20;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;
constexpr std::uint16_t kFlagEncrypted = 1;
// zlib window bits: raw deflate (zip members) and gzip framing.
constexpr int kRawDeflateBits = -15;
constexpr int kGzipBits = 15 + 16;

std::uint16_t le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool endsWithNoCase(std::string_view text, std::string_view ending) {
  if (text.size() < ending.size()) return false;
  return std::equal(ending.begin(), ending.end(), text.end() - static_cast<std::ptrdiff_t>(ending.size()),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                    });
}

bool equalNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && endsWithNoCase(a, b); }

/// Inflates the bytes [begin, end) of @p source into exactly @p expected bytes
/// of @p out. One byte beyond is looked for, so that an oversized stream is
/// told from a whole one without unpacking it.
TileRead inflateBounded(ByteSource& source, std::uint64_t begin, std::uint64_t end, int windowBits,
                        unsigned char* out, std::size_t expected) {
  z_stream stream{};
  if (inflateInit2(&stream, windowBits) != Z_OK) return TileRead::kDamaged;
  std::vector<unsigned char> input;
  try {
    input.resize(kChunkBytes);
  } catch (const std::bad_alloc&) {
    inflateEnd(&stream);
    return TileRead::kDamaged;
  }
  unsigned char beyond = 0;
  bool intoBeyond = false;
  std::uint64_t position = begin;
  stream.next_out = out;
  // zlib counts in uInt; a tile is far below its limit, larger requests are split.
  std::size_t outLeft = expected;
  auto feedOutput = [&] {
    if (stream.avail_out != 0 || intoBeyond) return;
    if (outLeft > 0) {
      const auto n = static_cast<uInt>(std::min<std::size_t>(outLeft, std::numeric_limits<uInt>::max()));
      stream.avail_out = n;
      outLeft -= n;
    } else {
      stream.next_out = &beyond;
      stream.avail_out = 1;
      intoBeyond = true;
    }
  };
  feedOutput();
  TileRead result = TileRead::kDamaged;
  for (;;) {
    if (stream.avail_in == 0 && position < end) {
      const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, end - position));
      if (!source.read(position, input.data(), n)) break;
      position += n;
      stream.next_in = input.data();
      stream.avail_in = static_cast<uInt>(n);
    }
    feedOutput();
    const uInt inBefore = stream.avail_in, outBefore = stream.avail_out;
    const int status = inflate(&stream, Z_NO_FLUSH);
    if (intoBeyond && stream.avail_out == 0) {
      result = TileRead::kWrongSize;  // more than one tile's bytes
      break;
    }
    if (status == Z_STREAM_END) {
      const bool whole = outLeft == 0 && (intoBeyond || stream.avail_out == 0);
      result = whole ? TileRead::kOk : TileRead::kWrongSize;
      break;
    }
    if (status != Z_OK && status != Z_BUF_ERROR) break;  // data, memory or dictionary errors
    const bool progressed = stream.avail_in != inBefore || stream.avail_out != outBefore;
    if (!progressed && stream.avail_in == 0 && position >= end) break;  // the stream stops short
    if (!progressed && stream.avail_in != 0 && stream.avail_out != 0) break;
  }
  inflateEnd(&stream);
  return result;
}

}  // namespace

bool MemorySource::read(std::uint64_t offset, void* destination, std::size_t count) {
  if (offset > size_ || count > size_ - offset) return false;
  if (count > 0) std::memcpy(destination, data_ + offset, count);
  return true;
}

FileSource::FileSource(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  file_ = std::fopen(path.c_str(), "rb");
  if (file_) size_ = static_cast<std::uint64_t>(info.st_size);
}

FileSource::~FileSource() {
  if (file_) std::fclose(file_);
}

bool FileSource::read(std::uint64_t offset, void* destination, std::size_t count) {
  if (!file_ || offset > size_ || count > size_ - offset) return false;
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<long>::max())) return false;
  if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
  return std::fread(destination, 1, count, file_) == count;
}

TileRead ReadStoredTile(ByteSource& source, unsigned char* out, std::size_t expected) {
  if (source.size() != expected) return TileRead::kWrongSize;
  return source.read(0, out, expected) ? TileRead::kOk : TileRead::kDamaged;
}

TileRead ReadGzipTile(ByteSource& source, unsigned char* out, std::size_t expected) {
  return inflateBounded(source, 0, source.size(), kGzipBits, out, expected);
}

TileRead ReadZipTile(ByteSource& source, std::string_view memberName, unsigned char* out, std::size_t expected) {
  const std::uint64_t fileSize = source.size();
  if (fileSize < kEndOfDirectoryBytes) return TileRead::kDamaged;

  // The end-of-directory record sits in the last 22 bytes plus at most a
  // 64 KiB comment; the last signature found is taken.
  const std::uint64_t tailStart =
      fileSize > kEndOfDirectoryBytes + kMaxCommentBytes ? fileSize - kEndOfDirectoryBytes - kMaxCommentBytes : 0;
  std::vector<unsigned char> tail;
  try {
    tail.resize(static_cast<std::size_t>(fileSize - tailStart));
  } catch (const std::bad_alloc&) {
    return TileRead::kDamaged;
  }
  if (!source.read(tailStart, tail.data(), tail.size())) return TileRead::kDamaged;
  std::size_t eocd = tail.size();
  for (std::size_t i = tail.size() - kEndOfDirectoryBytes + 1; i-- > 0;) {
    if (le32(&tail[i]) == kEndOfDirectorySignature) {
      eocd = i;
      break;
    }
  }
  if (eocd == tail.size()) return TileRead::kDamaged;
  const unsigned char* end = &tail[eocd];
  const std::uint16_t entryCount = le16(end + 10);
  const std::uint32_t directoryBytes = le32(end + 12);
  const std::uint32_t directoryOffset = le32(end + 16);
  const std::uint64_t eocdOffset = tailStart + eocd;
  // ZIP64 archives mark these fields 0xffff/0xffffffff; a tile never needs them.
  if (directoryBytes > kMaxDirectoryBytes || std::uint64_t{directoryOffset} + directoryBytes > eocdOffset)
    return TileRead::kDamaged;

  std::vector<unsigned char> directory;
  try {
    directory.resize(directoryBytes);
  } catch (const std::bad_alloc&) {
    return TileRead::kDamaged;
  }
  if (!source.read(directoryOffset, directory.data(), directory.size())) return TileRead::kDamaged;

  struct Member {
    std::uint16_t flags = 0, method = 0;
    std::uint32_t crc = 0, packedBytes = 0, bytes = 0, headerOffset = 0;
  };
  Member named, onlyHgt;
  bool haveNamed = false;
  int hgtCount = 0;
  std::size_t pos = 0;
  for (unsigned e = 0; e < entryCount; ++e) {
    if (directory.size() - pos < kDirectoryEntryBytes) return TileRead::kDamaged;
    const unsigned char* entry = &directory[pos];
    if (le32(entry) != kDirectoryEntrySignature) return TileRead::kDamaged;
    const std::size_t nameBytes = le16(entry + 28), extraBytes = le16(entry + 30), commentBytes = le16(entry + 32);
    const std::size_t entryBytes = kDirectoryEntryBytes + nameBytes + extraBytes + commentBytes;
    if (directory.size() - pos < entryBytes) return TileRead::kDamaged;
    const std::string_view fullName(reinterpret_cast<const char*>(entry + kDirectoryEntryBytes), nameBytes);
    const std::size_t slash = fullName.find_last_of("/\\");
    const std::string_view baseName = slash == std::string_view::npos ? fullName : fullName.substr(slash + 1);
    Member m;
    m.flags = le16(entry + 8);
    m.method = le16(entry + 10);
    m.crc = le32(entry + 16);
    m.packedBytes = le32(entry + 20);
    m.bytes = le32(entry + 24);
    m.headerOffset = le32(entry + 42);
    if (!haveNamed && equalNoCase(baseName, memberName)) {
      named = m;
      haveNamed = true;
    }
    if (endsWithNoCase(baseName, ".hgt")) {
      ++hgtCount;
      onlyHgt = m;
    }
    pos += entryBytes;
  }
  if (!haveNamed && hgtCount != 1) return TileRead::kDamaged;
  const Member& m = haveNamed ? named : onlyHgt;
  if ((m.flags & kFlagEncrypted) != 0) return TileRead::kDamaged;
  if (m.bytes != expected) return TileRead::kWrongSize;

  unsigned char header[kLocalHeaderBytes];
  if (!source.read(m.headerOffset, header, sizeof header) || le32(header) != kLocalHeaderSignature)
    return TileRead::kDamaged;
  const std::uint64_t dataBegin = std::uint64_t{m.headerOffset} + kLocalHeaderBytes + le16(header + 26) + le16(header + 28);
  const std::uint64_t dataEnd = dataBegin + m.packedBytes;
  if (dataEnd > eocdOffset) return TileRead::kDamaged;

  TileRead result = TileRead::kDamaged;
  if (m.method == kMethodStored) {
    if (m.packedBytes != expected) return TileRead::kDamaged;
    result = source.read(dataBegin, out, expected) ? TileRead::kOk : TileRead::kDamaged;
  } else if (m.method == kMethodDeflated) {
    result = inflateBounded(source, dataBegin, dataEnd, kRawDeflateBits, out, expected);
    // The directory already promised exactly one tile; a stream that
    // disagrees with its own directory is damaged rather than another size.
    if (result == TileRead::kWrongSize) result = TileRead::kDamaged;
  }
  if (result != TileRead::kOk) return result;
  // crc32 takes uInt lengths; a tile fits, larger buffers go in pieces.
  uLong crc = crc32(0L, Z_NULL, 0);
  for (std::size_t done = 0; done < expected;) {
    const auto n = static_cast<uInt>(std::min<std::size_t>(expected - done, std::numeric_limits<uInt>::max()));
    crc = crc32(crc, out + done, n);
    done += n;
  }
  return crc == m.crc ? TileRead::kOk : TileRead::kDamaged;
}

TileRead ReadTileFile(const std::string& path, std::string_view memberName, unsigned char* out,
                      std::size_t expected) {
  FileSource file(path);
  if (!file.isOpen()) return TileRead::kAbsent;
  if (endsWithNoCase(path, ".gz")) return ReadGzipTile(file, out, expected);
  if (endsWithNoCase(path, ".zip")) return ReadZipTile(file, memberName, out, expected);
  return ReadStoredTile(file, out, expected);
}

}  // namespace tarnvale
