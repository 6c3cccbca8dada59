// glyphs.cpp: the one-byte-a-pixel glyph sets, expanded from the packed rows at first use.
#include "text/glyphs.h"

#include <array>
#include <cstddef>

template <int Rows>
static std::array<uint8_t, 256 * Rows * 8> expand(const uint8_t* bits) {
  std::array<uint8_t, 256 * Rows * 8> pixels{};
  for (int row = 0; row < 256 * Rows; row++)
    for (int x = 0; x < 8; x++) pixels[std::size_t(row * 8 + x)] = (bits[row] & (0x80 >> x)) ? 255 : 0;
  return pixels;
}

const uint8_t* Glyphs_Set8x8() {
  static const std::array<uint8_t, 256 * 64> set = expand<8>(glyphBits8x8);
  return set.data();
}

const uint8_t* Glyphs_Set8x16() {
  static const std::array<uint8_t, 256 * 128> set = expand<16>(glyphBits8x16);
  return set.data();
}

const uint8_t* Glyphs_Rows(int32_t font, uint8_t ch) {
  switch (font) {
    case 8: return Glyphs_Set8x8() + ch * 64;
    case 14: return Glyphs_Set8x16() + ch * 128 + 8;
    case 16: return Glyphs_Set8x16() + ch * 128;
    default: return nullptr;
  }
}
