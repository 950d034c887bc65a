// .hgt tiles of any length and any bytes: the input as the file itself, or
// repeated to a whole tile so that its bytes become the heights read.
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "FuzzFiles.h"
#include "terrain/Srtm.h"
#include "terrain/SrtmConstants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnvale;
  fuzz::Bytes in(data, size);
  const std::uint8_t mode = in.byte();
  double points[4][2];
  for (auto& p : points) {
    p[0] = in.within(50.9, 52.1);
    p[1] = in.within(-2.1, -0.9);
  }
  const std::uint8_t* body = in.rest();
  const std::size_t bodySize = in.restSize();
  if ((mode & 1) && bodySize > 0) {
    static std::vector<std::uint8_t> whole(srtm::kTileBytes + 7);
    const std::size_t length = srtm::kTileBytes + (mode >> 1) % 8;  // a whole tile, a few bytes more
    // The body repeated: copy it once, then keep doubling what is there.
    std::size_t filled = std::min(bodySize, length);
    std::memcpy(whole.data(), body, filled);
    while (filled < length) {
      const std::size_t n = std::min(filled, length - filled);
      std::memcpy(whole.data() + filled, whole.data(), n);
      filled += n;
    }
    fuzz::WriteScratch("n51w002.hgt", whole.data(), length);
  } else {
    fuzz::WriteScratch("n51w002.hgt", body, bodySize);
  }
  CSRTM store(2, fuzz::ScratchDir());
  for (const auto& p : points) {
    for (bool interpolate : {false, true}) {
      const int h = store.heightAt(p[0], p[1], interpolate);
      if (h != store.missingValue() && (h < srtm::kLowestLand || h > 32767)) std::abort();
    }
  }
  if (const TerrainGrid* grid = store.sampleGrid(-1.99, 51.0, 8, 8, 0.1, (mode & 2) != 0)) {
    if (store.gridMaximum() < 0 || store.gridMinimum() > 0) std::abort();
    (void)grid;
  }
  store.releaseGrid();
  return 0;
}
