// glyph.cpp: rendering a character and writing its cell into drawDest.
//
// Owns only coverage, a scratch buffer reused from one glyph to the next (game thread only).
// A cell is first turned into coverage bytes, one per pixel: 0 or 255 for two-level glyphs
// (built-in sets, solid TrueType), 0 to 255 for anti-aliased TrueType; one loop per kind then
// writes the cell by print mode.
#include "text/glyph.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/image.h"
#include "graphics/screen.h"
#include "text/charset.h"
#include "text/font.h"
#include "text/glyphs.h"

namespace {

std::vector<uint8_t> coverage;

bool drawsTwoLevel(const FontRecord* font) {
  return Image_Record(drawDest)->noBlend || (font->options & FONT_DONTBLEND);
}

// Built-in cells: 8, 14 and 16 from the glyph sets; their double-width companions 9, 15 and
// 17 (which have no glyphs of their own) draw the same glyph with every pixel doubled.
void builtInCoverage(int32_t font, uint8_t ch, int32_t w, int32_t h) {
  bool doubled = font == 9 || font == 15 || font == 17;
  const uint8_t* rows = Glyphs_Rows(doubled ? font - 1 : font, ch);
  int32_t shift = doubled ? 1 : 0;
  for (int32_t y = 0; y < h; y++)
    for (int32_t x = 0; x < w; x++) coverage[size_t(y) * w + x] = rows ? rows[y * 8 + (x >> shift)] : 0;
}

// TrueType cells: box row r is row r + 1 of the rendering, which is two rows taller than the
// cell. Whatever the rendering does not cover stays clear.
void renderedCoverage(const SDL_Surface* image, bool twoLevel, int32_t w, int32_t h) {
  if (image == nullptr) return;
  int32_t rows = std::min(h, image->h - 1), columns = std::min(w, image->w);
  for (int32_t y = 0; y < rows; y++) {
    const uint8_t* source = static_cast<const uint8_t*>(image->pixels) + size_t(y + 1) * image->pitch;
    uint8_t* out = coverage.data() + size_t(y) * w;
    for (int32_t x = 0; x < columns; x++) out[x] = twoLevel ? (source[x] ? 255 : 0) : source[x];
  }
}

// Fill background, anti-aliased: foreground fading into background as coverage falls, in single
// precision as the colours were always mixed here.
uint32_t mixedPixel(uint32_t fg, uint32_t bg, int v) {
  float fa = float(fg >> 24), ba = float(bg >> 24);
  float t = float(255 - v) / 255.0f;
  float alpha = fa + (ba - fa) * t;
  float k = fa == 0.0f ? 100000.0f : ba / fa;
  float s = std::min(t * k, 1.0f);
  uint32_t out = uint32_t(std::lrintf(alpha)) << 24;
  for (int shift = 16; shift >= 0; shift -= 8) {
    float f = float((fg >> shift) & 255), b = float((bg >> shift) & 255);
    out |= uint32_t(std::lrintf(f + (b - f) * s)) << shift;
  }
  return out;
}

}  // namespace

Glyph Glyph_Make(int32_t font, uint32_t ch) {
  const FontRecord* record = Font_Get(font);
  Glyph glyph{font, ch, record->fixedWidth, nullptr};
  if (record->face == nullptr) return glyph;
  uint32_t unit = (record->options & FONT_UNICODE) ? ch : Charset_ToUnicode(uint8_t(ch));
  // SDL_ttf renders one UTF-16 unit; a character beyond it cannot be rendered and is skipped.
  if (unit <= 0xFFFF) glyph.image = Font_RenderGlyph(font, uint16_t(unit), !drawsTwoLevel(record));
  if (record->fixedWidth == 0) glyph.width = glyph.image ? glyph.image->w : 0;
  return glyph;
}

void Glyph_Release(Glyph* glyph) {
  if (glyph->image) SDL_FreeSurface(glyph->image);
  glyph->image = nullptr;
}

int32_t Glyph_Width(int32_t font, uint32_t ch) {
  const FontRecord* record = Font_Get(font);
  if (record->fixedWidth != 0) return record->fixedWidth;
  Glyph glyph = Glyph_Make(font, ch);
  Glyph_Release(&glyph);
  return glyph.width;
}

void Glyph_Draw(const Glyph& glyph, int32_t x0, int32_t y0) {
  const FontRecord* font = Font_Get(glyph.font);
  const ImageRecord* r = Image_Record(drawDest);
  bool builtIn = font->face == nullptr;
  if (!builtIn && glyph.image == nullptr) return;
  int32_t w = builtIn || font->fixedWidth ? font->fixedWidth : glyph.image->w;
  int32_t h = font->height;
  if (w <= 0 || h <= 0) return;
  bool twoLevel = builtIn || drawsTwoLevel(font);

  // The part of the cell that lies on the image.
  int32_t xFrom = std::max(0, -x0), xTo = std::min(w, int32_t(r->width) - x0);
  int32_t yFrom = std::max(0, -y0), yTo = std::min(h, int32_t(r->height) - y0);
  if (xFrom >= xTo || yFrom >= yTo) return;

  coverage.assign(size_t(w) * h, 0);
  if (builtIn) builtInCoverage(glyph.font, uint8_t(glyph.ch), w, h);
  else renderedCoverage(glyph.image, twoLevel, w, h);

  uint32_t fg = r->foreColor, bg = r->backColor;
  uint32_t fa = fg >> 24, ba = bg >> 24;
  uint8_t mode = r->printMode;
  for (int32_t y = yFrom; y < yTo; y++) {
    const uint8_t* row = coverage.data() + size_t(y) * w;
    for (int32_t x = xFrom; x < xTo; x++) {
      int v = row[x];
      int32_t px = x0 + x, py = y0 + y;
      if (twoLevel) {
        if (v && mode != 2) Image_PutPixel(px, py, fg);
        else if (!v && mode != 1) Image_PutPixel(px, py, bg);
      } else if (mode == 1) {
        if (v != 0) Image_PutPixel(px, py, ((uint32_t(v) * (fa + 1)) >> 8) << 24 | (fg & 0xFFFFFF));
      } else if (mode == 2) {
        if (v != 255) Image_PutPixel(px, py, (((ba + 1) * uint32_t(255 - v)) >> 8) << 24 | (bg & 0xFFFFFF));
      } else {
        Image_PutPixel(px, py, mixedPixel(fg, bg, v));
      }
    }
  }
}
