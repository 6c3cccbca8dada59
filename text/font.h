// font.h: the font table. Handles 0 to 31 are the built-in bitmap fonts (8, 14 and 16 have
// glyphs, see glyphs.h; 9, 15 and 17 are their double-width companions); 32 to 1023 are
// TrueType faces opened by Font_Load and kept for the whole run. The table belongs to the game
// thread.
#pragma once

#include <cstdint>
#include <string>

typedef struct _TTF_Font TTF_Font;
struct SDL_Surface;

enum : int32_t {
  FONT_BOLD = 1,  // the first three are SDL_ttf's style bits
  FONT_ITALIC = 2,
  FONT_UNDERLINE = 4,
  FONT_DONTBLEND = 8,   // draw two-level glyphs, never anti-aliased
  FONT_MONOSPACE = 16,  // every character in a cell of the fixed width
  FONT_UNICODE = 32,    // text is four-byte little-endian code points
};

enum { FONT_TABLE_SIZE = 1024, FONT_FIRST_LOADED = 32 };

struct FontRecord {
  TTF_Font* face;      // the opened TrueType face; nullptr for built-in and free entries
  int32_t height;      // cell height in pixels; 0 marks an entry that names no font
  int32_t fixedWidth;  // cell width of a fixed-width font; 0 for a proportional one
  int32_t options;     // FONT_* bits
};

// Load a TrueType file for text cells size pixels high (the face is found about size + 2
// pixels high). Returns the handle, 32 to 1023; -1 when the file cannot be opened as a font
// or its face renders no printable character (a damaged file), no entry is free, the cell
// would be below 1 pixel, or "MONOSPACE" is asked of a face that is not fixed-width; 0 for a
// size of 1000.5 or more, or after error 5 (a size below 0.001, or a bad or repeated option
// word among "BOLD", "ITALIC", "UNDERLINE", "DONTBLEND", "MONOSPACE", "UNICODE"). 0 while an
// error is pending.
int32_t Font_Load(const std::string& fileName, double size, const std::string& options, bool optionsGiven);

// Close a loaded face and free its entry for the next Font_Load; built-in fonts and handles
// that name no face are left alone. An image still set to the handle raises error 258 (a
// handle that names no font) when it prints or places its cursor, until it is given a font
// again or a later Font_Load takes the handle.
void Font_Free(int32_t handle);

// The entry of handle when it names a font (built-in 8, 9, 14, 15, 16, 17 or a loaded face),
// else nullptr.
const FontRecord* Font_Get(int32_t handle);

// Parse an options text into FONT_* bits; false for a bad or repeated word.
bool Font_ParseOptions(const std::string& text, int32_t* bits);

// The point size to open a face at so that it is about target pixels high, from the height it
// has at point size 1000: trunc(target x 1000 / heightAt1000), 0 when that height is not
// positive.
int32_t Font_PointSizeFor(int32_t target, int32_t heightAt1000);

// Render character ch of loaded font handle by itself, white: shaded (8-bit, index = coverage)
// or solid (index 1 = set). nullptr when SDL_ttf cannot render it, or when the face's own
// measure of the glyph is absurd for its height (a damaged file): such a glyph is skipped.
// The caller frees the surface.
SDL_Surface* Font_RenderGlyph(int32_t handle, uint16_t ch, bool shaded);
