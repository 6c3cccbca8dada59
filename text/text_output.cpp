// text_output.cpp: font selection, print mode, the cursor, line ends, scrolling and printing.
//
// Owns no state of its own: everything lives in the text fields of the image records (font,
// foreColor, backColor, printMode, cursorColumn, cursorRow, textTop, textBottom, textPending),
// written here on the game thread. cursorColumn is a cell column in a fixed-width font and
// pixel x + 1 in a proportional one.
#include "text/text_output.h"

#include <algorithm>
#include <cstring>

#include "graphics/draw.h"
#include "graphics/image.h"
#include "graphics/screen.h"
#include "platform/platform.h"
#include "runtime/error.h"
#include "sound/tone.h"
#include "text/font.h"
#include "text/glyph.h"

namespace {

// The font of an image, or error 258 and nullptr when it names no font any more (it was freed
// after Font_Set gave it to the image).
const FontRecord* fontOf(const ImageRecord* r) {
  const FontRecord* f = Font_Get(r->font);
  if (f == nullptr) Runtime_Error(258);
  return f;
}

int32_t rowsOnImage(const ImageRecord* r, const FontRecord* f) { return r->height / f->height; }

int32_t columnsOnImage(const ImageRecord* r, const FontRecord* f) {
  return f->fixedWidth ? r->width / f->fixedWidth : r->width;
}

// The cursor is int16: on images wider than that a proportional cursor stops at its limit. On
// an image narrower than one cell there are no columns, and the cursor stays on column 1.
void setColumn(ImageRecord* r, int32_t column) { r->cursorColumn = int16_t(std::clamp<int32_t>(column, 1, INT16_MAX)); }

int32_t cellX(const ImageRecord* r, const FontRecord* f) {
  return f->fixedWidth ? (r->cursorColumn - 1) * f->fixedWidth : r->cursorColumn - 1;
}

int32_t cellY(const ImageRecord* r, const FontRecord* f) { return (r->cursorRow - 1) * f->height; }

// Fill whole pixel rows [from, to) with color, stored as it is.
void fillRows(ImageRecord* r, int32_t from, int32_t to, uint32_t color) {
  from = std::max(from, 0);
  to = std::min<int32_t>(to, r->height);
  if (from >= to) return;
  std::fill(r->pixels + size_t(from) * r->width, r->pixels + size_t(to) * r->width, color);
}

// To column 1 of the next row; below the scroll region the region moves up one text row by a
// raw copy of its pixel rows, and its last row is cleared to backColor.
void lineEnd(ImageRecord* r, const FontRecord* f) {
  r->cursorRow++;
  r->cursorColumn = 1;
  if (r->cursorRow <= r->textBottom) return;
  int32_t h = f->height;
  int32_t top = r->textTop * h, bottom = std::min<int32_t>(r->textBottom * h, r->height);
  if (top < bottom)
    std::memmove(r->pixels + size_t(top - h) * r->width, r->pixels + size_t(top) * r->width,
                 size_t(bottom - top) * r->width * sizeof(uint32_t));
  fillRows(r, (r->textBottom - 1) * h, r->textBottom * h, r->backColor);
  r->cursorRow = r->textBottom;
}

// Draw one glyph at the cursor and advance. moreFollows: the print goes on after it (so a full
// line ends now rather than waiting). Returns true when the glyph ended the line.
bool printGlyph(ImageRecord* r, const FontRecord* f, uint32_t ch, bool moreFollows) {
  Glyph glyph = Glyph_Make(r->font, ch);
  if (f->fixedWidth == 0 && r->cursorColumn + glyph.width > r->width) lineEnd(r, f);
  Glyph_Draw(glyph, cellX(r, f), cellY(r, f));
  Glyph_Release(&glyph);
  int32_t t = f->fixedWidth ? f->fixedWidth : 1;
  setColumn(r, r->cursorColumn + (f->fixedWidth ? 1 : glyph.width));
  if (r->width - t >= t * (r->cursorColumn - 1)) return false;
  if (moreFollows) {
    lineEnd(r, f);
    return true;
  }
  setColumn(r, r->width / t);
  r->textPending = 1;
  return false;
}

// Tab: to the next column 8k + 1 by blanks in a fixed-width font, to the next multiple of 64
// pixels by a backColor box in a proportional one. Returns true when it ended the line.
bool tab(ImageRecord* r, const FontRecord* f, bool moreFollows) {
  if (f->fixedWidth) {
    // At the right edge with more to print the blanks go on to the next row's first stop.
    // Two cases would never stop: a line end left pending keeps the cursor at the edge, and a
    // row narrower than 8 columns has no stop, so a second line end ends the tab too.
    for (bool wrapped = false;;) {
      int32_t before = r->cursorColumn;
      bool ended = printGlyph(r, f, ' ', moreFollows);
      if (before % 8 == 0 || r->textPending || (ended && wrapped)) return ended;
      wrapped = wrapped || ended;
    }
  }
  int32_t x = r->cursorColumn - 1, y = cellY(r, f);
  int32_t stop = (x / 64 + 1) * 64;
  float bottom = float(y + f->height - 1);
  if (stop < r->width) {
    Draw_FillBox(float(x), float(y), float(stop - 1), bottom, r->backColor);
    setColumn(r, stop + 1);  // the cursor's pixel is the stop, so the next tab goes on
    return false;
  }
  Draw_FillBox(float(x), float(y), float(r->width - 1), bottom, r->backColor);
  lineEnd(r, f);
  return true;
}

// Character 7: a short tone of G5, then a quarter-second wait (the tone is over by then, so
// its channel is free again before the game goes on).
void bell() {
  Sound_Tone(783.99, 200);
  Sys_Sleep(250);
}

// Acts on a control character; false when ch is not one (it is then drawn as a glyph).
bool control(ImageRecord* r, const FontRecord* f, uint32_t ch, bool moreFollows, bool* endedLine) {
  int32_t columns = columnsOnImage(r, f);
  switch (ch) {
    case 7: bell(); return true;
    case 9: *endedLine = tab(r, f, moreFollows); return true;
    case 10:
    case 13: lineEnd(r, f); return true;
    case 11:
      r->cursorColumn = 1;
      r->cursorRow = r->textTop;
      return true;
    case 12:
      fillRows(r, 0, r->height, r->backColor);
      r->cursorColumn = 1;
      r->cursorRow = r->textTop;
      return true;
    case 28:
      if (r->cursorRow < r->textBottom || r->cursorColumn < columns) {
        setColumn(r, r->cursorColumn + 1);
        if (r->cursorColumn > columns) {
          r->cursorColumn = 1;
          r->cursorRow++;
        }
      }
      return true;
    case 29:
      if (r->cursorColumn > 1) {
        r->cursorColumn--;
      } else if (r->cursorRow != r->textTop && r->cursorRow <= r->textBottom) {
        r->cursorRow--;
        setColumn(r, columns);
      }
      return true;
    case 30:
      if (r->textTop < r->cursorRow && r->cursorRow <= r->textBottom) r->cursorRow--;
      return true;
    case 31:
      if (r->textTop <= r->cursorRow && r->cursorRow < r->textBottom) r->cursorRow++;
      return true;
    default: return false;
  }
}

// Record of image (else drawDest); nullptr after error 258.
ImageRecord* imageFor(int32_t image, bool imageGiven) {
  int32_t n = imageGiven ? Image_Lookup(image) : drawDest;
  return n == 0 ? nullptr : Image_Record(n);
}

}  // namespace

