// font.cpp: the font table and Font_Load.
//
// The table belongs to the game thread, which alone loads fonts and reads them for text
// output. Entries 8, 9, 14, 15, 16 and 17 are the built-in fonts and never change; entries 32
// to 1023 are taken by Font_Load, lowest free first, and keep their faces until process exit.
// An entry with height 0 names no font.
#include "text/font.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "runtime/error.h"
#include "runtime/options.h"

// The built-in fonts exist from start-up: 8 x 8, 8 x 14, 8 x 16 and their double-width pairs.
static constexpr std::array<FontRecord, FONT_TABLE_SIZE> builtInFonts() {
  std::array<FontRecord, FONT_TABLE_SIZE> table{};
  for (int32_t height : {8, 14, 16}) {
    table[size_t(height)] = FontRecord{nullptr, height, 8, 0};
    table[size_t(height) + 1] = FontRecord{nullptr, height, 16, 0};
  }
  return table;
}

static constinit std::array<FontRecord, FONT_TABLE_SIZE> fontTable = builtInFonts();

const FontRecord* Font_Get(int32_t handle) {
  if (handle < 0 || handle >= FONT_TABLE_SIZE || fontTable[size_t(handle)].height == 0) return nullptr;
  return &fontTable[size_t(handle)];
}

bool Font_ParseOptions(const std::string& text, int32_t* bits) {
  // In bit order: word i sets bit 1 << i.
  static const char* const words[] = {"BOLD", "ITALIC", "UNDERLINE", "DONTBLEND", "MONOSPACE", "UNICODE"};
  uint32_t parsed = 0;
  bool ok = Options_Parse(text, words, 6, &parsed);
  *bits = int32_t(parsed);
  return ok;
}

int32_t Font_PointSizeFor(int32_t target, int32_t heightAt1000) {
  if (heightAt1000 <= 0) return 0;
  return int32_t(target * (1000.0 / heightAt1000));
}

// The face of fileName at pointSize, nullptr when it cannot be opened.
static TTF_Font* openAt(const std::string& fileName, int32_t pointSize) {
  if (pointSize < 1) return nullptr;
  return TTF_OpenFont(fileName.c_str(), pointSize);
}

// Open fileName so that the face is target pixels high, or as near as one point up or down
// from the scaled size gets it.
static TTF_Font* openForHeight(const std::string& fileName, int32_t target) {
  TTF_Font* probe = openAt(fileName, 1000);
  if (probe == nullptr) return nullptr;
  int32_t pointSize = Font_PointSizeFor(target, TTF_FontHeight(probe));
  TTF_CloseFont(probe);
  TTF_Font* face = openAt(fileName, pointSize);
  if (face != nullptr && TTF_FontHeight(face) > target) {
    TTF_CloseFont(face);
    face = openAt(fileName, --pointSize);
  }
  if (face != nullptr && TTF_FontHeight(face) < target) {
    TTF_CloseFont(face);
    face = openAt(fileName, ++pointSize);
  }
  return face;
}

// Width of one rendered blank, 0 when it cannot be rendered.
static int32_t blankWidth(TTF_Font* face) {
  static const Uint16 blank[] = {0x20, 0};
  SDL_Surface* rendered = TTF_RenderUNICODE_Solid(face, blank, SDL_Color{255, 255, 255, 0});
  if (rendered == nullptr) return 0;
  int32_t width = rendered->w;
  SDL_FreeSurface(rendered);
  return width;
}

// Whether the face of handle draws any printable character at all: sets a pixel of it. A face
// cut short, or one with bitmaps only, renders every character as a blank surface.
static bool rendersAnything(int32_t handle) {
  bool drawn = false;
  for (uint16_t ch = 33; ch < 127 && !drawn; ch++)
    if (SDL_Surface* glyph = Font_RenderGlyph(handle, ch, true)) {
      // A shaded glyph's pixels are its coverage, 0 where nothing is drawn.
      for (int y = 0; y < glyph->h && !drawn; y++) {
        const auto* row = static_cast<const uint8_t*>(glyph->pixels) + ptrdiff_t(y) * glyph->pitch;
        drawn = std::any_of(row, row + glyph->w, [](uint8_t coverage) { return coverage != 0; });
      }
      SDL_FreeSurface(glyph);
    }
  return drawn;
}

