#include "link/LinkRecord.h"

#include <cmath>
#include <set>
#include <vector>

#include "link/TextScan.h"

namespace tarnvale {
namespace {

constexpr std::string_view kFirstLine = "tarnvale-link 1";
constexpr std::string_view kLastLine = "end";
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool needsEscape(unsigned char c) { return c <= 0x20 || c == 0x7f || c == '%' || c == '='; }

std::string escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (needsEscape(c)) {
      out += '%';
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 0xf];
    } else {
      out += ch;
    }
  }
  return out;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool unescape(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '%') {
      if (i + 2 >= text.size()) return false;
      const int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
      if (hi < 0 || lo < 0) return false;
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else if (needsEscape(c)) {
      return false;
    } else {
      out += text[i];
    }
  }
  return true;
}

const char* formatName(AntennaPattern::Format format) {
  switch (format) {
    case AntennaPattern::Format::Planet: return "planet";
    case AntennaPattern::Format::Csv: return "csv";
    case AntennaPattern::Format::None: break;
  }
  return "none";
}

void putNumber(std::string& out, std::string_view key, double value) {
  out += key;
  out += ' ';
  out += link::ShortestText(value);
  out += '\n';
}

void putCut(std::string& out, std::string_view key, const std::vector<PatternPoint>& cut) {
  if (cut.empty()) return;
  out += key;
  for (std::size_t i = 0; i < cut.size(); ++i) {
    out += ' ';
    out += link::ShortestText(cut[i].angleDeg);
    out += ':';
    out += link::ShortestText(cut[i].attenuationDb);
  }
  out += '\n';
}

void putAntenna(std::string& out, const std::string& prefix, const LinkAntenna& antenna) {
  if (antenna.gainDbi) putNumber(out, prefix + "gain_dBi", *antenna.gainDbi);
  putNumber(out, prefix + "feeder_loss_dB", antenna.feederLossDb);
  putNumber(out, prefix + "azimuth_deg", antenna.azimuthDeg);
  putNumber(out, prefix + "downtilt_deg", antenna.downtiltDeg);
  if (!antenna.patternPath.empty()) out += prefix + "pattern_path " + escape(antenna.patternPath) + "\n";
  const AntennaPattern& pattern = antenna.pattern;
  if (!pattern.loaded()) return;
  out += prefix + "pattern.format " + formatName(pattern.format()) + "\n";
  for (const PatternHeaderLine& line : pattern.header())
    out += prefix + "pattern.header " + escape(line.key) + "=" + escape(line.value) + "\n";
  putCut(out, prefix + "pattern.horizontal", pattern.horizontal());
  putCut(out, prefix + "pattern.vertical", pattern.vertical());
}

/// One antenna's fields as read, before its pattern is built.
struct AntennaParts {
  LinkAntenna antenna;
  AntennaPattern::Format format = AntennaPattern::Format::None;
  std::vector<PatternHeaderLine> header;
  std::vector<PatternPoint> horizontal, vertical;
};

bool readCut(std::string_view value, std::vector<PatternPoint>& cut) {
  const std::vector<std::string_view> words = link::SplitWords(value);
  if (words.empty()) return false;
  cut.clear();
  cut.reserve(words.size());
  for (std::string_view word : words) {
    const std::size_t colon = word.find(':');
    if (colon == std::string_view::npos) return false;
    PatternPoint p;
    if (!link::ParseNumber(word.substr(0, colon), p.angleDeg) ||
        !link::ParseNumber(word.substr(colon + 1), p.attenuationDb))
      return false;
    cut.push_back(p);
  }
  return true;
}

/// Reads one "tx."/"rx." field; false with @p why when its value is bad.
/// A key this program does not know is skipped.
bool readAntennaField(std::string_view key, std::string_view value, AntennaParts& parts, std::string& why) {
  LinkAntenna& a = parts.antenna;
  double number = 0.0;
  const bool isNumber = link::ParseNumber(value, number);
  auto numberInto = [&](double& field) {
    if (!isNumber) {
      why = "not a finite number: " + link::Quote(value);
      return false;
    }
    field = number;
    return true;
  };
  if (key == "gain_dBi") {
    double gain = 0.0;
    if (!numberInto(gain)) return false;
    a.gainDbi = gain;
    return true;
  }
  if (key == "feeder_loss_dB") return numberInto(a.feederLossDb);
  if (key == "azimuth_deg") return numberInto(a.azimuthDeg);
  if (key == "downtilt_deg") return numberInto(a.downtiltDeg);
  if (key == "pattern_path") {
    if (!unescape(value, a.patternPath)) {
      why = "bad escape in the path";
      return false;
    }
    return true;
  }
  if (key == "pattern.format") {
    if (value == "planet") {
      parts.format = AntennaPattern::Format::Planet;
    } else if (value == "csv") {
      parts.format = AntennaPattern::Format::Csv;
    } else {
      why = "unknown pattern format " + link::Quote(value);
      return false;
    }
    return true;
  }
  if (key == "pattern.header") {
    const std::size_t equals = value.find('=');
    PatternHeaderLine line;
    if (equals == std::string_view::npos || !unescape(value.substr(0, equals), line.key) ||
        !unescape(value.substr(equals + 1), line.value)) {
      why = "a header line is not KEY=VALUE with escapes";
      return false;
    }
    parts.header.push_back(std::move(line));
    return true;
  }
  if (key == "pattern.horizontal" || key == "pattern.vertical") {
    if (!readCut(value, key == "pattern.horizontal" ? parts.horizontal : parts.vertical)) {
      why = "a cut is not a list of angle:attenuation numbers";
      return false;
    }
    return true;
  }
  return true;
}

