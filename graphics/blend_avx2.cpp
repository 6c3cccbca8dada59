// blend_avx2.cpp: the row blend eight pixels at a time with AVX2. This file alone is built for
// AVX2 (without fused multiply-add); its one function runs only after the processor has said it
// has AVX2. It includes nothing that other files inline, so no AVX2 copy of a shared function can
// stand in for theirs. No state.
#if defined(__x86_64__)
#include <immintrin.h>

#define LANES 8
#include "graphics/blend_lanes.h"

namespace {
int laneBits(LaneI mask) { return _mm256_movemask_ps(_mm256_castsi256_ps(__m256i(mask))); }
}  // namespace

void Blend_RowsAvx2(uint32_t* d, int64_t dStride, const uint32_t* s, int64_t sStride, int64_t w, int64_t h) {
  blendRows(d, dStride, s, sStride, w, h);
}
#endif
