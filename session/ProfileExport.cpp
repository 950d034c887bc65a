#include "session/ProfileExport.h"

#include <cstdio>

namespace tarnvale {

bool WriteProfileTable(const std::string& path, const std::vector<std::string>& lines) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = true;
  for (const std::string& line : lines) {
    ok = std::fwrite(line.data(), 1, line.size(), f) == line.size() && ok;
    ok = std::fputs("\r\n", f) >= 0 && ok;
  }
  ok = std::fputc('\n', f) != EOF && ok;
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

}  // namespace tarnvale
