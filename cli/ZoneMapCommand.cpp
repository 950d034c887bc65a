// tarnvale-cli zonemap: the Zone Map page's picture of the radio-climatic
// zones around a path, written as a PNG.
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/MissingTilesReport.h"
#include "climate/Zones.h"
#include "maps/ZoneMapRenderer.h"

namespace tarnvale::cli {

int RunZoneMap(const ZoneMapOptions& options, Io& io) {
  CLocator tx, rx;
  if (const int status = ResolveEnds(options.ends, tx, rx, io); status != kExitOk) return status;
  CZONES zones(options.terrain);
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(zones.filePath(), ignored) &&
      !std::filesystem::is_regular_file(zones.archivePath(), ignored))
    io.err << "tarnvale-cli: " << zones.filePath() << " not found: every cell is drawn as no data (black)\n";
  const ZoneMapPicture picture = RenderZoneMap(zones, tx.latitude(), tx.longitude(), rx.latitude(), rx.longitude());
  WarnZoneMapProblem(zones, io);
  switch (picture.status) {
    case ZoneMapPicture::Status::kDrawn: break;
    case ZoneMapPicture::Status::kNoPicture:
      if (picture.step == 0.0)
        io.err << "tarnvale-cli: the two ends are identical: there is no area to map\n";
      else
        io.err << "tarnvale-cli: the zone map could not be sampled\n";
      return kExitInvalid;
    case ZoneMapPicture::Status::kDrawFailure:
      io.err << "tarnvale-cli: Could not load or display bitmap\n";
      return kExitInvalid;
  }
  std::string error;
  if (!WritePng(picture.image, options.out, &error)) {
    io.err << "tarnvale-cli: " << error << "\n";
    return kExitInvalid;
  }
  if (options.json) {
    nlohmann::json j;
    j["west"] = picture.west;
    j["south"] = picture.south;
    j["step"] = picture.step;
    j["columns"] = picture.columns;
    j["rows"] = picture.rows;
    j["tx"] = {picture.txX, picture.txY};
    j["rx"] = {picture.rxX, picture.rxY};
    io.out << j.dump(2) << "\n";
  } else {
    char text[256];
    std::snprintf(text, sizeof text,
                  "west     %.6f deg\nsouth    %.6f deg\nstep     %.8f deg\ncells    %d x %d\n"
                  "tx       %d, %d px\nrx       %d, %d px\n",
                  picture.west, picture.south, picture.step, picture.columns, picture.rows, picture.txX, picture.txY,
                  picture.rxX, picture.rxY);
    io.out << text << "written  " << options.out << " (" << picture.image.width() << " x "
           << picture.image.height() << " pixels)\n";
  }
  return kExitOk;
}

}  // namespace tarnvale::cli
