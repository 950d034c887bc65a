#include "link/TextScan.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace tarnvale::link {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string_view WithoutByteOrderMark(std::string_view text) {
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  return text.starts_with(kMark) ? text.substr(kMark.size()) : text;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

bool ScanNumber(std::string_view& text, double& value) {
  std::string_view rest = text;
  bool plus = false;
  if (!rest.empty() && rest.front() == '+') {
    plus = true;
    rest.remove_prefix(1);
  }
  // from_chars reads "inf" and "nan" too; a number here starts with a digit
  // or a point (after one sign), which keeps them out.
  std::size_t start = (!plus && !rest.empty() && rest.front() == '-') ? 1 : 0;
  if (rest.size() <= start) return false;
  const char first = rest[start];
  if (!(first == '.' || (first >= '0' && first <= '9'))) return false;
  double v = 0.0;
  const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), v, std::chars_format::general);
  if (ec != std::errc() || !std::isfinite(v)) return false;
  value = v;
  text = rest.substr(static_cast<std::size_t>(end - rest.data()));
  return true;
}

bool ParseNumber(std::string_view token, double& value) {
  double v = 0.0;
  if (!ScanNumber(token, v) || !token.empty()) return false;
  value = v;
  return true;
}

std::vector<std::string_view> SplitWords(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !isBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string ShortestText(double value) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return "nan";
  return std::string(buffer, end);
}

std::string Quote(std::string_view text, std::size_t maxChars) {
  // Control bytes would break the message's line; they show as '?'.
  std::string out = "'";
  for (std::size_t i = 0; i < text.size() && i < maxChars; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    out += (c < 0x20 || c == 0x7f) ? '?' : text[i];
  }
  if (text.size() > maxChars) out += "...";
  out += "'";
  return out;
}

}  // namespace tarnvale::link
