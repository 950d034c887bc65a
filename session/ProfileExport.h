#pragma once
// Saving the profile table as text (profile.dat).
#include <string>
#include <vector>

namespace tarnvale {

/// Writes @p lines (header first) to @p path, each followed by CR LF, and a
/// single LF after the last, replacing any file there. False when the file
/// cannot be written.
bool WriteProfileTable(const std::string& path, const std::vector<std::string>& lines);

}  // namespace tarnvale
