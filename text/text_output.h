// text_output.h: printing into images at a character-cell cursor.
//
// Each image keeps its own text state in its record (font, colours, print mode, cursor, scroll
// region, pending line end). Text_Locate, Text_FitItem and Text_Print work on drawDest. Text
// is bytes; a "UNICODE" font reads four bytes (little-endian) per character. While an error
// is pending every operation here does nothing. Game thread only.
#pragma once

#include <cstdint>
#include <string>

// Select font for image (else drawDest), home the cursor and reset the scroll region to the
// font's rows. Errors: 258 for a handle that names no font or an invalid image; 5 for a font
// that is not fixed-width on the start-up text page.
void Font_Set(int32_t font, int32_t image, bool imageGiven);

// Print mode of image (else drawDest): 1 fill background, 2 keep background, 3 only background;
// other values change nothing. Error 5 for any mode but 1 on the start-up text page; 258.
void Text_SetPrintMode(int32_t mode, int32_t image, bool imageGiven);

enum : int32_t { LOCATE_ROW = 1, LOCATE_COLUMN = 2, LOCATE_SHOWN = 4, LOCATE_START = 8, LOCATE_STOP = 16 };
// Move the cursor to the given row and/or column. Error 5, with nothing changed, for a row
// outside the scroll region other than the last whole row, a column outside the image, a shown
// value other than 0 or 1, or start/stop lines outside 0..31.
void Text_Locate(int32_t row, int32_t column, int32_t shown, int32_t start, int32_t stop, int32_t given);

// Start a new line first when text would not fit after the cursor (not at column 1, not while
// a line end is pending).
void Text_FitItem(const std::string& text);

// Print text at the cursor, wrapping at the right edge and scrolling at the bottom of the
// scroll region; control characters 7, 9 to 13 and 28 to 31 act instead of drawing. With
// endLine the cursor then goes to the start of the next line.
void Text_Print(const std::string& text, bool endLine);
