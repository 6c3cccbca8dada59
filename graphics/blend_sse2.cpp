// blend_sse2.cpp: the row blend four pixels at a time with SSE2, which every x86-64 processor
// has. No state.
#if defined(__x86_64__)
#include <emmintrin.h>

#define LANES 4
#include "graphics/blend_lanes.h"

namespace {
int laneBits(LaneI mask) { return _mm_movemask_ps(_mm_castsi128_ps(__m128i(mask))); }
}  // namespace

void Blend_RowsSse2(uint32_t* d, int64_t dStride, const uint32_t* s, int64_t sStride, int64_t w, int64_t h) {
  blendRows(d, dStride, s, sStride, w, h);
}
#endif
