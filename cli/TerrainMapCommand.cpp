// tarnvale-cli terrainmap: the Terrain Map page's link map and local maps.
#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/MapCommands.h"
#include "maps/TerrainMap.h"

namespace tarnvale::cli {
namespace {

nlohmann::json mapJson(const TerrainMap& map) {
  nlohmann::json j;
  j["drawn"] = map.drawn;
  j["gridMaximum"] = map.gridMaximum;
  j["gridMinimum"] = map.gridMinimum;
  j["columns"] = map.columns;
  j["rows"] = map.rows;
  j["step"] = map.step;
  j["westEdge"] = map.westEdge;
  j["southEdge"] = map.southEdge;
  return j;
}

}  // namespace

int RunTerrainMap(const TerrainMapOptions& o, Io& io) {
  CLocator tx, rx;
  if (const int status = ResolveEnds(o.ends, tx, rx, io); status != kExitOk) return status;
  CSRTM terrain(srtm::kDefaultSlots, o.terrain);
  const TerrainMapSet set = DrawTerrainMaps(terrain, tx, rx, o.interpolate);

  bool written = true;
  std::string error;
  for (const auto& [path, map] : {std::pair{&o.outLink, &set.link}, std::pair{&o.outTx, &set.tx},
                                  std::pair{&o.outRx, &set.rx}}) {
    if (path->empty()) continue;
    if (!map->drawn) {
      io.err << "tarnvale-cli: no map to write to '" << *path << "' (the ends are at the same place)\n";
      written = false;
    } else if (!WritePng(map->image, *path, &error)) {
      io.err << "tarnvale-cli: " << error << "\n";
      written = false;
    }
  }

  if (o.json) {
    nlohmann::json j;
    j["MapH"] = set.mapH;
    j["TXArea"] = set.txArea;
    j["RXArea"] = set.rxArea;
    j["link"] = mapJson(set.link);
    j["tx"] = mapJson(set.tx);
    j["rx"] = mapJson(set.rx);
    const LinkMapArea area = LinkMapAreaOf(tx, rx);
    j["link"]["side"] = area.side;
    if (set.link.drawn) {
      const int size = set.link.image.width();
      const PixelPoint a = LinkMapPixel(area, size, set.link.image.height(), tx.latitude(), tx.longitude());
      const PixelPoint b = LinkMapPixel(area, size, set.link.image.height(), rx.latitude(), rx.longitude());
      j["link"]["txPixel"] = {a.x, a.y};
      j["link"]["rxPixel"] = {b.x, b.y};
    }
    io.out << j.dump(2) << "\n";
  } else {
    io.out << set.mapH << "\n" << set.txArea << "\n" << set.rxArea << "\n";
  }
  if (!set.link.drawn) return kExitInvalid;
  return written ? kExitOk : kExitInvalid;
}

}  // namespace tarnvale::cli
