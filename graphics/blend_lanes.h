// blend_lanes.h: the row blend, LANES pixels at a time, for the files that build it at one
// vector width (blend_sse2.cpp: 4, blend_avx2.cpp: 8). Such a file defines LANES before
// including it, and afterwards laneBits(), which packs the sign bits of a lane mask into an int.
// Holds no state.
//
// Every lane takes the single-precision steps that fill the blend tables, in the same order:
// divide, subtract, two products, a sum, round to even. Those files build with contraction off
// and without fused multiply-add, so no two steps merge and the bytes are the tables' bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace {

typedef uint32_t LaneU __attribute__((vector_size(LANES * 4)));
typedef int32_t LaneI __attribute__((vector_size(LANES * 4)));
typedef float LaneF __attribute__((vector_size(LANES * 4)));

int laneBits(LaneI mask);

constexpr int ALL_LANES = (1 << LANES) - 1;

// Blend mask ? a : b, lane by lane, where mask lanes are all ones or all zeros.
inline LaneU pick(LaneI mask, LaneU a, LaneU b) { return mask ? a : b; }

// A float in [0, 2^23) rounded to the nearest integer, ties to even, in the low bits: after
// adding 2^23 the low mantissa bits are that integer (the same rounding as the tables' build).
inline LaneU rounded(LaneF v) { return LaneU(v + 8388608.0f); }
inline LaneU roundedByte(LaneF v) { return rounded(v) & 255u; }

inline LaneF toFloat(LaneU bytes) { return __builtin_convertvector(LaneI(bytes), LaneF); }

// The blend rule on LANES pixels.
inline LaneU blendLanes(LaneU d, LaneU c) {
  LaneU ca = c >> 24, da = d >> 24;
  LaneF f = toFloat(ca) / 255.0f, keep = 1.0f - f;
  // alphaTable[da][ca] = 255 * (1 - (1 - da / 255) * (1 - ca / 255)); the table is symmetric,
  // so the 127 and 128 shortcuts take the same alpha.
  LaneF keepBoth = (1.0f - toFloat(da) / 255.0f) * keep;
  LaneU alpha = rounded(255.0f * (1.0f - keepBoth)) << 24;
  LaneU mixed = alpha;
  for (int shift = 0; shift < 24; shift += 8) {
    LaneF fs = f * toFloat((c >> shift) & 255u), keepTimesD = keep * toFloat((d >> shift) & 255u);
    mixed |= roundedByte(fs + keepTimesD) << shift;
  }
  // Alphas 0 and 255 need no lanes of their own: f of 0 or 1 makes one product exact and the
  // other zero, and the alpha steps give back da and 255. Alphas 127 and 128 halve the sum
  // with each channel's low bit dropped; they are rare.
  LaneI half = LaneI(ca == 127u) | LaneI(ca == 128u);
  if (laneBits(half) != 0) mixed = pick(half, alpha | (((d & 0xFEFEFEu) + (c & 0xFEFEFEu)) >> 1), mixed);
  return mixed;
}

inline LaneU loadLanes(const uint32_t* p) {  // any alignment
  LaneU v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}

inline void storeLanes(uint32_t* p, LaneU v) { __builtin_memcpy(p, &v, sizeof v); }

// Blocks of opaque source pixels are stored as they are and transparent ones skipped, in the
// same pass that loads them.
inline void blendBlock(uint32_t* d, LaneU c) {
  LaneU alpha = c & 0xFF000000u;
  if (laneBits(LaneI(alpha == 0xFF000000u)) == ALL_LANES) {
    storeLanes(d, c);
  } else if (laneBits(LaneI(alpha == 0u)) != ALL_LANES) {
    storeLanes(d, blendLanes(loadLanes(d), c));
  }
}

// A row that does not end on a whole block ends with a block that overlaps the one before; the
// source pixels it shares with that block are made transparent, so they keep what it wrote.
constexpr uint32_t lastBlockMask[16] = {0, 0, 0, 0, 0, 0, 0, 0, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u};

inline void blendRowLanes(uint32_t* d, const uint32_t* s, int64_t n) {
  if (n < LANES) {
    // Too short for one block: padded with transparent pixels, which leave their lanes alone.
    uint32_t from[LANES] = {}, to[LANES] = {};
    for (int64_t i = 0; i < n; i++) from[i] = s[i], to[i] = d[i];
    blendBlock(to, loadLanes(from));
    for (int64_t i = 0; i < n; i++) d[i] = to[i];
    return;
  }
  int64_t i = 0;
  for (; i + LANES <= n; i += LANES) blendBlock(d + i, loadLanes(s + i));
  if (i == n) return;
  const uint32_t* newLanes = lastBlockMask + 8 - LANES + (n - i);
  blendBlock(d + n - LANES, loadLanes(s + n - LANES) & loadLanes(newLanes));
}

inline void blendRows(uint32_t* d, int64_t dStride, const uint32_t* s, int64_t sStride, int64_t w, int64_t h) {
  for (int64_t j = 0; j < h; j++) blendRowLanes(d + j * dStride, s + j * sStride, w);
}

}  // namespace
