// coord.h: how the game's real-number coordinates become whole pixels.
//
// No state. Values that are NaN, infinite or beyond the 32-bit range have no pixel: the callers
// draw nothing for them, so no undefined float-to-integer conversion is ever reached. Pixels are
// held in 64 bits so that differences of two 32-bit corners cannot overflow.
#pragma once

#include <cmath>
#include <cstdint>

// Round to single precision, then to the nearest integer, halves to even (12.5 -> 12,
// 13.5 -> 14). False when v has no 32-bit pixel.
inline bool Coord_ToPixel(double v, int64_t* pixel) {
  // The range test comes first: a double too large for a float has no defined conversion.
  if (!(v > -2147483904.0 && v < 2147483904.0)) return false;
  float r = std::nearbyint(float(v));
  if (!(r >= -2147483648.0f && r < 2147483648.0f)) return false;
  *pixel = int64_t(r);
  return true;
}

// Half away from zero in single precision (subtract 0.5 when negative, add 0.5 otherwise, then
// truncate): the rule of the line's running coordinate. v must lie inside the 32-bit range.
inline int64_t Coord_RoundAway(float v) { return int64_t(v < 0 ? v - 0.5f : v + 0.5f); }

// The same rule in double precision, for the ellipse centre. False when v has no 32-bit pixel.
inline bool Coord_RoundAwayDouble(double v, int64_t* pixel) {
  if (!(v > -2147483648.5 && v < 2147483647.5)) return false;
  *pixel = int64_t(v < 0 ? v - 0.5 : v + 0.5);
  return true;
}
