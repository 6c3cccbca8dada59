// The built-in glyph sets and the character table.
#include <gtest/gtest.h>

#include "text/charset.h"
#include "text/glyphs.h"

namespace {

// Rows of a glyph as pictures, '#' for a set pixel.
std::vector<std::string> picture(const uint8_t* rows, int height) {
  std::vector<std::string> lines;
  for (int y = 0; y < height; y++) {
    std::string line;
    for (int x = 0; x < 8; x++) line += rows[y * 8 + x] == 255 ? '#' : rows[y * 8 + x] == 0 ? '.' : '?';
    lines.push_back(line);
  }
  return lines;
}

const std::vector<std::string> smiley8x8 = {
    ".######.", "#......#", "#.#..#.#", "#......#", "#.####.#", "#..##..#", "#......#", ".######.",
};
const std::vector<std::string> letterA8x8 = {
    "..###...", ".##.##..", "##...##.", "#######.", "##...##.", "##...##.", "##...##.", "........",
};
const std::vector<std::string> smiley8x16 = {
    "........", "........", ".######.", "#......#", "#.#..#.#", "#......#", "#......#", "#.####.#",
    "#..##..#", "#......#", "#......#", ".######.", "........", "........", "........", "........",
};
const std::vector<std::string> letterA8x16 = {
    "........", "........", "...#....", "..###...", ".##.##..", "##...##.", "##...##.", "#######.",
    "##...##.", "##...##.", "##...##.", "##...##.", "........", "........", "........", "........",
};

TEST(GlyphSets, KnownGlyphs8x8) {
  EXPECT_EQ(picture(Glyphs_Set8x8() + 1 * 64, 8), smiley8x8);
  EXPECT_EQ(picture(Glyphs_Set8x8() + 65 * 64, 8), letterA8x8);
  EXPECT_EQ(picture(Glyphs_Set8x8() + 219 * 64, 8), std::vector<std::string>(8, "########"));
  EXPECT_EQ(picture(Glyphs_Set8x8() + 32 * 64, 8), std::vector<std::string>(8, "........"));
}

TEST(GlyphSets, KnownGlyphs8x16) {
  EXPECT_EQ(picture(Glyphs_Set8x16() + 1 * 128, 16), smiley8x16);
  EXPECT_EQ(picture(Glyphs_Set8x16() + 65 * 128, 16), letterA8x16);
  EXPECT_EQ(picture(Glyphs_Set8x16() + 219 * 128, 16), std::vector<std::string>(16, "########"));
  EXPECT_EQ(picture(Glyphs_Set8x16() + 255 * 128, 16), std::vector<std::string>(16, "........"));
}

TEST(GlyphSets, FontsFindTheirRows) {
  for (int ch : {1, 65, 219, 255}) {
    EXPECT_EQ(Glyphs_Rows(8, uint8_t(ch)), Glyphs_Set8x8() + ch * 64);
    EXPECT_EQ(Glyphs_Rows(16, uint8_t(ch)), Glyphs_Set8x16() + ch * 128);
  }
  // The 8 x 14 font is rows 1 to 14 of the 8 x 16 glyphs.
  std::vector<std::string> a14(letterA8x16.begin() + 1, letterA8x16.begin() + 15);
  EXPECT_EQ(picture(Glyphs_Rows(14, 'A'), 14), a14);
  EXPECT_EQ(Glyphs_Rows(9, 'A'), nullptr);
  EXPECT_EQ(Glyphs_Rows(32, 'A'), nullptr);
}

TEST(GlyphSets, PixelsAreClearOrSet) {
  int set8 = 0, set16 = 0;
  for (int i = 0; i < 256 * 64; i++) {
    ASSERT_TRUE(Glyphs_Set8x8()[i] == 0 || Glyphs_Set8x8()[i] == 255);
    set8 += Glyphs_Set8x8()[i] == 255;
  }
  for (int i = 0; i < 256 * 128; i++) {
    ASSERT_TRUE(Glyphs_Set8x16()[i] == 0 || Glyphs_Set8x16()[i] == 255);
    set16 += Glyphs_Set8x16()[i] == 255;
  }
  // Whole sets, not a handful of glyphs and zeros.
  EXPECT_GT(set8, 256 * 12);
  EXPECT_GT(set16, 256 * 20);
}

TEST(Charset, FixedEntries) {
  EXPECT_EQ(Charset_ToUnicode(0), 0x0020);
  EXPECT_EQ(Charset_ToUnicode(255), 0x0020);
  EXPECT_EQ(Charset_ToUnicode(32), 0x0020);
  EXPECT_EQ(Charset_ToUnicode(1), 0x263A);
  EXPECT_EQ(Charset_ToUnicode(7), 0x2022);
  EXPECT_EQ(Charset_ToUnicode(13), 0x266A);
  EXPECT_EQ(Charset_ToUnicode(31), 0x25BC);
  EXPECT_EQ(Charset_ToUnicode('A'), 'A');
  EXPECT_EQ(Charset_ToUnicode('~'), '~');
  EXPECT_EQ(Charset_ToUnicode(127), 0x2302);
  EXPECT_EQ(Charset_ToUnicode(128), 0x00C7);
  EXPECT_EQ(Charset_ToUnicode(158), 0x20A7);
  EXPECT_EQ(Charset_ToUnicode(176), 0x2591);
  EXPECT_EQ(Charset_ToUnicode(219), 0x2588);
  EXPECT_EQ(Charset_ToUnicode(225), 0x00DF);
  EXPECT_EQ(Charset_ToUnicode(254), 0x25A0);
}

TEST(Charset, BackFromUnicode) {
  for (int byte = 1; byte < 255; byte++) EXPECT_EQ(Charset_FromUnicode(Charset_ToUnicode(uint8_t(byte))), byte);
  EXPECT_EQ(Charset_FromUnicode(0x20), 32);
  EXPECT_EQ(Charset_FromUnicode(0xE9), 130);  // é
  EXPECT_EQ(Charset_FromUnicode(0x00), -1);
  EXPECT_EQ(Charset_FromUnicode(0x7F), -1);
  EXPECT_EQ(Charset_FromUnicode(0xA0), -1);
  EXPECT_EQ(Charset_FromUnicode(0x20AC), -1);  // the euro sign is not in the table
  EXPECT_EQ(Charset_FromUnicode(0x1263A), -1);
}

}  // namespace
