// blend_sse2.cpp: the row blend four pixels at a time with SSE2, which every x86-64 processor
// has. No state.
#if defined(__x86_64__)
#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

typedef uint32_t LaneU __attribute__((vector_size(16)));
typedef int32_t LaneI __attribute__((vector_size(16)));
typedef float LaneF __attribute__((vector_size(16)));
#define LANES 4
static inline int laneBits(LaneI mask) { return _mm_movemask_ps(_mm_castsi128_ps(__m128i(mask))); }

#include "graphics/blend_lanes.h"

void Blend_RowsSse2(uint32_t* d, int64_t dStride, const uint32_t* s, int64_t sStride, int64_t w, int64_t h) {
  for (int64_t j = 0; j < h; j++) blendRowLanes(d + j * dStride, s + j * sStride, w);
}
#endif
