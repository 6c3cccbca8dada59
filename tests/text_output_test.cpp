// Text output: cursor geometry and checks, line ends and scrolling, wrapping and the pending
// line end, control characters, and the pixels of built-in and TrueType glyphs.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_ttf.h>

#include <random>

#include "graphics/blend.h"
#include "graphics_fixture.h"
#include "graphics/color.h"
#include "graphics/image.h"
#include "graphics/screen.h"
#include "runtime/error.h"
#include "text/charset.h"
#include "text/font.h"
#include "text/glyph.h"
#include "text/glyphs.h"
#include "text/text_output.h"

namespace {

const char* const GAME_FONT = BRINE_ASSETS "/capture it.ttf";

// The game's font, loaded once for all tests (fonts live for the whole run).
int32_t loadedFont(const char* options) {
  if (!TTF_WasInit()) TTF_Init();
  return Font_Load(GAME_FONT, 22.0, options, *options != '\0');
}
int32_t gameFont() {
  static int32_t handle = loadedFont("");
  return handle;
}

// An 800 x 600 destination, the size of the game's screen.
struct TextOutput : ImageFixture {
  int32_t dest = 0;

  void SetUp() override {
    ImageFixture::SetUp();
    resize(800, 600);
  }

  ImageRecord* r() { return rec(dest); }
  uint32_t& pixel(int x, int y) { return at(dest, x, y); }
  void fillWith(uint32_t color) { std::fill(r()->pixels, r()->pixels + r()->width * r()->height, color); }
  void at(int row, int column) { Text_Locate(row, column, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN); }
  using ImageFixture::at;
  void expectCursor(int row, int column) {
    EXPECT_EQ(r()->cursorRow, row);
    EXPECT_EQ(r()->cursorColumn, column);
  }
  // Make a new page of w x h, with the defaults of a new image, the destination.
  void resize(int w, int h) {
    dest = make(w, h);
    setDest(dest);
  }
};

// ---- geometry and the cursor ----------------------------------------------------------------

TEST_F(TextOutput, RowsColumnsAndScrollRegionOfEachFont) {
  ASSERT_GE(gameFont(), 32);
  struct {
    int32_t font, rows, columns;
  } fonts[] = {{gameFont(), 27, 800}, {16, 37, 100}, {8, 75, 100}, {14, 42, 100}, {17, 37, 50}};
  for (auto f : fonts) {
    Font_Set(f.font, 0, false);
    EXPECT_EQ(r()->textBottom, f.rows - 1) << f.font;
    at(f.rows, f.columns);  // the last whole row and the last column are accepted
    EXPECT_EQ(pendingError, 0) << f.font;
    expectCursor(f.rows, f.columns);
    at(f.rows + 1, 1);
    EXPECT_EQ(pendingError, 5) << f.font;
    pendingError = 0;
    at(1, f.columns + 1);
    EXPECT_EQ(pendingError, 5) << f.font;
    pendingError = 0;
    expectCursor(f.rows, f.columns);
  }
}

TEST_F(TextOutput, FontSetHomesTheCursorAndRefusesWhatNamesNoFont) {
  at(10, 10);
  Font_Set(8, 0, false);
  expectCursor(1, 1);
  EXPECT_EQ(r()->font, 8);
  for (int32_t bad : {-1, 0, 7, 10, 31, 1000, 1024}) {
    Font_Set(bad, 0, false);
    EXPECT_EQ(pendingError, 258) << bad;
    pendingError = 0;
  }
  EXPECT_EQ(r()->font, 8);
  int32_t freed = loadedFont("");
  Font_Set(freed, 0, false);
  Font_Free(freed);  // the image's font now names no font
  for (auto use : {+[] { Text_Print("a", false); }, +[] { Text_Locate(1, 1, 0, 0, 0, 3); }}) {
    use();
    EXPECT_EQ(pendingError, 258);
    pendingError = 0;
  }
  Font_Set(16, 12345, true);
  EXPECT_EQ(pendingError, 258);
}

TEST_F(TextOutput, LocateChecksEverythingBeforeChangingAnything) {
  at(5, 7);
  struct {
    int32_t row, column, shown, start, stop, given;
  } refused[] = {
      {38, 1, 0, 0, 0, 3}, {0, 1, 0, 0, 0, 1}, {36, 101, 0, 0, 0, 3}, {36, 0, 0, 0, 0, 3},
      {2, 2, 2, 0, 0, 7},  {2, 2, 0, 32, 0, 11}, {2, 2, 0, 0, -1, 19},
  };
  for (auto c : refused) {
    Text_Locate(c.row, c.column, c.shown, c.start, c.stop, c.given);
    EXPECT_EQ(pendingError, 5);
    pendingError = 0;
    expectCursor(5, 7);
  }
  Text_Locate(9, 0, 0, 0, 0, LOCATE_ROW);
  expectCursor(9, 7);
  Text_Locate(0, 3, 0, 0, 0, LOCATE_COLUMN);
  expectCursor(9, 3);
}

TEST_F(TextOutput, PrintModeMapping) {
  const uint8_t stored[] = {3, 1, 2};
  for (int mode = 1; mode <= 3; mode++) {
    Text_SetPrintMode(mode, 0, false);
    EXPECT_EQ(r()->printMode, stored[mode - 1]);
  }
  Text_SetPrintMode(4, 0, false);
  Text_SetPrintMode(0, 0, false);
  EXPECT_EQ(r()->printMode, 2);
  EXPECT_EQ(pendingError, 0);
}

// ---- line ends, scrolling, wrapping ------------------------------------------------------------

TEST_F(TextOutput, LineEndOnTheLastRowOfTheRegionScrollsPixelRowsExactly) {
  for (int y = 0; y < 600; y++)
    for (int x = 0; x < 800; x++) pixel(x, y) = 0xFF000000u | uint32_t(y) << 12 | uint32_t(x);
  r()->backColor = 0x40102030;  // stored as it is, not blended
  at(36, 1);
  Text_Print("", true);
  expectCursor(36, 1);
  for (int y = 0; y < 600; y++) {
    uint32_t want = y < 560 ? 0xFF000000u | uint32_t(y + 16) << 12 : y < 576 ? 0x40102030u : 0xFF000000u | uint32_t(y) << 12;
    for (int x = 0; x < 800; x += 97) {
      uint32_t expected = y >= 560 && y < 576 ? want : want | uint32_t(x);
      ASSERT_EQ(pixel(x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(TextOutput, LineEndFromTheLastWholeRowAlsoScrollsToTheRegionEnd) {
  at(37, 5);
  Text_Print("", true);
  expectCursor(36, 1);
}

TEST_F(TextOutput, FullLineWithEndLineEndsItOnce) {
  at(1, 1);
  Text_Print(std::string(100, 'x'), true);
  expectCursor(2, 1);
  EXPECT_EQ(r()->textPending, 0);
}

TEST_F(TextOutput, FullLineWithoutEndLineLeavesTheLineEndPending) {
  at(1, 1);
  Text_Print(std::string(100, 'x'), false);
  expectCursor(1, 100);
  EXPECT_EQ(r()->textPending, 1);
  Text_Print("", false);  // nothing to print: still pending
  EXPECT_EQ(r()->textPending, 1);
  Text_Print("y", false);
  expectCursor(2, 2);
  EXPECT_EQ(r()->textPending, 0);

  at(1, 1);
  Text_Print(std::string(100, 'x'), false);
  Text_Print("", true);  // the pending line end and this one are the same
  expectCursor(2, 1);

  at(1, 1);
  Text_Print(std::string(100, 'x'), false);
  Text_Locate(0, 0, 0, 0, 0, 0);
  EXPECT_EQ(r()->textPending, 2);
  at(1, 1);
  EXPECT_EQ(r()->textPending, 0);
}

TEST_F(TextOutput, LongTextWrapsAndEmptyTextEndsTheLine) {
  at(3, 1);
  Text_Print(std::string(250, 'x'), false);
  expectCursor(5, 51);
  Text_Print("", true);
  expectCursor(6, 1);
}

TEST_F(TextOutput, FitItemStartsANewLineOnlyWhenNeeded) {
  at(4, 1);
  Text_FitItem(std::string(500, 'x'));  // column 1: never
  expectCursor(4, 1);
  at(4, 91);
  Text_FitItem("abcdefghij");  // 90 x 8 + 80 = 800 fits
  expectCursor(4, 91);
  Text_FitItem("abcdefghijk");
  expectCursor(5, 1);

  Font_Set(gameFont(), 0, false);
  at(2, 700);
  Text_FitItem("W");
  expectCursor(2, 700);
  Text_FitItem("WWWWWWWWWW");
  expectCursor(3, 1);
}

TEST_F(TextOutput, ControlCharacters) {
  at(4, 1);
  Text_Print("a\r\nb", false);
  expectCursor(6, 2);
  Text_Print("a\nb\r", true);  // the CR ends the line and end line ends it again
  expectCursor(9, 1);
  at(5, 5);
  Text_Print("\x0b", false);
  expectCursor(1, 1);
  at(5, 100);
  Text_Print("\x1c", false);
  expectCursor(6, 1);
  Text_Print("\x1d", false);
  expectCursor(5, 100);
  Text_Print("\x1e\x1e", false);
  expectCursor(3, 100);
  Text_Print("\x1f", false);
  expectCursor(4, 100);
  at(1, 1);
  Text_Print("\x1d\x1e", false);  // nowhere to go from the top left
  expectCursor(1, 1);
  at(36, 3);
  Text_Print("\x1f", false);  // not below the scroll region
  expectCursor(36, 3);

  fillWith(0xFF00FF00);
  at(7, 7);
  Text_Print("\a", false);  // the bell moves nothing and draws nothing
  expectCursor(7, 7);
  EXPECT_EQ(pixel(48, 96), 0xFF00FF00u);

  r()->backColor = 0x80123456;
  at(7, 7);
  Text_Print("\x0c", false);
  expectCursor(1, 1);
  EXPECT_EQ(pixel(0, 0), 0x80123456u);
  EXPECT_EQ(pixel(799, 599), 0x80123456u);
}

TEST_F(TextOutput, TabsInAFixedWidthFont) {
  for (auto [from, to] : {std::pair{1, 9}, {8, 9}, {9, 17}, {16, 17}, {17, 25}}) {
    at(2, from);
    Text_Print("\t", false);
    expectCursor(2, to);
  }
  // At the right edge the blanks fill the line and wait for the next print.
  at(2, 97);
  Text_Print("\t", false);
  expectCursor(2, 100);
  EXPECT_EQ(r()->textPending, 1);
  // With more to print it goes on to the next row's first stop; a row with no stop ends it.
  at(2, 97);
  Text_Print("\tx", false);
  expectCursor(3, 10);
  at(2, 97);
  Text_Print("\t", true);
  expectCursor(4, 1);
  resize(40, 100);
  Text_Print("\tx", false);
  expectCursor(3, 2);
}

TEST_F(TextOutput, TabsInAProportionalFontFillToTheNextStop) {
  Font_Set(gameFont(), 0, false);
  Text_SetPrintMode(2, 0, false);
  fillWith(0xFF00FF00);
  r()->backColor = 0xFF0000FF;
  at(2, 11);
  Text_Print("\t", false);
  expectCursor(2, 65);
  EXPECT_EQ(pixel(9, 22), 0xFF00FF00u);
  EXPECT_EQ(pixel(10, 22), 0xFF0000FFu);
  EXPECT_EQ(pixel(63, 43), 0xFF0000FFu);
  EXPECT_EQ(pixel(64, 22), 0xFF00FF00u);
  EXPECT_EQ(pixel(30, 44), 0xFF00FF00u);
  Text_Print("\t", false);
  expectCursor(2, 129);
  at(2, 780);
  Text_Print("\t", true);  // past the last stop: filled to the edge, one line end only
  expectCursor(3, 1);
  EXPECT_EQ(pixel(799, 30), 0xFF0000FFu);
}

TEST_F(TextOutput, ProportionalTextWrapsBeforeAGlyphThatWouldCross) {
  Font_Set(gameFont(), 0, false);
  int32_t w = Glyph_Width(gameFont(), 'M');
  ASSERT_GT(w, 0);
  at(1, 800 - w);  // cursorColumn + w = 800: fits
  Text_Print("M", false);
  EXPECT_EQ(r()->cursorRow, 1);
  at(1, 801 - w);
  Text_Print("MM", false);
  expectCursor(2, 1 + 2 * w);
}

// ---- glyph pixels ------------------------------------------------------------------------------

TEST_F(TextOutput, BuiltInGlyphsInEachPrintMode) {
  const uint32_t picture = 0xFF00FF00, fg = 0xFFFF0000, bg = 0xFF0000FF;
  for (int32_t font : {8, 14, 16}) {
    for (int mode = 1; mode <= 3; mode++) {
      fillWith(picture);
      Font_Set(font, 0, false);
      Color_Set(fg, bg, 0, COLOR_FORE | COLOR_BACK);
      Text_SetPrintMode(mode, 0, false);
      at(3, 4);
      Text_Print("\x02", false);  // a glyph with set and clear pixels in every row
      const uint8_t* rows = Glyphs_Rows(font, 2);
      int h = font, x0 = 24, y0 = 2 * h;
      for (int y = -1; y <= h; y++)
        for (int x = -1; x <= 8; x++) {
          bool inCell = y >= 0 && y < h && x >= 0 && x < 8;
          bool set = inCell && rows[y * 8 + x] != 0;
          uint32_t want = !inCell ? picture : set ? (mode == 3 ? picture : fg) : (mode == 2 ? picture : bg);
          ASSERT_EQ(pixel(x0 + x, y0 + y), want) << "font " << font << " mode " << mode << " at " << x << "," << y;
        }
    }
  }
}

TEST_F(TextOutput, DoubleWidthFontsDrawEachPixelTwice) {
  Font_Set(17, 0, false);
  Text_Print("A", false);
  expectCursor(1, 2);
  const uint8_t* rows = Glyphs_Rows(16, 'A');
  for (int y = 0; y < 16; y++)
    for (int x = 0; x < 16; x++) ASSERT_EQ(pixel(x, y), rows[y * 8 + x / 2] ? 0xFFFFFFFFu : 0xFF000000u);
}

// Coverage of ch in the game font as the renderer gives it, from its second row on.
std::vector<uint8_t> renderedRows(uint16_t ch, int* w, int h) {
  SDL_Surface* s = Font_RenderGlyph(gameFont(), ch, true);
  EXPECT_NE(s, nullptr);
  *w = s->w;
  std::vector<uint8_t> rows(size_t(*w) * h, 0);
  for (int y = 0; y < h && y + 1 < s->h; y++)
    for (int x = 0; x < *w; x++) rows[size_t(y) * *w + x] = static_cast<uint8_t*>(s->pixels)[(y + 1) * s->pitch + x];
  SDL_FreeSurface(s);
  return rows;
}

TEST_F(TextOutput, AntiAliasedGlyphKeepBackgroundAlpha) {
  Font_Set(gameFont(), 0, false);
  Text_SetPrintMode(2, 0, false);
  int w = 0;
  std::vector<uint8_t> v = renderedRows(Charset_ToUnicode('G'), &w, 22);
  int partial = 0;
  for (uint8_t c : v) partial += c > 0 && c < 255;
  ASSERT_GT(partial, 0) << "the glyph has no anti-aliased edge";
  for (uint32_t fa : {255u, 128u, 37u}) {
    const uint32_t picture = 0xFF204060;
    fillWith(picture);
    uint32_t fg = fa << 24 | 0xE0C0A0;
    Color_Set(fg, 0, 0, COLOR_FORE);
    at(2, 101);
    Text_Print("G", false);
    expectCursor(2, 101 + w);
    for (int y = 0; y < 22; y++)
      for (int x = 0; x < w; x++) {
        uint32_t c = v[size_t(y) * w + x];
        uint32_t want = c == 0 ? picture : Blend_Pixel(picture, ((c * (fa + 1)) / 256) << 24 | 0xE0C0A0);
        ASSERT_EQ(pixel(100 + x, 22 + y), want) << "alpha " << fa << " at " << x << "," << y;
      }
    EXPECT_EQ(pixel(100, 21), picture);
    EXPECT_EQ(pixel(100, 44), picture);
  }
}

TEST_F(TextOutput, AntiAliasedGlyphOnlyAndFillBackground) {
  Font_Set(gameFont(), 0, false);
  int w = 0;
  std::vector<uint8_t> v = renderedRows(Charset_ToUnicode('G'), &w, 22);
  const uint32_t picture = 0xFF204060, fg = 0xFFE0C0A0, bg = 0xFF102030;
  Color_Set(fg, bg, 0, COLOR_FORE | COLOR_BACK);

  fillWith(picture);
  Text_SetPrintMode(3, 0, false);
  Text_Print("G", false);
  for (int y = 0; y < 22; y++)
    for (int x = 0; x < w; x++) {
      uint32_t c = v[size_t(y) * w + x];
      uint32_t want = c == 255 ? picture : Blend_Pixel(picture, (256 * (255 - c) / 256) << 24 | 0x102030);
      ASSERT_EQ(pixel(x, y), want) << x << "," << y;
    }

  // Fill background with both colours opaque: the colour runs from background to foreground.
  fillWith(picture);
  Text_SetPrintMode(1, 0, false);
  at(1, 1);
  Text_Print("G", false);
  for (int y = 0; y < 22; y++)
    for (int x = 0; x < w; x++) {
      uint32_t c = v[size_t(y) * w + x];
      if (c == 0) {
        ASSERT_EQ(pixel(x, y), bg);
      } else if (c == 255) {
        ASSERT_EQ(pixel(x, y), fg);
      }
      uint32_t red = pixel(x, y) >> 16 & 255;
      ASSERT_TRUE(red >= 0x10 && red <= 0xE0);
    }
}

TEST_F(TextOutput, TwoLevelGlyphWhenTheImageDoesNotBlend) {
  Font_Set(gameFont(), 0, false);
  r()->noBlend = 1;
  Color_Set(0x80FFFFFF, 0, 0, COLOR_FORE);
  Text_SetPrintMode(2, 0, false);
  Text_Print("G", false);
  for (int y = 0; y < 22; y++)
    for (int x = 0; x < 10; x++) {
      uint32_t p = pixel(x, y);
      ASSERT_TRUE(p == 0 || p == 0x80FFFFFFu) << std::hex << p;
    }
}

TEST_F(TextOutput, UnicodeFontReadsFourBytesPerCharacter) {
  static int32_t wide = loadedFont("UNICODE");
  ASSERT_GE(wide, 32);
  Font_Set(wide, 0, false);
  int32_t w = Glyph_Width(gameFont(), 'A');
  Text_Print(std::string("A\0\0\0A\0\0\0\x0a\0", 10), false);  // two characters, two bytes left over
  expectCursor(1, 1 + 2 * w);
  Text_Print(std::string("\x0a\0\0\0", 4), false);  // code point 10 ends the line
  expectCursor(2, 1);
  Text_Print(std::string("\x00\x00\x01\x00", 4), false);  // beyond one UTF-16 unit: skipped
  expectCursor(2, 1);
}

// ---- bad input ---------------------------------------------------------------------------------

// Rows the cursor may be put on: the scroll region and the last whole row.
int32_t rowsOf(int32_t font, int32_t h) { return h / Font_Get(font)->height; }

TEST_F(TextOutput, RandomBytesInEveryFontAndModeStayInsideTheImage) {
  std::mt19937 random(77);
  std::vector<int32_t> fonts = {8, 9, 14, 15, 16, 17, gameFont()};
  static int32_t wide = loadedFont("UNICODE"), flat = loadedFont("DONTBLEND");
  fonts.push_back(wide);
  fonts.push_back(flat);
  for (auto [w, h] : {std::pair{800, 600}, {13, 7}, {70, 30}}) {
    resize(w, h);
    for (int32_t font : fonts) {
      Font_Set(font, 0, false);
      for (int mode = 1; mode <= 3; mode++) {
        Text_SetPrintMode(mode, 0, false);
        // Every position the cursor can be put at on the small pages, a sample on the big one.
        int32_t rows = rowsOf(font, h), columns = Font_Get(font)->fixedWidth ? w / Font_Get(font)->fixedWidth : w;
        int32_t positions = rows * columns, rounds = w < 100 ? std::max(positions, 1) : 12;
        for (int round = 0; round < rounds; round++) {
          if (positions > 0) {
            int32_t p = w < 100 ? round : int32_t(random() % positions);
            at(1 + p / columns, 1 + p % columns);
            ASSERT_EQ(pendingError, 0);
          }
          std::string text;
          for (int i = random() % 40; i > 0; i--) {
            char c = char(random());
            text.push_back(c == 7 ? 'x' : c);  // the bell only waits
          }
          Text_FitItem(text);
          Text_Print(text, random() % 2);
          ASSERT_EQ(pendingError, 0);
          ASSERT_GE(r()->cursorRow, 1);
          ASSERT_GE(r()->cursorColumn, 1);
        }
      }
    }
  }
}

}  // namespace
