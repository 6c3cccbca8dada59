// blend.h: the one rule by which every drawn pixel meets the pixel under it.
//
// blendTable[a][s][d] (16 MB) and alphaTable[i][j] (64 KB) are built once, on the game thread,
// when the first 32-bit image is made, and only read afterwards.
#pragma once

#include <cstdint>

extern uint8_t* blendTable;      // index a * 65536 + s * 256 + d
extern uint8_t alphaTable[65536];  // index i * 256 + j, symmetric

// Build both tables if they are not built yet. Fatal error 257 when memory runs out.
void Blend_BuildTables();
// Compute both tables into blend (16 MB) and alpha (64 KB); Blend_BuildTables fills the
// program's own with it.
void Blend_FillTables(uint8_t* blend, uint8_t* alpha);

// The colour that results from writing c over d (both 0xAARRGGBB) with blending on.
inline uint32_t Blend_Pixel(uint32_t d, uint32_t c) {
  uint32_t ca = c >> 24;
  if (ca == 255) return c;
  if (ca == 0) return d;
  uint32_t da = d >> 24;
  if (ca == 127 || ca == 128) {
    // Halving drops each channel's low bit; it can differ by one from the table, and stays so.
    uint32_t rgb = ((d & 0xFEFEFE) + (c & 0xFEFEFE)) >> 1;
    return (uint32_t(alphaTable[ca * 256 + da]) << 24) | rgb;
  }
  const uint8_t* row = blendTable + ca * 65536;
  uint32_t r = row[((c >> 16) & 255) * 256 + ((d >> 16) & 255)];
  uint32_t g = row[((c >> 8) & 255) * 256 + ((d >> 8) & 255)];
  uint32_t b = row[(c & 255) * 256 + (d & 255)];
  return (uint32_t(alphaTable[da * 256 + ca]) << 24) | (r << 16) | (g << 8) | b;
}
