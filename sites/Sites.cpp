#include "sites/Sites.h"

#include <memory>
#include <string_view>

#include "geo/Locator.h"

namespace tarnvale {
namespace {

// Leading characters of the two letters of a National Grid reference.
constexpr const char* kGridFirstLetters = "STNHOJ";
constexpr const char* kGridSecondLetters = "ABCDEFGHJKLMNOPQRSTUVWXYZ";  // no I
constexpr std::size_t kGridLetterCount = 2;
constexpr std::size_t kMaxGridLength = 12;
constexpr std::size_t kMinLocationLength = 6;
constexpr std::size_t kMaxLocationLength = 16;
// Index of the character that tells a grid reference (digit) from a locator (letter).
constexpr std::size_t kFormatCharacter = 4;

bool isUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
// Spaces and control characters, line ends included.
bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string trimmedUpper(const std::string& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && isBlank(text[first])) ++first;
  while (last > first && isBlank(text[last - 1])) --last;
  std::string out = text.substr(first, last - first);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool validGridReference(const std::string& s) {
  if (s.size() > kMaxGridLength) return false;
  if (std::string_view(kGridFirstLetters).find(s[0]) == std::string_view::npos) return false;
  if (std::string_view(kGridSecondLetters).find(s[1]) == std::string_view::npos) return false;
  for (std::size_t i = kGridLetterCount; i < s.size(); ++i)
    if (!isDigit(s[i])) return false;
  return true;
}

// Pairs of characters: field, square, subsquare, extended square ... alternating
// letters and digits; the first pair runs A-R, later letter pairs A-X.
bool validLocator(const std::string& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const std::size_t pair = i / 2;
    const char c = s[i];
    if (pair == 0) {
      if (c < 'A' || c > 'R') return false;
    } else if (pair % 2 == 1) {
      if (!isDigit(c)) return false;
    } else if (c < 'A' || c > 'X') {
      return false;
    }
  }
  return true;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool ReadBufferedLine(std::FILE* file, std::string& line) {
  line.clear();
  int c = 0;
  while (line.size() < static_cast<std::size_t>(sites::kLineBuffer - 1) && (c = std::fgetc(file)) != EOF) {
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line.empty();
}

SiteLine ReadSiteLine(const std::string& line) {
  SiteLine out;
  const std::size_t tilde = line.find(sites::kSeparator);
  std::string field;
  if (tilde == std::string::npos) {
    field = line;
  } else {
    out.name = line.substr(0, tilde);
    const std::size_t end = line.find(sites::kSeparator, tilde + 1);
    field = line.substr(tilde + 1, end == std::string::npos ? std::string::npos : end - tilde - 1);
  }
  field = trimmedUpper(field);
  if (field.size() <= sites::kMinFieldLength) return out;
  std::size_t run = 0;
  while (run < field.size() && (isUpperLetter(field[run]) || isDigit(field[run]))) ++run;
  if (run < kMinLocationLength || run > kMaxLocationLength || run % 2 != 0) return out;
  std::string location = field.substr(0, run);
  const bool gridReference = !isUpperLetter(location[kFormatCharacter]);
  if (gridReference ? !validGridReference(location) : !validLocator(location)) return out;
  const int format = gridReference ? kFormatGridReference : kFormatLocator;
  const CLocator parsed(location, format);
  // The location parser reads locators of at most 12 characters: a longer
  // one that passed the rules above would otherwise land at 0, 0.
  if (!parsed.isValid()) return out;
  out.accepted = true;
  out.location = std::move(location);
  out.format = format;
  out.latitude = parsed.latitude();
  out.longitude = parsed.longitude();
  return out;
}

CSites::CSites(std::string fileName) : fileName_(std::move(fileName)) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName_.c_str(), "rb"));
  if (!file) return;
  std::string line;
  while (ReadBufferedLine(file.get(), line)) {
    SiteLine site = ReadSiteLine(line);
    if (!site.accepted) continue;
    records_.emplace_back(std::move(site.name), site.latitude, site.longitude);
  }
  count_ = static_cast<int>(records_.size());
  loaded_ = count_ > 0;
}

}  // namespace tarnvale
