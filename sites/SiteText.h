#pragma once
// The texts the Site Database page shows for a site and writes into the
// location fields when a site is copied to an end of the path.
#include <array>
#include <string>

#include "sites/Sites.h"
#include "terrain/Srtm.h"

namespace tarnvale {

/// The five lines of the site details, in order: the name; "Height    " +
/// ground height (nearest sample, whole metres; 0 over sea, -32767 without
/// data) + " m"; "NGR       " + a 6-digit grid reference; "Locator   " + an
/// 8-character locator; "Lat/Long " + degrees, minutes and seconds.
std::array<std::string, 5> SiteDetails(const CSite& site, const CSRTM& terrain);

/// The site's location as written into StartLoc or EndLoc in the selected
/// InputFormat: locator of 8 characters, grid reference, decimal degrees or
/// degrees-minutes-seconds, each format's own default precision otherwise.
std::string SiteLocationText(const CSite& site, int format);

/// "N Sites" for a list of @p count sites ("0 Sites" when none is loaded).
std::string SiteCountText(int count);

}  // namespace tarnvale
