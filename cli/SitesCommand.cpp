// tarnvale-cli sites: the sites of a site list that the Site Database page
// accepts, with the details it shows for each.
#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "sites/SiteText.h"
#include "sites/Sites.h"
#include "terrain/Srtm.h"

namespace tarnvale::cli {
namespace {
constexpr int kTerrainSlots = 9;
}  // namespace

int RunSites(const SitesOptions& options, Io& io) {
  const CSites list(options.file);
  const CSRTM terrain(kTerrainSlots, options.terrain);
  if (options.json) {
    nlohmann::json j;
    j["count"] = list.count();
    j["sites"] = nlohmann::json::array();
    for (int i = 0; i < list.count(); ++i) {
      const CSite& site = list.item(i);
      nlohmann::json s;
      s["name"] = site.name();
      s["latitude"] = site.latitude();
      s["longitude"] = site.longitude();
      s["details"] = SiteDetails(site, terrain);
      j["sites"].push_back(s);
    }
    // Names are kept byte for byte; bytes that are not UTF-8 are replaced.
    io.out << j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    return kExitOk;
  }
  io.out << SiteCountText(list.count()) << "\n";
  for (int i = 0; i < list.count(); ++i) {
    io.out << "\n";
    for (const std::string& line : SiteDetails(list.item(i), terrain)) io.out << line << "\n";
  }
  return kExitOk;
}

}  // namespace tarnvale::cli
