#include "exports/MapExport.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace tarnvale {

CoverageBand CoverageBandFor(LinkQuantity quantity) {
  switch (quantity) {
    case LinkQuantity::Loss: break;
    case LinkQuantity::Power: return {"received power (dBm)", "dBm"};
    case LinkQuantity::Field: return {"field strength (dBuV/m)", "dBuV/m"};
    case LinkQuantity::Margin: return {"margin over the receiver threshold (dB)", "dB"};
  }
  return {"basic transmission loss with gaseous loss (dB)", ""};
}

OverlayBox CoverageOverlayBox(const CoverageGrid& grid, int widthPx, int heightPx) {
  OverlayBox box;
  if (grid.p <= 0) return box;
  const double perPixel = grid.step / grid.p;
  box.west = grid.westEdge - grid.step / 2.0;
  box.north = grid.northEdge + grid.step / 2.0;
  box.east = box.west + widthPx * perPixel;
  box.south = box.north - heightPx * perPixel;
  return box;
}

namespace {

void put16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(static_cast<unsigned char>(v & 0xFF));
  out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}
void put32(std::vector<unsigned char>& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

struct ZipEntry {
  std::string name;
  std::vector<unsigned char> data;
};

/// A zip of stored (uncompressed) entries; the PNG is compressed already and
/// the KML is small.
std::vector<unsigned char> storedZip(const std::vector<ZipEntry>& entries) {
  constexpr unsigned kVersion = 20;
  constexpr unsigned kDosTime = 0;                       // 00:00:00
  constexpr unsigned kDosDate = (2026 - 1980) << 9 | 1 << 5 | 1;  // a fixed date keeps files reproducible
  std::vector<unsigned char> out, central;
  for (const ZipEntry& e : entries) {
    const auto crc = static_cast<std::uint32_t>(crc32(0L, e.data.data(), static_cast<uInt>(e.data.size())));
    const auto size = static_cast<std::uint32_t>(e.data.size());
    const auto offset = static_cast<std::uint32_t>(out.size());
    put32(out, 0x04034b50);
    put16(out, kVersion);
    put16(out, 0);  // flags
    put16(out, 0);  // stored
    put16(out, kDosTime);
    put16(out, kDosDate);
    put32(out, crc);
    put32(out, size);
    put32(out, size);
    put16(out, static_cast<unsigned>(e.name.size()));
    put16(out, 0);
    out.insert(out.end(), e.name.begin(), e.name.end());
    out.insert(out.end(), e.data.begin(), e.data.end());

    put32(central, 0x02014b50);
    put16(central, kVersion);
    put16(central, kVersion);
    put16(central, 0);
    put16(central, 0);
    put16(central, kDosTime);
    put16(central, kDosDate);
    put32(central, crc);
    put32(central, size);
    put32(central, size);
    put16(central, static_cast<unsigned>(e.name.size()));
    put16(central, 0);  // extra
    put16(central, 0);  // comment
    put16(central, 0);  // disk
    put16(central, 0);  // internal attributes
    put32(central, 0);  // external attributes
    put32(central, offset);
    central.insert(central.end(), e.name.begin(), e.name.end());
  }
  const auto centralOffset = static_cast<std::uint32_t>(out.size());
  out.insert(out.end(), central.begin(), central.end());
  put32(out, 0x06054b50);
  put16(out, 0);
  put16(out, 0);
  put16(out, static_cast<unsigned>(entries.size()));
  put16(out, static_cast<unsigned>(entries.size()));
  put32(out, static_cast<std::uint32_t>(central.size()));
  put32(out, centralOffset);
  put16(out, 0);
  return out;
}

bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error) {
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.good()) {
      error = "cannot write '" + path + "'";
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot write '" + path + "'";
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

std::string xmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::string CoverageKml(const std::string& name, const std::string& imageHref, const OverlayBox& box,
                        const std::string& legendHref, const std::string& legendTitle) {
  char numbers[512];
  std::snprintf(numbers, sizeof numbers,
                "      <LatLonBox>\n        <north>%.10f</north>\n        <south>%.10f</south>\n"
                "        <east>%.10f</east>\n        <west>%.10f</west>\n      </LatLonBox>\n",
                box.north, box.south, box.east, box.west);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
         "  <Document>\n"
         "    <name>" + xmlEscaped(name) + "</name>\n"
         "    <GroundOverlay>\n"
         "      <name>" + xmlEscaped(name) + "</name>\n"
         "      <Icon>\n        <href>" + xmlEscaped(imageHref) + "</href>\n      </Icon>\n" +
         numbers +
         "    </GroundOverlay>\n" +
         (legendHref.empty()
              ? std::string()
              : "    <ScreenOverlay>\n"
                "      <name>" + xmlEscaped(legendTitle) + "</name>\n"
                "      <Icon>\n        <href>" + xmlEscaped(legendHref) + "</href>\n      </Icon>\n"
                "      <overlayXY x=\"0\" y=\"0\" xunits=\"fraction\" yunits=\"fraction\"/>\n"
                "      <screenXY x=\"10\" y=\"40\" xunits=\"pixels\" yunits=\"pixels\"/>\n"
                "      <size x=\"0\" y=\"0\" xunits=\"pixels\" yunits=\"pixels\"/>\n"
                "    </ScreenOverlay>\n") +
         "  </Document>\n"
         "</kml>\n";
}

std::string LegendPathBeside(const std::string& kmlPath) {
  std::filesystem::path legend = kmlPath;
  legend.replace_filename(legend.stem().string() + "-legend.png");
  return legend.string();
}

bool WriteTextFile(const std::string& path, const std::string& text, std::string& error) {
  return writeBytes(path, std::vector<unsigned char>(text.begin(), text.end()), error);
}

bool WriteCoverageKmz(const std::string& path, const std::string& name, const RgbImage& picture,
                      const OverlayBox& box, std::string& error, const OverlayLegend* legend) {
  // The pictures as PNG bytes, through a file of their own beside the KMZ.
  const auto pngBytes = [&](const RgbImage& image, std::vector<unsigned char>& png) {
    const std::string temporary = path + ".png.part";
    if (!WritePng(image, temporary, &error)) return false;
    {
      std::ifstream in(temporary, std::ios::binary);
      png.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::remove(temporary.c_str());
    if (png.empty()) error = "cannot write '" + path + "'";
    return !png.empty();
  };
  std::vector<unsigned char> png, legendPng;
  if (!pngBytes(picture, png) || (legend && !pngBytes(legend->picture, legendPng))) return false;
  const std::string kml =
      legend ? CoverageKml(name, "map.png", box, "legend.png", legend->title) : CoverageKml(name, "map.png", box);
  std::vector<ZipEntry> entries = {{"doc.kml", {kml.begin(), kml.end()}}, {"map.png", std::move(png)}};
  if (legend) entries.push_back({"legend.png", std::move(legendPng)});
  return writeBytes(path, storedZip(entries), error);
}

}  // namespace tarnvale
