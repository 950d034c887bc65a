#pragma once
// Writing a file the user keeps (profile.ini, profile.dat) so that a failed
// write never leaves it half written.
#include <cstdint>
#include <string>
#include <vector>

namespace tarnvale {

/// Writes @p bytes to @p path through a temporary file in the same directory
/// that is renamed over it only when every byte reached the disk, so the old
/// file stays whole on any failure (read-only directory, full disk).
/// @param reason receives the system's reason when the write fails (may be null)
/// @return false when the file could not be written
bool ReplaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* reason = nullptr);

}  // namespace tarnvale
