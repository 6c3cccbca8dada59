// Font_Load over SDL_ttf: the size search, the option words, the table's handles, and damaged
// font files. Each test runs in a process of its own under CTest; tests that need an empty
// table say so and skip otherwise.
#include <gtest/gtest.h>

#include <SDL_ttf.h>

#include <filesystem>
#include <random>

#include "runtime/error.h"
#include "test_sounds.h"
#include "text/font.h"

namespace {

const std::string gameFont = BRINE_ASSETS "/capture it.ttf";
const std::string monoFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

struct Fonts : ::testing::Test {
  static void SetUpTestSuite() {
    if (!TTF_WasInit()) {
      ASSERT_EQ(TTF_Init(), 0);
    }
  }
  void SetUp() override { pendingError = 0; }
  void TearDown() override { pendingError = 0; }
};

// The parsing rules are pinned with the sound requirement words; here only the font's words.
TEST(FontOptions, Words) {
  int32_t bits;
  ASSERT_TRUE(Font_ParseOptions("bold, Italic ,UNDERLINE,DontBlend,monospace,unicode", &bits));
  EXPECT_EQ(bits, FONT_BOLD | FONT_ITALIC | FONT_UNDERLINE | FONT_DONTBLEND | FONT_MONOSPACE | FONT_UNICODE);
  ASSERT_TRUE(Font_ParseOptions("  monospace", &bits));
  EXPECT_EQ(bits, FONT_MONOSPACE);
  EXPECT_FALSE(Font_ParseOptions("bold,BOLD", &bits));
  EXPECT_FALSE(Font_ParseOptions("bold,,italic", &bits));
  EXPECT_FALSE(Font_ParseOptions("heavy", &bits));
}

TEST(FontTable, BuiltInFonts) {
  const int32_t heights[][3] = {{8, 8, 8}, {9, 8, 16}, {14, 14, 8}, {15, 14, 16}, {16, 16, 8}, {17, 16, 16}};
  for (const auto& font : heights) {
    const FontRecord* record = Font_Get(font[0]);
    ASSERT_NE(record, nullptr) << font[0];
    EXPECT_EQ(record->height, font[1]);
    EXPECT_EQ(record->fixedWidth, font[2]);
    EXPECT_EQ(record->face, nullptr);
  }
  for (int32_t handle : {-1, 0, 7, 10, 13, 18, 31, 32, 1023, 1024}) EXPECT_EQ(Font_Get(handle), nullptr) << handle;
}

TEST_F(Fonts, GameFontTwiceGivesTwoHandles) {
  if (Font_Get(32) != nullptr) GTEST_SKIP() << "needs a process where no font was loaded yet";
  EXPECT_EQ(Font_Load(gameFont, 22.0, "", false), 32);
  EXPECT_EQ(Font_Load(gameFont, 22.0, "", false), 33);
  for (int32_t handle : {32, 33}) {
    const FontRecord* font = Font_Get(handle);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->height, 22);
    EXPECT_EQ(TTF_FontHeight(font->face), 24);
    EXPECT_EQ(font->fixedWidth, 0);
    EXPECT_EQ(font->options, 0);
  }
  EXPECT_NE(Font_Get(32)->face, Font_Get(33)->face);
  EXPECT_EQ(pendingError, 0);
}

// A face loaded again and again stays within the table when the one it replaces is freed.
TEST_F(Fonts, FreedEntriesAreTakenAgain) {
  int32_t first = Font_Load(gameFont, 22.0, "", false);
  ASSERT_GE(first, 32);
  for (int i = 0; i < 2000; i++) {
    int32_t next = Font_Load(gameFont, 22.0, "", false);
    ASSERT_GE(next, 32) << "table full after " << i << " reloads";
    Font_Free(first);
    EXPECT_EQ(Font_Get(first), nullptr);
    first = next;
  }
  Font_Free(16);
  EXPECT_NE(Font_Get(16), nullptr) << "built-in fonts are never freed";
  Font_Free(first);
}

