// image.h: images as 32-bit pixel arrays named by integer handles.
//
// A negative handle h names record -h of the image table; 0 names the screen page; -1 is the
// failure value of Image_Load and Image_Copy. Records 0 and 1 are never images. Freed record
// numbers are reused last in, first out. The table grows in blocks of 4096 records that never
// move, so the presentation on the main thread can hold a record of the screen page while the
// game thread creates images. Everything else here belongs to the game thread.
#pragma once

#include <cstdint>
#include <string>

enum : uint32_t {
  IMAGE_OWNS_PALETTE = 1u << 0,
  IMAGE_IS_SCREEN_PAGE = 1u << 1,
  IMAGE_OWNS_PIXELS = 1u << 2,
};

struct ImageRecord {
  uint8_t inUse;         // record holds a live image
  uint8_t isTextPage;    // the built-in start-up page, not a pixel image for drawing
  uint16_t width, height;
  uint8_t bytesPerPixel;  // 4
  uint8_t bitsPerPixel;   // 32
  uint32_t colorMask;     // bits of a colour that drawing stores
  uint16_t mode;          // 32 for every image here
  uint32_t foreColor;     // drawing and text colour when none is given
  uint32_t backColor;     // text background
  uint32_t lastColor;     // colour of the last drawing operation
  int32_t font;           // font handle for text; 16 is the built-in 8 x 16 font
  int16_t textTop, textBottom;         // first and last text row of the scroll region
  int16_t cursorColumn, cursorRow;     // text cursor, 1-based
  uint32_t* pixels;       // width x height words 0xAARRGGBB, row after row
  uint32_t ownership;     // IMAGE_* bits
  uint8_t noBlend;        // 1: colours are copied into and out of this image without blending
  uint8_t textPending;    // a line end waits before the next printed character
  uint8_t printMode;      // text background: 3 fill, 1 keep, 2 only background
  int32_t clipX1, clipY1, clipX2, clipY2;  // inclusive clip rectangle
  float lastX, lastY;     // graphics cursor
};

enum : uint32_t { IMAGE_HANDLE_GIVEN = 1 };

// ---- operations of the game ---------------------------------------------------------------

// Load a JPEG or PNG file as a new 32-bit image; passed bit 0 says mode is given (32 or 256,
// both load 32-bit). Returns the new handle; -1 without an error when the file is missing, of
// another kind, cut short, corrupt or above 32 M pixels; 0 after an error (5: bad mode, or no
// mode while the start-up page is the destination).
int32_t Image_Load(const std::string& fileName, int32_t mode, int32_t passed);
// A new image equal to handle (or drawDest); -1 when its pixels cannot be had. Error 258.
int32_t Image_Copy(int32_t handle, int32_t passed);
// Free handle (or drawDest). Error 5 for a non-negative handle or the screen page, 258.
void Image_Free(int32_t handle, int32_t passed);
// A new blank image that takes font, colours, noBlend and print mode from drawDest; 0 on failure.
int32_t Image_New(int32_t width, int32_t height);
// Blend color into pixel (x, y) of drawDest; the caller has checked that it lies inside.
void Image_PutPixel(int32_t x, int32_t y, uint32_t color);
// Image_PutPixel where (x, y) lies inside drawDest's clip rectangle, nothing elsewhere.
void Image_PlotClipped(int32_t x, int32_t y, uint32_t color);

// ---- record access for the graphics and text modules ---------------------------------------

// Record number n; n must be below Image_RecordCount().
ImageRecord* Image_Record(int32_t n);
// Number of records ever handed out (record numbers below it may be looked up).
int32_t Image_RecordCount();
// Record number of a valid negative handle, else runtime error 258 and 0.
int32_t Image_Lookup(int32_t handle);
// Take a record number and make a blank image of that size with the defaults of a new image.
// Returns the record number, 0 when the size is below 1 or the pixels cannot be had.
int32_t Image_Create(int32_t width, int32_t height);
// Free the pixels the record owns, clear it and put its number on the free stack.
void Image_Release(int32_t n);
// Record numbers 0 and 1 are taken at once; the first call makes the table.
void Image_InitTable();
