// zones01.dem of any (short) length and content: zone codes and a zone image.
#include <cstdint>
#include <cstdlib>

#include "FuzzFiles.h"
#include "climate/Zones.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnvale;
  fuzz::Bytes in(data, size);
  double points[4][2];
  for (auto& p : points) {
    p[0] = in.within(-95.0, 95.0);
    p[1] = in.within(-190.0, 370.0);
  }
  const double step = in.within(-0.01, 2.0);
  fuzz::WriteScratch("zones01.dem", in.rest(), in.restSize());
  CZONES zones(fuzz::ScratchDir());
  // The first rows of the map (the far north) are what a short file holds.
  for (double lat : {89.999, 89.99, 89.9, 89.5}) {
    const std::uint8_t code = zones.zoneAt(lat, -179.99);
    if (code > 3 && code != zones::kNoData) std::abort();
  }
  for (const auto& p : points) {
    const std::uint8_t code = zones.zoneAt(p[0], p[1]);
    if (code > 3 && code != zones::kNoData) std::abort();
  }
  (void)zones.zoneImage(points[0][1], points[0][0], 6, 5, step);
  zones.releaseImage();
  return 0;
}
