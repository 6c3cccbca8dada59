// blend.cpp: the blend tables, built once on the game thread.
#include "graphics/blend.h"

#include <cfloat>
#include <cstdlib>

#include "runtime/error.h"

uint8_t* blendTable = nullptr;
uint8_t alphaTable[65536];

// Every step is single precision and rounds to nearest, ties to even, so that the tables are
// the same bytes on every machine (the build uses -ffp-contract=off against fused steps).
static_assert(FLT_EVAL_METHOD == 0, "the tables need every step rounded to single precision");

// Nearest integer, ties to even, of a float in [0, 2^23): adding 2^23 leaves no fraction bits,
// so the addition itself rounds in the default rounding mode. Plain arithmetic that the loops
// below vectorise, where a rounding call per entry costs eight times as long.
static inline float roundToEven(float v) {
  const float shift = 8388608.0f;
  return (v + shift) - shift;
}

void Blend_FillTables(uint8_t* blend, uint8_t* alpha) {
  float keepTimesD[256];
  for (int a = 0; a < 256; a++) {
    // f * s + (1 - f) * d with both products rounded to single precision, as one by one.
    float f = float(a) / 255.0f, keep = 1.0f - f;
    for (int d = 0; d < 256; d++) keepTimesD[d] = keep * float(d);
    for (int s = 0; s < 256; s++) {
      float fs = f * float(s);
      uint8_t* row = blend + a * 65536 + s * 256;
      for (int d = 0; d < 256; d++) row[d] = uint8_t(int(roundToEven(fs + keepTimesD[d])));
    }
  }
  for (int i = 0; i < 256; i++) {
    float keepI = 1.0f - float(i) / 255.0f;
    for (int j = 0; j < 256; j++) {
      float keep = keepI * (1.0f - float(j) / 255.0f);
      alpha[i * 256 + j] = uint8_t(int(roundToEven(255.0f * (1.0f - keep))));
    }
  }
}

void Blend_BuildTables() {
  if (blendTable != nullptr) return;
  uint8_t* table = static_cast<uint8_t*>(std::malloc(256 * 65536));
  if (table == nullptr) Runtime_Error(257);
  Blend_FillTables(table, alphaTable);
  blendTable = table;
}
