#pragma once
// The subcommands of tarnvale-cli as plain functions over parsed options.
#include <ostream>
#include <string>

#include "geo/Locator.h"

namespace tarnvale::cli {

struct Io {
  std::ostream& out;
  std::ostream& err;
};

/// The two ends of a path as typed, with their formats. A per-end format wins
/// over the shared one; -1 means not given.
struct EndsOptions {
  std::string tx;
  std::string rx;
  int format = -1;
  int txFormat = -1;
  int rxFormat = -1;
};

/// Parses both ends; on failure writes the program's message ("Invalid TX
/// Locator" / "Invalid RX Locator") or a usage message and returns the exit
/// status to give, otherwise returns kExitOk.
int ResolveEnds(const EndsOptions& ends, CLocator& tx, CLocator& rx, Io& io);

struct LocateOptions {
  std::string text;
  int format = -1;
  bool json = false;
};
int RunLocate(const LocateOptions& options, Io& io);

struct RangeOptions {
  EndsOptions ends;
  bool json = false;
};
int RunRange(const RangeOptions& options, Io& io);

/// Reads LAT and LON as plain decimal numbers of degrees; on failure writes a
/// usage message and returns false.
bool ParsePoint(const std::string& latitudeText, const std::string& longitudeText, double& latitude,
                double& longitude, Io& io);

struct HeightOptions {
  std::string latitude;   ///< degrees, as typed
  std::string longitude;  ///< degrees, as typed
  std::string terrain = ".";  ///< directory of the .hgt tiles
  bool interpolate = false;
  bool json = false;
};
/// Ground height at a point in whole metres (0 sea, -32767 no data).
int RunHeight(const HeightOptions& options, Io& io);

struct ZoneOptions {
  std::string latitude;   ///< degrees, as typed
  std::string longitude;  ///< degrees, as typed
  std::string terrain = ".";  ///< directory holding zones01.dem
  bool json = false;
};
/// Radio-climatic zone code at a point (1 sea, 2 coastal land, 3 inland, 255 no data).
int RunZone(const ZoneOptions& options, Io& io);

}  // namespace tarnvale::cli
