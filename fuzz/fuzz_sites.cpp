// Site lists of any bytes: every accepted site must lie on the Earth and give
// its detail lines and copy texts in every format.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "FuzzFiles.h"
#include "sites/SiteText.h"
#include "sites/Sites.h"
#include "terrain/Srtm.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnvale;
  const std::string path = fuzz::WriteScratch("sites.dat", data, size);
  const CSites sites(path);
  if (sites.loaded() != (sites.count() > 0)) std::abort();
  // No tiles in the scratch folder: heights read as missing, never from elsewhere.
  static CSRTM terrain(1, fuzz::ScratchDir());
  for (int i = 0; i < sites.count(); ++i) {
    const CSite& site = sites.item(i);
    if (!(std::fabs(site.latitude()) <= 90.0) || !(std::fabs(site.longitude()) <= 180.0)) std::abort();
    (void)SiteDetails(site, terrain);
    for (int format = 0; format < 4; ++format) (void)SiteLocationText(site, format);
  }
  return 0;
}
