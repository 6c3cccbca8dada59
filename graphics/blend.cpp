// blend.cpp: the blend tables and the choice of the row blend, made once on the game thread when
// the first 32-bit image is made. Owns alphaTable, blendTable (only while the table path
// serves) and the row function of the chosen path.
#include "graphics/blend.h"

#include <cfloat>
#include <cstdlib>

#include "runtime/error.h"

uint8_t* blendTable = nullptr;
uint8_t alphaTable[65536];

// The vector paths, each in a file of its own (blend_sse2.cpp, blend_avx2.cpp).
void Blend_RowsSse2(uint32_t* d, int64_t dStride, const uint32_t* s, int64_t sStride, int64_t w, int64_t h);
void Blend_RowsAvx2(uint32_t* d, int64_t dStride, const uint32_t* s, int64_t sStride, int64_t w, int64_t h);

static bool chosen;
static BlendPath currentPath = BLEND_TABLE;

// Every step is single precision and rounds to nearest, ties to even, so that the tables are
// the same bytes on every machine (the build uses -ffp-contract=off against fused steps).
static_assert(FLT_EVAL_METHOD == 0, "the tables need every step rounded to single precision");

static void fillAlpha(uint8_t* alpha) {
  for (int i = 0; i < 256; i++) {
    float keepI = 1.0f - float(i) / 255.0f;
    for (int j = 0; j < 256; j++) {
      float keep = keepI * (1.0f - float(j) / 255.0f);
      alpha[i * 256 + j] = uint8_t(int(Blend_RoundToEven(255.0f * (1.0f - keep))));
    }
  }
}

void Blend_FillTables(uint8_t* blend, uint8_t* alpha) {
  // Plain arithmetic that the loops vectorise, where a rounding call per entry costs eight
  // times as long.
  for (int a = 0; a < 256; a++) {
    float f = float(a) / 255.0f, keep = 1.0f - f;
    for (int s = 0; s < 256; s++) {
      uint8_t* row = blend + a * 65536 + s * 256;
      for (int d = 0; d < 256; d++) row[d] = uint8_t(Blend_Mix(f, keep, s, d));
    }
  }
  fillAlpha(alpha);
}

static inline uint32_t andOf8(const uint32_t* s) {
  uint32_t v = s[0];
  for (int k = 1; k < 8; k++) v &= s[k];
  return v;
}

static inline uint32_t orOf8(const uint32_t* s) {
  uint32_t v = s[0];
  for (int k = 1; k < 8; k++) v |= s[k];
  return v;
}

// The table path's rows: blocks of eight whose alphas are all 255 are copied whole and blocks
// that are all 0 are skipped, the same result as pixel by pixel.
static void blendRowByTable(uint32_t* d, const uint32_t* s, int64_t n) {
  int64_t i = 0;
  for (; i + 8 <= n; i += 8) {
    if (andOf8(s + i) >= 0xFF000000u) {
      for (int k = 0; k < 8; k++) d[i + k] = s[i + k];
    } else if (orOf8(s + i) >= 0x01000000u) {
      for (int k = 0; k < 8; k++) d[i + k] = Blend_Pixel(d[i + k], s[i + k]);
    }
  }
  for (; i < n; i++) d[i] = Blend_Pixel(d[i], s[i]);
}

BlendPath Blend_FastestPath() {
#if defined(__x86_64__)
  return __builtin_cpu_supports("avx2") ? BLEND_AVX2 : BLEND_SSE2;
#else
  return BLEND_TABLE;
#endif
}

BlendPath Blend_CurrentPath() { return currentPath; }

void Blend_UsePath(BlendPath path) {
  if (path == BLEND_TABLE && blendTable == nullptr) {
    uint8_t* table = static_cast<uint8_t*>(std::malloc(256 * 65536));
    if (table == nullptr) return Runtime_Error(257);
    Blend_FillTables(table, alphaTable);
    blendTable = table;
  } else if (path != BLEND_TABLE) {
    std::free(blendTable);
    blendTable = nullptr;
  }
  currentPath = path;
}

void Blend_BuildTables() {
  if (chosen) return;
  chosen = true;
  fillAlpha(alphaTable);
  Blend_UsePath(Blend_FastestPath());
}

void Blend_Rows(uint32_t* d, int64_t dStride, const uint32_t* s, int64_t sStride, int64_t w, int64_t h) {
  switch (currentPath) {
#if defined(__x86_64__)
    case BLEND_AVX2: return Blend_RowsAvx2(d, dStride, s, sStride, w, h);
    case BLEND_SSE2: return Blend_RowsSse2(d, dStride, s, sStride, w, h);
#endif
    default:
      for (int64_t j = 0; j < h; j++) blendRowByTable(d + j * dStride, s + j * sStride, w);
  }
}
