#pragma once
// gzip files and zip archives made by the tests, so that compressed tiles can
// be checked against the same bytes stored plain.
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tarnvale::test {

using Bytes = std::vector<unsigned char>;

/// The big-endian bytes of a tile, as an .hgt file holds them.
template <class TileT>
Bytes TileBytes(const TileT& tile) {
  Bytes out(tile.samples.size() * 2);
  for (std::size_t i = 0; i < tile.samples.size(); ++i) {
    const auto v = static_cast<std::uint16_t>(tile.samples[i]);
    out[2 * i] = static_cast<unsigned char>(v >> 8);
    out[2 * i + 1] = static_cast<unsigned char>(v & 0xff);
  }
  return out;
}

/// Deflates @p data; windowBits 31 gives a gzip file, -15 a raw zip member.
inline Bytes Deflate(const Bytes& data, int windowBits) {
  z_stream s{};
  deflateInit2(&s, Z_BEST_SPEED, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&s, static_cast<uLong>(data.size())) + 64);
  s.next_in = const_cast<unsigned char*>(data.data());
  s.avail_in = static_cast<uInt>(data.size());
  s.next_out = out.data();
  s.avail_out = static_cast<uInt>(out.size());
  deflate(&s, Z_FINISH);
  out.resize(s.total_out);
  deflateEnd(&s);
  return out;
}

inline Bytes Gzip(const Bytes& data) { return Deflate(data, 31); }

struct ZipMember {
  std::string name;
  Bytes data;
  bool deflate = true;
};

/// A zip archive of @p members (no data descriptors, no ZIP64).
inline Bytes Zip(const std::vector<ZipMember>& members) {
  Bytes out, directory;
  auto put16 = [](Bytes& b, unsigned v) {
    b.push_back(static_cast<unsigned char>(v & 0xff));
    b.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
  };
  auto put32 = [&](Bytes& b, std::uint32_t v) {
    put16(b, v & 0xffff);
    put16(b, v >> 16);
  };
  for (const ZipMember& m : members) {
    const Bytes packed = m.deflate ? Deflate(m.data, -15) : m.data;
    const auto crc = static_cast<std::uint32_t>(crc32(0L, m.data.data(), static_cast<uInt>(m.data.size())));
    const auto offset = static_cast<std::uint32_t>(out.size());
    const unsigned method = m.deflate ? 8 : 0;
    put32(out, 0x04034b50);
    put16(out, 20);
    put16(out, 0);
    put16(out, method);
    put32(out, 0);  // time and date
    put32(out, crc);
    put32(out, static_cast<std::uint32_t>(packed.size()));
    put32(out, static_cast<std::uint32_t>(m.data.size()));
    put16(out, static_cast<unsigned>(m.name.size()));
    put16(out, 0);
    out.insert(out.end(), m.name.begin(), m.name.end());
    out.insert(out.end(), packed.begin(), packed.end());

    put32(directory, 0x02014b50);
    put16(directory, 20);
    put16(directory, 20);
    put16(directory, 0);
    put16(directory, method);
    put32(directory, 0);
    put32(directory, crc);
    put32(directory, static_cast<std::uint32_t>(packed.size()));
    put32(directory, static_cast<std::uint32_t>(m.data.size()));
    put16(directory, static_cast<unsigned>(m.name.size()));
    put16(directory, 0);
    put16(directory, 0);
    put16(directory, 0);
    put16(directory, 0);
    put32(directory, 0);
    put32(directory, offset);
    directory.insert(directory.end(), m.name.begin(), m.name.end());
  }
  const auto directoryOffset = static_cast<std::uint32_t>(out.size());
  out.insert(out.end(), directory.begin(), directory.end());
  put32(out, 0x06054b50);
  put16(out, 0);
  put16(out, 0);
  put16(out, static_cast<unsigned>(members.size()));
  put16(out, static_cast<unsigned>(members.size()));
  put32(out, static_cast<std::uint32_t>(directory.size()));
  put32(out, directoryOffset);
  put16(out, 0);
  return out;
}

inline void WriteBytes(const std::filesystem::path& file, const Bytes& bytes) {
  std::ofstream f(file, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadBytes(const std::filesystem::path& file) {
  std::ifstream f(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace tarnvale::test
