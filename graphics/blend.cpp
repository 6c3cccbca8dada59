// blend.cpp: the blend tables, built once on the game thread.
#include "graphics/blend.h"

#include <cmath>
#include <cstdlib>

#include "runtime/error.h"

uint8_t* blendTable = nullptr;
uint8_t alphaTable[65536];

// Every step is single precision and the result rounds to nearest, ties to even, so that the
// tables are the same bytes on every machine (the build uses -ffp-contract=off).
static uint8_t blendEntry(int a, int s, int d) {
  float f = float(a) / 255.0f;
  float v = f * float(s) + (1.0f - f) * float(d);
  return uint8_t(std::nearbyint(v));
}

static uint8_t alphaEntry(int i, int j) {
  float keep = (1.0f - float(i) / 255.0f) * (1.0f - float(j) / 255.0f);
  float v = 255.0f * (1.0f - keep);
  return uint8_t(std::nearbyint(v));
}

void Blend_BuildTables() {
  if (blendTable != nullptr) return;
  uint8_t* table = static_cast<uint8_t*>(std::malloc(256 * 65536));
  if (table == nullptr) Runtime_Error(257);
  for (int a = 0; a < 256; a++)
    for (int s = 0; s < 256; s++)
      for (int d = 0; d < 256; d++) table[a * 65536 + s * 256 + d] = blendEntry(a, s, d);
  for (int i = 0; i < 256; i++)
    for (int j = 0; j < 256; j++) alphaTable[i * 256 + j] = alphaEntry(i, j);
  blendTable = table;
}
