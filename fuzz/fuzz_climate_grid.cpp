// Radio-climate grid text files: any text read into a small lattice, then
// looked up nearest and interpolated.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "climate/ClimateGrid.h"
#include "FuzzFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tarnvale::fuzz::Bytes;
  Bytes in(data, size);
  // Lattice: 1..16 rows and columns, a world-wide or a 0..360 map.
  tarnvale::climate::GridLattice lattice{};
  lattice.rows = 1 + in.byte() % 16;
  lattice.columns = 1 + in.byte() % 16;
  lattice.latitudeStep = 180.0 / lattice.rows;
  lattice.longitudeStep = 360.0 / lattice.columns;
  lattice.latitudeOrigin = -90.0;
  lattice.longitudeOrigin = (in.byte() & 1) ? 0.0 : -180.0;
  const double lat = in.within(-100.0, 100.0);
  const double lon = in.within(-200.0, 400.0);
  tarnvale::fuzz::WriteScratch("GRID.TXT", in.rest(), in.restSize());
  tarnvale::ClimateGrid grid("GRID.TXT", 50.0, lattice);
  if (!grid.load(tarnvale::fuzz::ScratchDir())) return 0;
  if (!grid.isLoaded()) std::abort();
  double value = 0.0;
  (void)grid.valueAt(lat, lon, false, value);
  if (grid.valueAt(lat, lon, true, value) && std::isnan(value)) {
    // A NaN comes only from a file holding non-finite or absurdly large numbers.
    bool ordinary = true;
    for (double v : grid.data) ordinary = ordinary && std::isfinite(v) && std::fabs(v) < 1e100;
    if (ordinary) std::abort();
  }
  return 0;
}
