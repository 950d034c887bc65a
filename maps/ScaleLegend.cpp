#include "maps/ScaleLegend.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tarnvale {
namespace {

using namespace legend;

/// A character of the font: seven rows of five dots, the leftmost the
/// highest bit.
struct Glyph {
  char32_t code;
  std::array<std::uint8_t, kGlyphHeight> rows;
};

constexpr Glyph kFont[] = {
    {U'0', {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110}},
    {U'1', {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {U'2', {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111}},
    {U'3', {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110}},
    {U'4', {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010}},
    {U'5', {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110}},
    {U'6', {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110}},
    {U'7', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000}},
    {U'8', {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110}},
    {U'9', {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100}},
    {U'.', {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b01100}},
    {U'-', {0b00000, 0b00000, 0b00000, 0b11111, 0b00000, 0b00000, 0b00000}},
    {U'+', {0b00000, 0b00100, 0b00100, 0b11111, 0b00100, 0b00100, 0b00000}},
    {U'd', {0b00001, 0b00001, 0b01101, 0b10011, 0b10001, 0b10001, 0b01111}},
    {U'B', {0b11110, 0b10001, 0b10001, 0b11110, 0b10001, 0b10001, 0b11110}},
    {U'm', {0b00000, 0b00000, 0b11010, 0b10101, 0b10101, 0b10001, 0b10001}},
    {U'u', {0b00000, 0b00000, 0b10001, 0b10001, 0b10001, 0b10011, 0b01101}},
    {U'V', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100}},
    {U'/', {0b00001, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b10000}},
};

/// The code points of UTF-8 @p text; a byte that does not start a sequence
/// counts as one unknown character.
std::u32string codePoints(const std::string& text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == 0xC2 && i + 1 < text.size()) {  // the micro sign's lead byte: all the font needs
      out.push_back(static_cast<char32_t>(static_cast<unsigned char>(text[i + 1])));
      i += 2;
      continue;
    }
    std::size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    out.push_back(b < 0x80 ? static_cast<char32_t>(b) : U'\ufffd');
    i += std::min(length, text.size() - i);
  }
  return out;
}

}  // namespace

int LegendTextWidth(const std::string& text) { return static_cast<int>(codePoints(text).size()) * kGlyphAdvance; }

void DrawLegendText(RgbImage& image, int x, int y, const std::string& text) {
  for (char32_t c : codePoints(text)) {
    // Seven rows leave no room below the line for the micro sign's tail: it
    // is written u, as the files write the unit (dBuV/m).
    if (c == U'\u00b5') c = U'u';
    const auto glyph = std::find_if(std::begin(kFont), std::end(kFont), [c](const Glyph& g) { return g.code == c; });
    if (glyph != std::end(kFont))
      for (int row = 0; row < kGlyphHeight; ++row)
        for (int column = 0; column < kGlyphWidth; ++column)
          if (glyph->rows[static_cast<std::size_t>(row)] & (1u << (kGlyphWidth - 1 - column)))
            image.fillRect(x + column * kGlyphScale, y + row * kGlyphScale, x + (column + 1) * kGlyphScale,
                           y + (row + 1) * kGlyphScale, kBlack);
    x += kGlyphAdvance;
  }
}

RgbImage DrawScaleLegend(const ColourScale& scale) {
  const int textHeight = kGlyphHeight * kGlyphScale;
  const int labelWidth = std::max(LegendTextWidth(scale.scaleMinText), LegendTextWidth(scale.scaleMaxText));
  const int barTop = kMargin + textHeight / 2;
  RgbImage image(kMargin + scale.image.width() + kLabelGap + labelWidth + kMargin,
                 barTop + scale.image.height() + textHeight / 2 + kMargin, kWhite);
  for (int x = 0; x < scale.image.width(); ++x)
    for (int y = 0; y < scale.image.height(); ++y) image.setPixel(kMargin + x, barTop + y, scale.image.pixel(x, y));
  const int labelX = kMargin + scale.image.width() + kLabelGap;
  DrawLegendText(image, labelX, barTop - textHeight / 2, scale.scaleMinText);
  DrawLegendText(image, labelX, barTop + scale.image.height() - textHeight / 2, scale.scaleMaxText);
  return image;
}

std::string CoverageLegendTitle(const CoverageSettings& settings) {
  if (settings.style == CoverageStyle::Terrain) return "Terrain height (m)";
  const std::string unit = " (" + std::string(LinkQuantityUnit(settings.quantity)) + ")";
  switch (settings.quantity) {
    case LinkQuantity::Loss: break;
    case LinkQuantity::Power: return "Received power" + unit;
    case LinkQuantity::Field: return "Field strength" + unit;
    case LinkQuantity::Margin: return "Margin" + unit;
  }
  return "Loss" + unit;
}

}  // namespace tarnvale
