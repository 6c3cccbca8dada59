// glyphs.h: the built-in bitmap glyph sets, the PC VGA adapter's 8 x 8 and 8 x 16 fonts in
// code page 437. The packed rows are constant; the one-byte-a-pixel sets are made at first
// use (thread-safe) and constant afterwards.
#pragma once

#include <cstdint>

// Packed rows, one byte a row with the leftmost pixel in the top bit: glyph n of the 8 x 8 set
// is bytes n x 8 to n x 8 + 7, of the 8 x 16 set bytes n x 16 to n x 16 + 15.
extern const uint8_t glyphBits8x8[256 * 8];
extern const uint8_t glyphBits8x16[256 * 16];

// The 8 x 8 set, one byte per pixel (0 clear, 255 set), row by row, eight bytes a row: glyph n
// starts at byte n x 64.
const uint8_t* Glyphs_Set8x8();
// The 8 x 16 set in the same form: glyph n starts at byte n x 128.
const uint8_t* Glyphs_Set8x16();
// First pixel row (eight bytes, then the next rows follow) of glyph ch in built-in font 8, 14
// or 16; font 14 is rows 1 to 14 of the 8 x 16 glyph. nullptr for any other font.
const uint8_t* Glyphs_Rows(int32_t font, uint8_t ch);