TEST_F(Fonts, CellHeightsAcrossSizes) {
  // The face is the cell plus 2 pixels where one point up or down reaches it; the cell is the
  // rounded size whatever the face.
  for (double size : {8.0, 12.4, 16.5, 17.5, 30.0, 64.0}) {
    int32_t handle = Font_Load(gameFont, size, "", false);
    ASSERT_GE(handle, 32) << size;
    int32_t target = int32_t(std::nearbyint(size)) + 2;
    EXPECT_EQ(Font_Get(handle)->height, target - 2) << size;
    EXPECT_NEAR(TTF_FontHeight(Font_Get(handle)->face), target, 1) << size;
  }
}

TEST_F(Fonts, SizesOutsideTheRange) {
  EXPECT_EQ(Font_Load(gameFont, 0.0, "", false), 0);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  EXPECT_EQ(Font_Load(gameFont, 0.000999, "", false), 0);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  EXPECT_EQ(Font_Load(gameFont, NAN, "", false), 0);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  EXPECT_EQ(Font_Load(gameFont, 1000.5, "", false), 0);
  EXPECT_EQ(Font_Load(gameFont, 5000, "", false), 0);
  EXPECT_EQ(pendingError, 0);
}

TEST_F(Fonts, SizesBelowOneAreThousandthsOfAPoint) {
  int32_t handle = Font_Load(gameFont, 0.5, "", false);  // point size 500
  ASSERT_GE(handle, 32);
  EXPECT_GT(Font_Get(handle)->height, 500);
  EXPECT_EQ(Font_Get(handle)->height, TTF_FontHeight(Font_Get(handle)->face) - 2);
  EXPECT_EQ(Font_Load(gameFont, 0.001, "", false), -1);  // point size 1: no whole cell
  EXPECT_EQ(pendingError, 0);
}

TEST_F(Fonts, FilesThatAreNotFonts) {
  EXPECT_EQ(Font_Load(BRINE_ASSETS "/no such font.ttf", 22.0, "", false), -1);
  std::string garbage = Test_ScratchPath("garbage.ttf");
  writeFile(garbage, std::vector<uint8_t>(4096, 0x5A));
  EXPECT_EQ(Font_Load(garbage, 22.0, "", false), -1);
  EXPECT_EQ(pendingError, 0);
}

TEST_F(Fonts, BadOptionsRaiseError5) {
  EXPECT_EQ(Font_Load(gameFont, 22.0, "bold,bold", true), 0);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  EXPECT_EQ(Font_Load(gameFont, 22.0, "bold,", true), 0);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  EXPECT_GE(Font_Load(gameFont, 22.0, "", true), 32);  // given but empty: no options
  EXPECT_EQ(pendingError, 0);
}

TEST_F(Fonts, NothingLoadsWhileAnErrorIsPending) {
  pendingError = 9;
  EXPECT_EQ(Font_Load(gameFont, 22.0, "", false), 0);
  EXPECT_EQ(pendingError, 9);
}

TEST_F(Fonts, StyleWordsReachTheFace) {
  int32_t plain = Font_Load(gameFont, 22.0, "", false);
  int32_t handle = Font_Load(gameFont, 22.0, "italic, underline,dontblend", true);
  ASSERT_GE(plain, 32);
  ASSERT_GE(handle, 32);
  // SDL_ttf adds the face's own style (this face is marked bold) to the one set.
  EXPECT_EQ(TTF_GetFontStyle(Font_Get(handle)->face),
            TTF_GetFontStyle(Font_Get(plain)->face) | TTF_STYLE_ITALIC | TTF_STYLE_UNDERLINE);
  EXPECT_EQ(Font_Get(handle)->options, FONT_ITALIC | FONT_UNDERLINE | FONT_DONTBLEND);
}

TEST_F(Fonts, MonospaceNeedsAFixedWidthFace) {
  EXPECT_EQ(Font_Load(gameFont, 22.0, "MONOSPACE", true), -1);
  EXPECT_EQ(pendingError, 0);
  if (!std::filesystem::exists(monoFont)) GTEST_SKIP() << monoFont << " is not installed (fonts-dejavu-core)";
  int32_t handle = Font_Load(monoFont, 22.0, "monospace", true);
  ASSERT_GE(handle, 32);
  const FontRecord* font = Font_Get(handle);
  EXPECT_EQ(font->height, 22);
  EXPECT_EQ(TTF_FontHeight(font->face), 24);
  // The width of a blank is the advance of every glyph of the face.
  int minX, maxX, minY, maxY, advance;
  ASSERT_EQ(TTF_GlyphMetrics(font->face, 'W', &minX, &maxX, &minY, &maxY, &advance), 0);
  EXPECT_EQ(font->fixedWidth, advance);
  EXPECT_GT(font->fixedWidth, 8);
  EXPECT_EQ(font->options, FONT_MONOSPACE);
}

