// blit.h: Image_Put, the copy, stretch and clip of one image's rectangle onto another's.
//
// Keeps no state between calls and moves no graphics cursor. Game thread only.
#pragma once

#include <cstdint>

// Bits of Image_Put's passed: which arguments were given. Other bits are ignored.
enum : int32_t {
  PUT_DEST_FIRST = 1,      // (dx1, dy1)
  PUT_DEST_SECOND = 4,     // (dx2, dy2)
  PUT_SOURCE = 8,          // source handle; otherwise drawSource
  PUT_DEST = 32,           // destination handle; otherwise drawDest
  PUT_SOURCE_FIRST = 64,   // (sx1, sy1)
  PUT_SOURCE_SECOND = 256, // (sx2, sy2)
};

// Copy the source rectangle onto the destination rectangle (corners inclusive), stretching
// when their sizes differ, mirroring when their corners run in opposite directions, clipping
// both to their images and blending every pixel (a plain copy when either image has noBlend).
// Missing rectangles follow from the images' sizes. Errors: 258 for an invalid handle; 5 for
// the start-up page, for the same image on both sides, and for a source first corner without
// any second corner. A corner that is NaN, infinite or beyond the 32-bit range draws nothing.
void Image_Put(double dx1, double dy1, double dx2, double dy2, int32_t source, int32_t destination,
               double sx1, double sy1, double sx2, double sy2, int32_t passed);
