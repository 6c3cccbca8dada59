// The blend tables and the blend rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/blend.h"

// The tables' entries computed one by one with a rounding call, independently of the build.
static uint8_t plainBlend(int a, int s, int d) {
  float f = float(a) / 255.0f;
  return uint8_t(std::nearbyint(f * float(s) + (1.0f - f) * float(d)));
}

static uint8_t plainAlpha(int i, int j) {
  return uint8_t(std::nearbyint(255.0f * (1.0f - (1.0f - float(i) / 255.0f) * (1.0f - float(j) / 255.0f))));
}

TEST(BlendTables, EveryEntryEqualsThePlainArithmetic) {
  std::vector<uint8_t> blend(256 * 65536), alpha(65536);
  Blend_FillTables(blend.data(), alpha.data());
  int wrong = 0;
  for (int a = 0; a < 256; a++)
    for (int s = 0; s < 256; s++)
      for (int d = 0; d < 256; d++) wrong += blend[a * 65536 + s * 256 + d] != plainBlend(a, s, d);
  EXPECT_EQ(wrong, 0);
  for (int i = 0; i < 256; i++)
    for (int j = 0; j < 256; j++) ASSERT_EQ(alpha[i * 256 + j], plainAlpha(i, j)) << i << " " << j;
}

// Rows blend by the given path until the end of the scope, then by the fastest again.
struct PathForScope {
  explicit PathForScope(BlendPath path) { Blend_BuildTables(), Blend_UsePath(path); }
  ~PathForScope() { Blend_UsePath(Blend_FastestPath()); }
};

TEST(BlendTables, KnownEntries) {
  PathForScope tablePath(BLEND_TABLE);
  for (int v = 0; v < 256; v++) {
    EXPECT_EQ(blendTable[255 * 65536 + v * 256 + (255 - v)], v);  // opaque source wins
    EXPECT_EQ(blendTable[0 * 65536 + v * 256 + (255 - v)], 255 - v);  // transparent keeps d
  }
  EXPECT_EQ(blendTable[128 * 65536 + 255 * 256 + 0], 128);
  EXPECT_EQ(blendTable[127 * 65536 + 255 * 256 + 0], 127);
  EXPECT_EQ(alphaTable[128 * 256 + 255], 255);
  EXPECT_EQ(alphaTable[0], 0);
  EXPECT_EQ(alphaTable[128 * 256 + 0], 128);
  for (int i = 0; i < 256; i++)
    for (int j = 0; j < 256; j++) ASSERT_EQ(alphaTable[i * 256 + j], alphaTable[j * 256 + i]);
}

// The processor's answer picks the path once; only the table path holds the 16 MB table.
TEST(BlendRule, FastestPathIsChosenAndOnlyTheTablePathHasTheTable) {
  Blend_BuildTables();
  EXPECT_EQ(Blend_CurrentPath(), Blend_FastestPath());
#if defined(__x86_64__)
  EXPECT_EQ(Blend_FastestPath(), __builtin_cpu_supports("avx2") ? BLEND_AVX2 : BLEND_SSE2);
#endif
  EXPECT_EQ(blendTable == nullptr, Blend_FastestPath() != BLEND_TABLE);
  PathForScope tablePath(BLEND_TABLE);
  EXPECT_NE(blendTable, nullptr);
}

