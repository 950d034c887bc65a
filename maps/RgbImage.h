#pragma once
// An off-screen picture for the map pages and the command line: the zone map,
// the terrain maps, the coverage map and the colour scales are drawn into one
// of these by the core renderers, so that the window, tarnvale-cli and the
// tests see the same pixels.
#include <cstdint>
#include <string>
#include <vector>

namespace tarnvale {

/// A colour as the display system keeps it: 24-bit RGB in one integer, red in
/// the lowest byte, then green, then blue.
using Colour = std::uint32_t;

/// @param r, g, b channels 0 ... 255
constexpr Colour MakeColour(int r, int g, int b) {
  return static_cast<Colour>(r & 0xFF) | (static_cast<Colour>(g & 0xFF) << 8) | (static_cast<Colour>(b & 0xFF) << 16);
}
constexpr int RedOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

inline constexpr Colour kBlack = MakeColour(0, 0, 0);
inline constexpr Colour kWhite = MakeColour(255, 255, 255);
inline constexpr Colour kRed = MakeColour(255, 0, 0);
inline constexpr Colour kBlue = MakeColour(0, 0, 255);
inline constexpr Colour kNavy = MakeColour(0, 0, 128);
inline constexpr Colour kAqua = MakeColour(0, 255, 255);
inline constexpr Colour kGreen = MakeColour(0, 128, 0);

/// width x height pixels, row 0 at the top, each row left to right. A new
/// image is black. Drawing clips to the image; nothing here throws except
/// std::bad_alloc from the constructor.
class RgbImage {
 public:
  RgbImage() = default;
  /// @param width, height size in pixels (negative counts as 0)
  RgbImage(int width, int height, Colour fill = kBlack);

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ == 0 || height_ == 0; }

  /// The pixel at column @p x, row @p y (inside the image).
  Colour pixel(int x, int y) const { return pixels_[index(x, y)]; }
  /// Sets a pixel; points outside the image are ignored.
  void setPixel(int x, int y, Colour c);
  /// Fills the rectangle from (left, top) to (right, bottom), right and bottom
  /// edges excluded, clipped to the image.
  void fillRect(int left, int top, int right, int bottom, Colour c);
  /// A one-pixel line from (x0, y0) to (x1, y1), both ends included.
  void drawLine(int x0, int y0, int x1, int y1, Colour c);
  /// A filled rectangle from (left, top) to (right, bottom), right and bottom
  /// edges excluded, with elliptical corners of @p cornerWidth x
  /// @p cornerHeight pixels. The end markers use a 10 x 10 square with 10 x 10
  /// corners, which is a disc.
  void fillRoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight, Colour c);
  /// Copies @p source with its top-left corner at (x, y), clipped.
  void draw(const RgbImage& source, int x, int y);

  /// All pixels, row after row.
  const std::vector<Colour>& pixels() const { return pixels_; }
  std::vector<Colour>& pixels() { return pixels_; }

  /// Packed 8-bit RGB triples, row after row (the layout of QImage::Format_RGB888
  /// with bytesPerLine = 3 x width, and of PNG's colour type 2).
  std::vector<std::uint8_t> toRgb888() const;

  bool operator==(const RgbImage& other) const = default;

 private:
  std::size_t index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
  }
  int width_ = 0;
  int height_ = 0;
  std::vector<Colour> pixels_;
};

/// Writes @p image as an 8-bit RGB PNG. The file is written under a temporary
/// name and renamed into place, so that a failed write leaves any earlier file
/// whole. Returns false with a reason in @p error when it cannot be written.
bool WritePng(const RgbImage& image, const std::string& path, std::string* error = nullptr);

}  // namespace tarnvale
