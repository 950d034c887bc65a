#include "session/ProfileExport.h"

#include <cstdint>

#include "settings/ReplaceFile.h"

namespace tarnvale {

bool WriteProfileTable(const std::string& path, const std::vector<std::string>& lines, std::string* reason) {
  std::vector<std::uint8_t> bytes;
  for (const std::string& line : lines) {
    bytes.insert(bytes.end(), line.begin(), line.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
  }
  bytes.push_back('\n');
  return ReplaceFile(path, bytes, reason);
}

std::string SaveFailedText(const std::string& path, const std::string& reason) {
  return "Could not save " + path + ": " + reason;
}

}  // namespace tarnvale
