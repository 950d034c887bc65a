// Location texts in the four formats and with the format left to detection:
// parsing, and writing the point back in every format.
#include <cstdint>
#include <string>

#include "geo/LocationText.h"
#include "geo/Locator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (int format = tarnvale::kFormatLocator; format <= tarnvale::kFormatDms; ++format) {
    tarnvale::CLocator location = tarnvale::ParseLocation(text, format);
    if (!location.isValid()) continue;
    for (int out = tarnvale::kFormatLocator; out <= tarnvale::kFormatDms; ++out) {
      (void)location.toText(out);
      (void)location.toText(out, 3);
      (void)location.toText(out, 8);
    }
  }
  // Detection tries each format in turn; a point found is described in all.
  const tarnvale::CLocator detected = tarnvale::LocationIn(text, -1);
  if (detected.isValid()) (void)tarnvale::DescribeLocation(detected);
  return 0;
}
