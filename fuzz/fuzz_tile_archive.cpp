// libFuzzer entry for the archive readers: any bytes, as a zip archive and as
// a gzip file, both for a small stand-in tile (so that many inputs unpack
// whole) and for a real tile's size, and as a packed zone map.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "climate/Zones.h"
#include "io/Archive.h"
#include "terrain/SrtmConstants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::vector<unsigned char> out(tarnvale::srtm::kTileBytes + 1);
  constexpr std::size_t kSmall = 600;
  tarnvale::MemorySource source(data, size);
  for (std::size_t expected : {kSmall, tarnvale::srtm::kTileBytes}) {
    out[expected] = 0xa5;
    tarnvale::ReadZipTile(source, "n10e010.hgt", out.data(), expected);
    tarnvale::ReadGzipTile(source, out.data(), expected);
    tarnvale::ReadStoredTile(source, out.data(), expected);
    // Nothing is written past the room given.
    if (out[expected] != 0xa5) __builtin_trap();
  }
  // The zone map as it ships: whole, or refused with a sentence naming it.
  static std::vector<unsigned char> zones;
  std::string problem;
  const bool whole = tarnvale::UnpackZoneArchive(data, size, "zones01.dem.gz", zones, problem);
  if (zones.size() != tarnvale::zones::kFileBytes) __builtin_trap();
  if (!whole && problem.find("zones01.dem.gz") == std::string::npos) __builtin_trap();
  return 0;
}
