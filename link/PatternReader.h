#pragma once
// Readers of antenna pattern files: the Planet text format (.msi, .pln, .txt)
// that antenna makers publish, and a two-column CSV of the horizontal cut.
#include <string>
#include <string_view>

#include "link/AntennaPattern.h"

namespace tarnvale {

/// Reads a pattern in the Planet format: header lines "KEY value" (NAME,
/// MAKE, FREQUENCY, H_WIDTH, V_WIDTH, FRONT_TO_BACK, GAIN, TILT, POLARIZATION,
/// COMMENT and makers' own keys; see ApplyPatternHeaderLine), then the
/// sections "HORIZONTAL n" and "VERTICAL n", each followed by n lines
/// "angle attenuation" (degrees, dB below the peak; blank-separated). The
/// format's values are positive; a minus sign, which some converters write
/// (relative gains), is ignored, as the format's readers have always done. Keys
/// ignore case; blank lines are skipped anywhere; lines may end in LF, CR LF
/// or CR; a UTF-8 byte-order mark at the start is skipped. A section without
/// its count runs until a line that is not a point. One section may be
/// missing (that cut attenuates nothing); the angle conventions are
/// AntennaPattern's.
/// @param[out] pattern replaced on success, untouched on failure
/// @param[out] error "line N: why" naming the first line that is wrong
bool ReadPlanetPattern(std::string_view text, AntennaPattern& pattern, std::string& error);

/// Reads a horizontal cut from CSV lines "azimuth_deg,attenuation_dB"
/// (degrees clockwise from boresight, dB below the peak, a minus sign ignored
/// as in the Planet format). A first line that
/// does not start with a number is a heading; lines starting with '#' and
/// blank lines are skipped, as is a UTF-8 byte-order mark at the start. The
/// pattern has no gain and no vertical cut.
/// @param[out] pattern replaced on success, untouched on failure
/// @param[out] error "line N: why" naming the first line that is wrong
bool ReadCsvPattern(std::string_view text, AntennaPattern& pattern, std::string& error);

/// Reads the pattern file @p path: CSV when its name ends in ".csv" (any
/// case), the Planet format otherwise. Files over 4 MB are refused unread.
/// @param[out] error "PATH: line N: why", or "PATH: why" for a file that
///   cannot be read
bool LoadPatternFile(const std::string& path, AntennaPattern& pattern, std::string& error);

}  // namespace tarnvale