int32_t Font_Load(const std::string& fileName, double size, const std::string& options, bool optionsGiven) {
  if (Error_Pending()) return 0;
  // Written so that a size that is not a number is refused as too small.
  if (!(size >= 0.001)) {
    Runtime_Error(5);
    return 0;
  }
  if (size >= 1000.5) return 0;
  int32_t bits = 0;
  if (optionsGiven && !Font_ParseOptions(options, &bits)) {
    Runtime_Error(5);
    return 0;
  }
  int32_t handle = FONT_FIRST_LOADED;
  while (handle < FONT_TABLE_SIZE && fontTable[size_t(handle)].height != 0) handle++;
  if (handle == FONT_TABLE_SIZE) return -1;

  TTF_Font* face;
  int32_t height;
  if (size >= 1) {
    int32_t target = int32_t(std::nearbyint(size)) + 2;
    face = openForHeight(fileName, target);
    height = target - 2;
  } else {
    face = openAt(fileName, int32_t(size * 1000));
    height = face == nullptr ? 0 : TTF_FontHeight(face) - 2;
    if (face != nullptr && height < 1) {
      TTF_CloseFont(face);
      return -1;
    }
  }
  if (face == nullptr) return -1;
  TTF_SetFontStyle(face, bits & (FONT_BOLD | FONT_ITALIC | FONT_UNDERLINE));

  int32_t fixedWidth = 0;
  if (bits & FONT_MONOSPACE) {
    // A fixed width of 0 would leave text output nothing to divide a line by.
    if (TTF_FontFaceIsFixedWidth(face) > 0) fixedWidth = blankWidth(face);
    if (fixedWidth == 0) {
      TTF_CloseFont(face);
      return -1;
    }
  }
  fontTable[size_t(handle)] = FontRecord{face, height, fixedWidth, bits};
  // A damaged face can open and yet render nothing: every text in it would vanish without a
  // word, so it is refused like a file that is no font.
  if (!rendersAnything(handle)) {
    TTF_CloseFont(face);
    fontTable[size_t(handle)] = FontRecord{};
    return -1;
  }
  return handle;
}

void Font_Free(int32_t handle) {
  if (Error_Pending() || handle < FONT_FIRST_LOADED || handle >= FONT_TABLE_SIZE) return;
  FontRecord& font = fontTable[size_t(handle)];
  if (font.face != nullptr) TTF_CloseFont(font.face);
  font = FontRecord{};
}

SDL_Surface* Font_RenderGlyph(int32_t handle, uint16_t ch, bool shaded) {
  const FontRecord* font = Font_Get(handle);
  if (font == nullptr || font->face == nullptr) return nullptr;
  // A damaged face can measure itself or a glyph absurdly (a negative height, a glyph thousands
  // of cells wide), and SDL_ttf would then ask for an absurd surface. Real glyphs stay within a
  // few cells of the height the face was opened for.
  long limit = 16L * (font->height + 2) + 64;
  int faceHeight = TTF_FontHeight(font->face);
  if (faceHeight < 1 || faceHeight > limit) return nullptr;
  int minX, maxX, minY, maxY, advance;
  if (TTF_GlyphMetrics(font->face, ch, &minX, &maxX, &minY, &maxY, &advance) < 0) return nullptr;
  for (int measure : {minX, maxX, minY, maxY, advance})
    if (std::labs(measure) > limit) return nullptr;
  const Uint16 text[] = {ch, 0};
  SDL_Color white{255, 255, 255, 0};
  return shaded ? TTF_RenderUNICODE_Shaded(font->face, text, white, white) : TTF_RenderUNICODE_Solid(font->face, text, white);
}