bool buildAntenna(AntennaParts& parts, const char* which, std::string& why) {
  const bool anyPatternPart = !parts.header.empty() || !parts.horizontal.empty() || !parts.vertical.empty();
  if (parts.format == AntennaPattern::Format::None) {
    if (anyPatternPart) {
      why = std::string(which) + " pattern has no format line";
      return false;
    }
    return true;
  }
  std::string error;
  if (!AntennaPattern::Build(parts.format, std::move(parts.header), std::move(parts.horizontal),
                             std::move(parts.vertical), parts.antenna.pattern, error)) {
    why = std::string(which) + " pattern: " + error;
    return false;
  }
  return true;
}

bool finiteAntenna(const LinkAntenna& a, const char* which, std::string* why) {
  const char* bad = nullptr;
  if (a.gainDbi && !std::isfinite(*a.gainDbi)) bad = "gain";
  else if (!std::isfinite(a.feederLossDb)) bad = "feeder loss";
  else if (!std::isfinite(a.azimuthDeg)) bad = "azimuth";
  else if (!std::isfinite(a.downtiltDeg)) bad = "downtilt";
  if (!bad) return true;
  if (why) *why = std::string(which) + " " + bad + " is not a finite number";
  return false;
}

}  // namespace

bool ValidLinkRecord(const LinkRecord& r, std::string* why) {
  if (!std::isfinite(r.powerDbm)) {
    if (why) *why = "power is not a finite number";
    return false;
  }
  if (!std::isfinite(r.rxThresholdDbm)) {
    if (why) *why = "receiver threshold is not a finite number";
    return false;
  }
  return finiteAntenna(r.tx, "transmitter", why) && finiteAntenna(r.rx, "receiver", why);
}

std::string EncodeLinkRecord(const LinkRecord& r) {
  std::string out;
  out += kFirstLine;
  out += '\n';
  putNumber(out, "power_dBm", r.powerDbm);
  putNumber(out, "rx_threshold_dBm", r.rxThresholdDbm);
  out += std::string("rx_points_at_tx ") + (r.rxPointsAtTx ? "1" : "0") + "\n";
  putAntenna(out, "tx.", r.tx);
  putAntenna(out, "rx.", r.rx);
  out += kLastLine;
  out += '\n';
  return out;
}

bool DecodeLinkRecord(std::string_view text, LinkRecord& record, std::string* error) {
  const std::vector<std::string_view> lines = link::SplitLines(text);
  auto fail = [&](std::size_t index, const std::string& why) {
    if (error) *error = "line " + std::to_string(index + 1) + ": " + why;
    return false;
  };
  if (lines.empty() || lines.front() != kFirstLine) {
    if (error) *error = "line 1: not a link record (\"tarnvale-link 1\" expected)";
    return false;
  }
  LinkRecord r;
  AntennaParts tx, rx;
  std::set<std::string, std::less<>> seen;
  bool ended = false;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (ended) {
      if (!line.empty()) return fail(i, "text after the end line");
      continue;
    }
    if (line == kLastLine) {
      ended = true;
      continue;
    }
    const std::size_t space = line.find(' ');
    const std::string_view key = line.substr(0, space);
    const std::string_view value = (space == std::string_view::npos) ? std::string_view() : line.substr(space + 1);
    if (key.empty()) return fail(i, "a line without a key");
    const bool repeats = key.ends_with(".pattern.header");
    if (!repeats && !seen.insert(std::string(key)).second) return fail(i, "key " + link::Quote(key) + " given twice");

    double number = 0.0;
    const bool isNumber = link::ParseNumber(value, number);
    if (key == "power_dBm" || key == "rx_threshold_dBm") {
      if (!isNumber) return fail(i, "not a finite number: " + link::Quote(value));
      (key == "power_dBm" ? r.powerDbm : r.rxThresholdDbm) = number;
    } else if (key == "rx_points_at_tx") {
      if (value != "0" && value != "1") return fail(i, "rx_points_at_tx is 0 or 1");
      r.rxPointsAtTx = (value == "1");
    } else if (key.starts_with("tx.") || key.starts_with("rx.")) {
      AntennaParts& parts = key.starts_with("tx.") ? tx : rx;
      std::string why;
      if (!readAntennaField(key.substr(3), value, parts, why)) return fail(i, why);
    }
    // Any other key belongs to a later program: skipped.
  }
  if (!ended) return fail(lines.size() - 1, "the record has no end line (cut short?)");
  std::string why;
  if (!buildAntenna(tx, "transmitter", why) || !buildAntenna(rx, "receiver", why)) {
    if (error) *error = why;
    return false;
  }
  r.tx = std::move(tx.antenna);
  r.rx = std::move(rx.antenna);
  record = std::move(r);
  return true;
}

}  // namespace tarnvale
