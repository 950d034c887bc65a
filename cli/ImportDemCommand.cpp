// tarnvale-cli import-dem: elevation rasters made into the program's tiles.
#include <nlohmann/json.hpp>

#include <cstdio>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "exports/GdalModule.h"

namespace tarnvale::cli {
namespace {

constexpr int kBarWidth = 30;

/// Redraws "[#####.....]  50% n50e008.hgt" in place when the percentage moves.
class ProgressBar {
 public:
  explicit ProgressBar(std::ostream& err) : err_(err) {}
  void show(std::size_t done, std::size_t total, const std::string& tile) {
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    if (percent == percent_ && tile == tile_) return;
    percent_ = percent;
    tile_ = tile;
    const int filled = percent * kBarWidth / 100;
    char line[96];
    std::snprintf(line, sizeof line, "\r[%-*s] %3d%% %-14s", kBarWidth, std::string(filled, '#').c_str(), percent,
                  tile.c_str());
    err_ << line << std::flush;
    drawn_ = true;
  }
  void finish() {
    if (drawn_) err_ << "\r" << std::string(kBarWidth + 22, ' ') << "\r" << std::flush;
  }

 private:
  std::ostream& err_;
  int percent_ = -1;
  std::string tile_;
  bool drawn_ = false;
};

}  // namespace

int RunImportDem(const ImportDemOptions& o, Io& io) {
  ProgressBar bar(io.err);
  ImportProgress progress;
  if (o.progress) progress = [&](std::size_t done, std::size_t total, const std::string& tile) { bar.show(done, total, tile); };
  const ImportResult result = gdal::ImportDem(o.inputs, o.out, progress);
  bar.finish();
  if (!result.ok) {
    io.err << "tarnvale-cli: import-dem: " << result.error << "\n";
    return kExitInvalid;
  }
  std::size_t voids = 0;
  for (const ImportedTile& t : result.tiles) voids += t.voids;
  if (o.json) {
    nlohmann::json j;
    j["outDir"] = o.out;
    j["tilesWritten"] = result.tiles.size();
    j["voids"] = voids;
    j["tiles"] = nlohmann::json::array();
    for (const ImportedTile& t : result.tiles)
      j["tiles"].push_back({{"name", t.name}, {"path", t.path}, {"south", t.south}, {"west", t.west}, {"voids", t.voids}});
    io.out << j.dump(2) << "\n";
    return kExitOk;
  }
  for (const ImportedTile& t : result.tiles) io.out << t.name << "  " << t.voids << " voids\n";
  io.out << result.tiles.size() << (result.tiles.size() == 1 ? " tile" : " tiles") << " written to " << o.out << ", "
         << voids << " voids in all\n";
  return kExitOk;
}

}  // namespace tarnvale::cli
