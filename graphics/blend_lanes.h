// blend_lanes.h: the row blend, LANES pixels at a time, for the files that build it at one
// vector width (blend_sse2.cpp: 4, blend_avx2.cpp: 8). Before including it a file defines the
// lane types LaneU (uint32), LaneI (int32), LaneF (float), LANES, and laneBits(), which packs
// the sign bits of a lane mask into an int. Holds no state.
//
// Every lane takes the single-precision steps that fill the blend tables, in the same order:
// divide, subtract, two products, a sum, round to even. Those files build with contraction off
// and without fused multiply-add, so no two steps merge and the bytes are the tables' bytes.
#pragma once

namespace {

constexpr int ALL_LANES = (1 << LANES) - 1;

// Blend mask ? a : b, lane by lane, where mask lanes are all ones or all zeros.
inline LaneU pick(LaneI mask, LaneU a, LaneU b) { return (a & LaneU(mask)) | (b & ~LaneU(mask)); }

// The byte of a float in [0, 2^23) rounded to the nearest integer, ties to even: after adding
// 2^23 the low mantissa bits are that integer (the same rounding as the tables' build).
inline LaneU roundedByte(LaneF v) { return LaneU(v + 8388608.0f) & 255u; }

inline LaneF toFloat(LaneU bytes) { return __builtin_convertvector(LaneI(bytes), LaneF); }

// The blend rule on LANES pixels.
inline LaneU blendLanes(LaneU d, LaneU c) {
  LaneU ca = c >> 24, da = d >> 24;
  LaneF f = toFloat(ca) / 255.0f, keep = 1.0f - f;
  // alphaTable[da][ca] = 255 * (1 - (1 - da / 255) * (1 - ca / 255)); the table is symmetric,
  // so the 127 and 128 shortcuts take the same alpha.
  LaneF keepBoth = (1.0f - toFloat(da) / 255.0f) * keep;
  LaneU alpha = roundedByte(255.0f * (1.0f - keepBoth)) << 24;
  LaneU mixed = alpha;
  for (int shift = 0; shift < 24; shift += 8) {
    LaneF fs = f * toFloat((c >> shift) & 255u), keepTimesD = keep * toFloat((d >> shift) & 255u);
    mixed |= roundedByte(fs + keepTimesD) << shift;
  }
  // Alphas 127 and 128 halve the sum with each channel's low bit dropped.
  LaneU halved = alpha | (((d & 0xFEFEFEu) + (c & 0xFEFEFEu)) >> 1);
  LaneU out = pick(LaneI(ca == 127u) | LaneI(ca == 128u), halved, mixed);
  out = pick(LaneI(ca == 255u), c, out);
  return pick(LaneI(ca == 0u), d, out);
}

inline LaneU loadLanes(const uint32_t* p) {
  LaneU v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}

inline void storeLanes(uint32_t* p, LaneU v) { __builtin_memcpy(p, &v, sizeof v); }

// Whole blocks of opaque source pixels are stored as they are and transparent ones skipped, in
// the same pass that loads them; the last partial block goes through padded with transparent
// pixels, which leave their lanes alone.
inline void blendRowLanes(uint32_t* d, const uint32_t* s, int64_t n) {
  int64_t i = 0;
  for (; i + LANES <= n; i += LANES) {
    LaneU c = loadLanes(s + i), alpha = c & 0xFF000000u;
    if (laneBits(LaneI(alpha == 0xFF000000u)) == ALL_LANES) {
      storeLanes(d + i, c);
    } else if (laneBits(LaneI(alpha == 0u)) != ALL_LANES) {
      storeLanes(d + i, blendLanes(loadLanes(d + i), c));
    }
  }
  if (i == n) return;
  uint32_t from[LANES] = {}, to[LANES] = {};
  __builtin_memcpy(from, s + i, size_t(n - i) * 4);
  __builtin_memcpy(to, d + i, size_t(n - i) * 4);
  storeLanes(to, blendLanes(loadLanes(to), loadLanes(from)));
  __builtin_memcpy(d + i, to, size_t(n - i) * 4);
}

}  // namespace
