#pragma once
// Where the program finds data when the user has given none: the sample folder
// that ships beside the program (share/tarnvale/sample, next to bin/ both in the
// build tree and when installed), and which folder the radio-climate maps are
// read from.
#include <filesystem>
#include <string>

namespace tarnvale {

/// The sample folder for a program in @p executableDirectory:
/// executableDirectory/../share/tarnvale/sample when that folder holds terrain
/// tiles, otherwise empty.
std::filesystem::path FindSampleDirectory(const std::filesystem::path& executableDirectory);

/// True when @p directory holds at least one of the radio-climate map files
/// the program reads (n0.txt, dn.txt, DNDZ_*.TXT, S_OCCUR.TXT, E_OCCUR.TXT).
bool HasClimateMaps(const std::filesystem::path& directory);

/// The folder the radio-climate maps are read from: empty (the working
/// directory at each read) when @p workingDirectory holds any of them or when
/// @p sampleDirectory holds none; otherwise the sample folder.
std::filesystem::path ChooseClimateDirectory(const std::filesystem::path& workingDirectory,
                                             const std::filesystem::path& sampleDirectory);

}  // namespace tarnvale
