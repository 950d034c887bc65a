#include "maps/RgbImage.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace tarnvale {

RgbImage::RgbImage(int width, int height, Colour fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {
  if (width_ == 0 || height_ == 0) {
    width_ = height_ = 0;
    pixels_.clear();
  }
}

void RgbImage::setPixel(int x, int y, Colour c) {
  if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[index(x, y)] = c;
}

void RgbImage::fillRect(int left, int top, int right, int bottom, Colour c) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width_);
  bottom = std::min(bottom, height_);
  for (int y = top; y < bottom; ++y) std::fill_n(pixels_.begin() + static_cast<std::ptrdiff_t>(index(left, y)),
                                                  std::max(right - left, 0), c);
}

void RgbImage::drawLine(int x0, int y0, int x1, int y1, Colour c) {
  // Bresenham: integer steps only, so the same ends always give the same pixels.
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    setPixel(x0, y0, c);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void RgbImage::fillRoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight, Colour c) {
  const int w = right - left;
  const int h = bottom - top;
  if (w <= 0 || h <= 0) return;
  // Corner ellipse radii, never more than half the rectangle.
  const double rx = std::min(cornerWidth, w) / 2.0;
  const double ry = std::min(cornerHeight, h) / 2.0;
  for (int y = top; y < bottom; ++y) {
    const double py = y + 0.5;  // pixel centre
    for (int x = left; x < right; ++x) {
      const double px = x + 0.5;
      // Distance into the corner region, measured from the corner ellipse's centre.
      double ex = 0.0;
      double ey = 0.0;
      if (px < left + rx) ex = (left + rx - px) / rx;
      else if (px > right - rx) ex = (px - (right - rx)) / rx;
      if (py < top + ry) ey = (top + ry - py) / ry;
      else if (py > bottom - ry) ey = (py - (bottom - ry)) / ry;
      if (rx > 0 && ry > 0 && ex * ex + ey * ey > 1.0) continue;
      setPixel(x, y, c);
    }
  }
}

void RgbImage::draw(const RgbImage& source, int x, int y) {
  for (int sy = 0; sy < source.height(); ++sy) {
    const int ty = y + sy;
    if (ty < 0 || ty >= height_) continue;
    for (int sx = 0; sx < source.width(); ++sx) setPixel(x + sx, ty, source.pixel(sx, sy));
  }
}

std::vector<std::uint8_t> RgbImage::toRgb888() const {
  std::vector<std::uint8_t> out;
  out.reserve(pixels_.size() * 3);
  for (Colour c : pixels_) {
    out.push_back(static_cast<std::uint8_t>(RedOf(c)));
    out.push_back(static_cast<std::uint8_t>(GreenOf(c)));
    out.push_back(static_cast<std::uint8_t>(BlueOf(c)));
  }
  return out;
}

namespace {

void PutBigEndian32(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v >> 24));
  out.push_back(static_cast<char>(v >> 16));
  out.push_back(static_cast<char>(v >> 8));
  out.push_back(static_cast<char>(v));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.append(type, 4);
  out += data;
  const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(out.data() + start), static_cast<uInt>(out.size() - start));
  PutBigEndian32(out, static_cast<std::uint32_t>(crc));
}

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

}  // namespace

bool WritePng(const RgbImage& image, const std::string& path, std::string* error) {
  if (image.empty()) return Fail(error, "empty image");
  // Scanlines with filter type 0 (none) in front of each.
  const std::size_t rowBytes = static_cast<std::size_t>(image.width()) * 3;
  std::vector<std::uint8_t> raw;
  raw.reserve((rowBytes + 1) * static_cast<std::size_t>(image.height()));
  const std::vector<std::uint8_t> rgb = image.toRgb888();
  for (int y = 0; y < image.height(); ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<std::size_t>(y)),
               rgb.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<std::size_t>(y + 1)));
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                Z_DEFAULT_COMPRESSION) != Z_OK)
    return Fail(error, "compression failed");
  packed.resize(packedSize);

  std::string file("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  PutBigEndian32(header, static_cast<std::uint32_t>(image.width()));
  PutBigEndian32(header, static_cast<std::uint32_t>(image.height()));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, adaptive filter, no interlace
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", packed);
  PutChunk(file, "IEND", {});

  // Every failure names the file: a run that computed for minutes must not
  // end on a bare "No such file or directory".
  const auto cannotWrite = [&path](const std::string& why) { return "cannot write '" + path + "': " + why; };
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return Fail(error, cannotWrite(std::strerror(errno)));
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
      const std::string why = std::strerror(errno);
      std::remove(temporary.c_str());
      return Fail(error, cannotWrite(why));
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string why = std::strerror(errno);
    std::remove(temporary.c_str());
    return Fail(error, cannotWrite(why));
  }
  return true;
}

}  // namespace tarnvale
