// blend.h: the one rule by which every drawn pixel meets the pixel under it.
//
// alphaTable[i][j] (64 KB) is built once, on the game thread, when the first 32-bit image is
// made, and only read afterwards. The row blend is chosen at the same moment: vector code where
// the processor has it (SSE2 on every x86-64, AVX2 where present), otherwise blendTable[a][s][d]
// (16 MB), built then and only then. Both give the same bytes: the vector lanes take exactly the
// single-precision steps that fill the table.
#pragma once

#include <cstdint>

extern uint8_t* blendTable;        // index a * 65536 + s * 256 + d; null while a vector path serves
extern uint8_t alphaTable[65536];  // index i * 256 + j, symmetric

// How rows are blended: by table lookup, or four or eight pixels at a time.
enum BlendPath : int32_t { BLEND_TABLE, BLEND_SSE2, BLEND_AVX2 };

// Build alphaTable and take the fastest path this processor runs, once. Fatal error 257 when
// the memory for the table runs out.
void Blend_BuildTables();
// The fastest path this processor runs, asked of the processor itself.
BlendPath Blend_FastestPath();
// The path rows are blended with now.
BlendPath Blend_CurrentPath();
// Blend rows by the given path from now on (the tests compare every path the processor runs):
// the table path builds blendTable, a vector path frees it.
void Blend_UsePath(BlendPath path);
// Compute both tables into blend (16 MB) and alpha (64 KB); the table path fills the program's
// own with it.
void Blend_FillTables(uint8_t* blend, uint8_t* alpha);

// d[i] becomes s[i] written over d[i] with blending on, for i below w, in h rows that start
// dStride and sStride pixels apart (a stride may be negative). Runs of opaque source pixels are
// copied and transparent runs skipped several pixels at a time.
void Blend_Rows(uint32_t* d, int64_t dStride, const uint32_t* s, int64_t sStride, int64_t w, int64_t h);
inline void Blend_Row(uint32_t* d, const uint32_t* s, int64_t n) { Blend_Rows(d, 0, s, 0, n, 1); }

// Nearest integer, ties to even, of a float in [0, 2^23): adding 2^23 leaves no fraction bits,
// so the addition itself rounds in the default rounding mode.
inline float Blend_RoundToEven(float v) {
  const float shift = 8388608.0f;
  return (v + shift) - shift;
}

// One channel of the rule: f * s + (1 - f) * d, every step rounded to single precision.
inline uint32_t Blend_Mix(float f, float keep, uint32_t s, uint32_t d) {
  float fs = f * float(s), keepTimesD = keep * float(d);
  return uint8_t(int(Blend_RoundToEven(fs + keepTimesD)));
}

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
  uint32_t alpha = uint32_t(alphaTable[da * 256 + ca]) << 24;
  if (blendTable != nullptr) {
    const uint8_t* row = blendTable + ca * 65536;
    uint32_t r = row[((c >> 16) & 255) * 256 + ((d >> 16) & 255)];
    uint32_t g = row[((c >> 8) & 255) * 256 + ((d >> 8) & 255)];
    uint32_t b = row[(c & 255) * 256 + (d & 255)];
    return alpha | (r << 16) | (g << 8) | b;
  }
  // Without the table, the arithmetic that fills it.
  float f = float(ca) / 255.0f, keep = 1.0f - f;
  return alpha | Blend_Mix(f, keep, (c >> 16) & 255, (d >> 16) & 255) << 16 |
         Blend_Mix(f, keep, (c >> 8) & 255, (d >> 8) & 255) << 8 | Blend_Mix(f, keep, c & 255, d & 255);
}