void Font_Set(int32_t font, int32_t image, bool imageGiven) {
  if (Error_Pending()) return;
  ImageRecord* r = imageFor(image, imageGiven);
  if (r == nullptr) return;
  const FontRecord* f = Font_Get(font);
  if (f == nullptr) return Runtime_Error(258);
  if (r->isTextPage && f->fixedWidth == 0) return Runtime_Error(5);
  r->font = font;
  r->cursorColumn = 1;
  r->cursorRow = 1;
  r->textTop = 1;
  r->textBottom = int16_t(std::max(1, r->height / f->height - 1));
}

void Text_SetPrintMode(int32_t mode, int32_t image, bool imageGiven) {
  if (Error_Pending()) return;
  ImageRecord* r = imageFor(image, imageGiven);
  if (r == nullptr) return;
  if (r->isTextPage && mode != 1) return Runtime_Error(5);
  static const uint8_t stored[] = {0, 3, 1, 2};
  if (mode >= 1 && mode <= 3) r->printMode = stored[mode];
}

void Text_Locate(int32_t row, int32_t column, int32_t shown, int32_t start, int32_t stop, int32_t given) {
  if (Error_Pending()) return;
  ImageRecord* r = Image_Record(drawDest);
  const FontRecord* f = fontOf(r);
  if (f == nullptr) return;
  bool rowBad = row < r->textTop || (row > r->textBottom && row != rowsOnImage(r, f));
  bool columnBad = column < 1 || column > columnsOnImage(r, f);
  if (((given & LOCATE_ROW) && rowBad) || ((given & LOCATE_COLUMN) && columnBad) ||
      ((given & LOCATE_SHOWN) && shown != 0 && shown != 1) || ((given & LOCATE_START) && (start < 0 || start > 31)) ||
      ((given & LOCATE_STOP) && (stop < 0 || stop > 31)))
    return Runtime_Error(5);
  if (given & LOCATE_ROW) r->cursorRow = int16_t(row);
  if (given & LOCATE_COLUMN) setColumn(r, column);
  if (given & (LOCATE_ROW | LOCATE_COLUMN)) r->textPending = 0;
  else if (r->textPending) r->textPending = 2;
}

