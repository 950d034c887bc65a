// The --profile CSV of tarnvale-cli path, under either model: any file is
// either refused with exit 2 and a message, or computed without a NaN or
// infinity in the output where a value is due.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "FuzzFiles.h"
#include "cli/Cli.h"
#include "cli/Commands.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnvale;
  if (size > 64 * 1024) return 0;
  cli::PathOptions options;
  options.profileFile = fuzz::WriteScratch("profile.csv", data, size);
  options.json = (size % 2) == 0;
  if (size % 3 == 0) options.model = cli::kP452ModelName;
  std::ostringstream out, err;
  cli::Io io{out, err};
  const int status = cli::RunPath(options, io);
  if (status == cli::kExitUsage && err.str().empty()) std::abort();
  if (status == cli::kExitOk) {
    const std::string text = out.str();
    if (options.json) {
      // The JSON writer turns a NaN or an infinity into null; only the
      // bearing and the centre's longitude, which a supplied profile has
      // none of, the roughness of a path whose horizons cross, and the
      // notional ducting minimum, which overflows (as in ITU's reference)
      // when the ducting loss passes about 1775 dB, may be null.
      const nlohmann::json result = nlohmann::json::parse(text);
      for (const auto& [key, value] : result.items())
        if (value.is_null() && key != "bearing_deg" && key != "phim_e" && key != "hm" && key != "Lminbap")
          std::abort();
      if (!result["Lb"].is_number()) std::abort();
    } else if (text.find("nan") != std::string::npos || text.find("inf") != std::string::npos) {
      std::abort();
    }
  }
  return 0;
}
