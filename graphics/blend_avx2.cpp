// blend_avx2.cpp: the row blend eight pixels at a time with AVX2. This file alone is built for
// AVX2 (without fused multiply-add); its one function runs only after the processor has said it
// has AVX2. It includes nothing that other files inline, so no AVX2 copy of a shared function can
// stand in for theirs. No state.
#if defined(__x86_64__)
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

typedef uint32_t LaneU __attribute__((vector_size(32)));
typedef int32_t LaneI __attribute__((vector_size(32)));
typedef float LaneF __attribute__((vector_size(32)));
#define LANES 8
static inline int laneBits(LaneI mask) { return _mm256_movemask_ps(_mm256_castsi256_ps(__m256i(mask))); }

#include "graphics/blend_lanes.h"

void Blend_RowsAvx2(uint32_t* d, int64_t dStride, const uint32_t* s, int64_t sStride, int64_t w, int64_t h) {
  for (int64_t j = 0; j < h; j++) blendRowLanes(d + j * dStride, s + j * sStride, w);
}
#endif
