// scaler.h: a rectangle of page pixels drawn into the window's pixels at the shown size.
//
// The page's rows are pageW (or w) pixels 0xAARRGGBB; target is the window pixel where the
// shown page's top-left stands, its rows stride pixels apart. Each call returns the rectangle
// of window pixels it wrote, relative to target. Main thread (the presentation pass) only.
#pragma once

#include <cstdint>

#include "graphics/present_geometry.h"

struct ShownRect {
  int32_t x, y, w, h;
};

// A whole repeat: every page pixel of r a scale x scale block.
ShownRect Scaler_Repeat(const uint32_t* pixels, int32_t pageW, const PageRect& r, uint32_t* target, int32_t stride,
                        int32_t scale);
// Any other size: the w x h page shown shownW x shownH through the filter (Present_FilterSteps);
// the output pixels that read r are drawn.
ShownRect Scaler_Filter(const uint32_t* pixels, int32_t w, int32_t h, const PageRect& r, uint32_t* target, int32_t stride,
                        int32_t shownW, int32_t shownH);