TEST_F(Fonts, GlyphsRenderOneCharacterAtATime) {
  int32_t handle = Font_Load(gameFont, 22.0, "", false);
  ASSERT_GE(handle, 32);
  SDL_Surface* glyph = Font_RenderGlyph(handle, 'M', true);
  ASSERT_NE(glyph, nullptr);
  EXPECT_EQ(glyph->h, 24);
  EXPECT_EQ(glyph->format->BitsPerPixel, 8);
  SDL_FreeSurface(glyph);
  EXPECT_EQ(Font_RenderGlyph(16, 'M', true), nullptr);  // built-in fonts have no face
  EXPECT_EQ(Font_RenderGlyph(-1, 'M', true), nullptr);
}

// Where table tag lies in a TrueType file: {offset, length}, {0, 0} when it has none.
std::pair<size_t, size_t> fontTable(const std::vector<uint8_t>& file, const char* tag) {
  auto word = [&](size_t at) { return size_t(file[at]) << 24 | size_t(file[at + 1]) << 16 | size_t(file[at + 2]) << 8 | file[at + 3]; };
  size_t tables = size_t(file[4]) << 8 | file[5];
  for (size_t i = 0; i < tables; i++)
    if (std::equal(tag, tag + 4, file.begin() + long(12 + 16 * i))) return {word(12 + 16 * i + 8), word(12 + 16 * i + 12)};
  return {0, 0};
}

// A damaged font can open and then fail to render, or measure itself or a glyph absurdly (a
// damaged line height once made SDL_ttf ask for a negative allocation); none of it may crash.
TEST_F(Fonts, DamagedFontFilesLoadOrFailWithoutHarm) {
  std::vector<uint8_t> original = readFile(gameFont);
  ASSERT_GT(original.size(), 1000u);
  std::string path = Test_ScratchPath("damaged.ttf");
  writeFile(path, std::vector<uint8_t>(original.begin(), original.begin() + long(original.size() / 3)));
  EXPECT_NE(Font_Load(path, 22.0, "", false), 0);
  writeFile(path, std::vector<uint8_t>(original.begin(), original.begin() + long(original.size() / 10)));
  EXPECT_EQ(Font_Load(path, 22.0, "", false), -1);  // opens, and draws every character blank
  std::vector<uint8_t> noGlyphs = original;  // opens, and renders nothing
  noGlyphs[fontTable(original, "maxp").first + 4] = noGlyphs[fontTable(original, "maxp").first + 5] = 0;
  writeFile(path, noGlyphs);
  EXPECT_EQ(Font_Load(path, 22.0, "", false), -1);
  std::mt19937 random(77);
  int loaded = 0, skipped = 0;
  for (const char* tag : {"hhea", "head", "hmtx", "loca", "glyf"}) {
    auto [offset, length] = fontTable(original, tag);
    ASSERT_GT(length, 0u) << tag;
    for (int round = 0; round < 8; round++) {
      std::vector<uint8_t> file = original;
      for (int i = 0; i < 6; i++) file[offset + random() % length] = uint8_t(random());
      writeFile(path, file);
      int32_t handle = Font_Load(path, 22.0, "", false);
      EXPECT_NE(handle, 0);
      if (handle < 32) continue;
      loaded++;
      for (int ch = 32; ch < 127; ch++)
        for (bool shaded : {false, true}) {
          SDL_Surface* glyph = Font_RenderGlyph(handle, uint16_t(ch), shaded);
          if (glyph == nullptr) skipped++;
          SDL_FreeSurface(glyph);
        }
    }
  }
  std::printf("damaged fonts loaded: %d of 40, glyphs skipped: %d\n", loaded, skipped);
  EXPECT_EQ(pendingError, 0);
}

}  // namespace
