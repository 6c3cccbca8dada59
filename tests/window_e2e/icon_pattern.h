// The probe's icon picture, shared with the checker: four 32 x 32 quarters, of which the
// half-transparent blue one (alpha 127) must show and the white one (alpha 126) must not.
#pragma once

#include <cstdint>

inline uint32_t IconPattern_Pixel(int x, int y) {
  if (y < 32) return x < 32 ? 0xFFFF0000u : 0xFF00FF00u;
  return x < 32 ? 0x7F0000FFu : 0x7EFFFFFFu;
}

#define PROBE_CAPTION "Brinemark probe"