// Every (alpha, source, destination) triple and every alpha pair, through the rows of every path
// this processor runs and through Blend_Pixel without the table, against the tables' bytes.
// Rows of 1 to 23 pixels end in every kind of partial block, and the shortest hold no whole one.
TEST(BlendRule, EveryPathGivesTheTablesBytes) {
  std::vector<uint8_t> blend(256 * 65536), alpha(65536);
  Blend_FillTables(blend.data(), alpha.data());
  auto want = [&](uint32_t d, uint32_t c) {
    uint32_t ca = c >> 24, da = d >> 24;
    if (ca == 0 || ca == 255) return ca == 0 ? d : c;
    if (ca == 127 || ca == 128) return uint32_t(alpha[ca * 256 + da]) << 24 | ((d & 0xFEFEFE) + (c & 0xFEFEFE)) >> 1;
    uint32_t out = uint32_t(alpha[da * 256 + ca]) << 24;
    for (int shift = 0; shift < 24; shift += 8) out |= uint32_t(blend[ca * 65536 + (c >> shift & 255) * 256 + (d >> shift & 255)]) << shift;
    return out;
  };
  std::vector<uint32_t> source(65536), dest(65536), wanted(65536);
  for (int path = BLEND_TABLE; path <= Blend_FastestPath(); path++) {
    PathForScope pathNow{BlendPath(path)};
    for (uint32_t a = 0, wrongPixels = 0; a < 256; a++) {
      for (uint32_t k = 0; k < 65536; k++) {
        uint32_t s = k >> 8, d = k & 255;  // red: all pairs; green: swapped; blue: mixed
        uint32_t alphaNow = (a + (k & 8 ? k * 37 : 0)) & 255;  // one alpha per block, or scattered
        source[k] = alphaNow << 24 | s << 16 | d << 8 | (s ^ d);
        dest[k] = d << 24 | d << 16 | s << 8 | (255 - s);
        wanted[k] = want(dest[k], source[k]);
        if (path == Blend_FastestPath()) wrongPixels += Blend_Pixel(dest[k], source[k]) != wanted[k];
      }
      for (uint32_t k = 0, n = 1; k < 65536; k += n, n = n % 23 + 1) Blend_Row(dest.data() + k, source.data() + k, std::min(n, 65536 - k));
      ASSERT_EQ(dest, wanted) << "path " << path << ", round " << a;
      ASSERT_EQ(wrongPixels, 0u) << "Blend_Pixel, round " << a;
    }
  }
}

TEST(BlendRule, OpaqueOverwritesAndTransparentKeeps) {
  Blend_BuildTables();
  EXPECT_EQ(Blend_Pixel(0x80123456, 0xFFABCDEF), 0xFFABCDEFu);
  EXPECT_EQ(Blend_Pixel(0x80123456, 0x00ABCDEF), 0x80123456u);
  EXPECT_EQ(Blend_Pixel(0x00000000, 0x00FFFFFF), 0x00000000u);
}

TEST(BlendRule, HalfAlphasAverageWithTheLowBitsDropped) {
  Blend_BuildTables();
  // Channels: (0x10 + 0x22) / 2 = 0x19, (0x32 + 0x44) / 2 = 0x3B, (0xFE + 0xFE) / 2 = 0xFE.
  uint32_t d = 0xFF1133FF, c = 0x002244FF;
  EXPECT_EQ(Blend_Pixel(d, c | 0x80000000), 0xFF193BFEu);
  EXPECT_EQ(Blend_Pixel(d, c | 0x7F000000), 0xFF193BFEu);
  // The alpha comes from alphaTable[127 or 128][destination alpha].
  EXPECT_EQ(Blend_Pixel(0x40000000, 0x80000000) >> 24, 160u);  // alphaTable[128][0x40]
  EXPECT_EQ(Blend_Pixel(0x40000000, 0x7F000000) >> 24, 159u);  // alphaTable[127][0x40]
  EXPECT_EQ(Blend_Pixel(0x00000000, 0x7FFFFFFF), 0x7F7F7F7Fu);
  // The table would have given 128 for 255 over 0 at alpha 128; the average gives 127.
  EXPECT_EQ(Blend_Pixel(0xFF000000, 0x80FFFFFF), 0xFF7F7F7Fu);
}

TEST(BlendRule, OtherAlphasGoThroughTheTables) {
  Blend_BuildTables();
  uint32_t d = 0x60A0B0C0, c = 0xC8102030;
  uint32_t want = uint32_t(alphaTable[0x60 * 256 + 0xC8]) << 24 | uint32_t(plainBlend(0xC8, 0x10, 0xA0)) << 16 |
                  uint32_t(plainBlend(0xC8, 0x20, 0xB0)) << 8 | plainBlend(0xC8, 0x30, 0xC0);
  EXPECT_EQ(Blend_Pixel(d, c), want);
  EXPECT_EQ(Blend_Pixel(0xFF000000, 0x01FFFFFF), 0xFF010101u);
}
