#pragma once
// Saving the profile table as text (profile.dat), and what the user is told
// when a save fails.
#include <string>
#include <vector>

namespace tarnvale {

/// Writes @p lines (header first) to @p path, each followed by CR LF, and a
/// single LF after the last, replacing any file there only once the whole
/// table is written. False when the file cannot be written, with the system's
/// reason in @p reason when given; the old file is then left as it was.
bool WriteProfileTable(const std::string& path, const std::vector<std::string>& lines,
                       std::string* reason = nullptr);

/// The message of a save that failed: "Could not save " + @p path + ": " + @p reason.
std::string SaveFailedText(const std::string& path, const std::string& reason);

}  // namespace tarnvale