namespace {

// Characters of a text: bytes, or in a "UNICODE" font little-endian 32-bit code points, of
// which a partial last one is dropped.
struct Characters {
  const std::string& text;
  bool wide;
  size_t next = 0;

  bool more() const { return text.size() - next >= (wide ? 4u : 1u); }
  uint32_t take() {
    const auto* p = reinterpret_cast<const uint8_t*>(text.data()) + next;
    next += wide ? 4 : 1;
    return wide ? uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24 : p[0];
  }
};

bool isWide(const FontRecord* f) { return (f->options & FONT_UNICODE) != 0; }

}  // namespace

void Text_FitItem(const std::string& text) {
  if (Error_Pending()) return;
  ScreenChangeNote note;
  ImageRecord* r = Image_Record(drawDest);
  if (r->textPending || r->cursorColumn == 1) return;
  const FontRecord* f = fontOf(r);
  if (f == nullptr) return;
  int64_t needed = int64_t(r->cursorColumn - 1) * (f->fixedWidth ? f->fixedWidth : 1);
  Characters characters{text, isWide(f)};
  // Summing stops once the item can no longer fit: a long item need not be rendered whole.
  while (characters.more() && needed <= r->width) needed += Glyph_Width(r->font, characters.take());
  if (needed > r->width) lineEnd(r, f);
}

void Text_Print(const std::string& text, bool endLine) {
  if (Error_Pending()) return;
  ScreenChangeNote note;
  ImageRecord* r = Image_Record(drawDest);
  const FontRecord* f = fontOf(r);
  if (f == nullptr) return;
  // A pending line end is taken by the next text; an empty one with endLine only drops it, as
  // its own line end below does the same.
  if (r->textPending && !text.empty()) {
    r->textPending = 0;
    lineEnd(r, f);
  } else if (r->textPending && endLine) {
    r->textPending = 0;
  }
  Characters characters{text, isWide(f)};
  bool endedLine = false;
  while (characters.more()) {
    uint32_t ch = characters.take();
    endedLine = false;
    bool moreFollows = characters.more() || endLine;
    if (!control(r, f, ch, moreFollows, &endedLine)) endedLine = printGlyph(r, f, ch, moreFollows);
  }
  if (endLine && !endedLine) lineEnd(r, f);
}
