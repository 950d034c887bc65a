// Location texts in the four formats and with the format left to detection:
// parsing, and writing the point back in every format.
#include <cstdint>
#include <sstream>
#include <string>

#include "cli/Commands.h"
#include "cli/LocationArgs.h"
#include "geo/Locator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (int format = tarnvale::kFormatLocator; format <= tarnvale::kFormatDms; ++format) {
    tarnvale::CLocator location = tarnvale::cli::ParseLocation(text, format);
    if (!location.isValid()) continue;
    for (int out = tarnvale::kFormatLocator; out <= tarnvale::kFormatDms; ++out) {
      (void)location.toText(out);
      (void)location.toText(out, 3);
      (void)location.toText(out, 8);
    }
  }
  // The command line's detection tries each format in turn.
  std::ostringstream out, err;
  tarnvale::cli::Io io{out, err};
  tarnvale::cli::LocateOptions options;
  options.text = text;
  options.json = (size % 2) == 0;
  (void)tarnvale::cli::RunLocate(options, io);
  return 0;
}
