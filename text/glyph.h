// glyph.h: one character of a font drawn into a text cell of drawDest, for text output.
//
// A TrueType character is rendered once per Glyph_Make, so its width and its pixels come from
// the same rendering. No state is kept between calls. Game thread only.
#pragma once

#include <cstdint>

struct SDL_Surface;

struct Glyph {
  int32_t font;          // font handle; must name a font
  uint32_t ch;           // a byte (0..255), or a code point in a "UNICODE" font
  int32_t width;         // advance: the fixed width, else the rendered width (0: not rendered)
  SDL_Surface* image;    // TrueType rendering, 8-bit; nullptr for built-in fonts or on failure
};

// Prepare ch in font for drawDest: two-level when the image has noBlend or the font
// "DONTBLEND", anti-aliased otherwise. Release it with Glyph_Release.
Glyph Glyph_Make(int32_t font, uint32_t ch);
void Glyph_Release(Glyph* glyph);

// Width of ch in font without keeping its rendering (text widths for fitting items).
int32_t Glyph_Width(int32_t font, uint32_t ch);

// Draw the glyph's cell with its top-left pixel at (x0, y0) of drawDest, by drawDest's print
// mode and colours. Pixels outside the image are not written.
void Glyph_Draw(const Glyph& glyph, int32_t x0, int32_t y0);
