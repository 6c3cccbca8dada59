// color.cpp: the colour constructor and the destination's drawing colours. No state of its own.
#include "graphics/color.h"

#include "graphics/image.h"
#include "graphics/screen.h"
#include "runtime/error.h"

static uint32_t clampComponent(int32_t v) { return v < 0 ? 0u : v > 255 ? 255u : uint32_t(v); }

uint32_t Color_Rgb(int32_t red, int32_t green, int32_t blue, int32_t image, int32_t passed) {
  if (Error_Pending()) return 0;
  // Every image is 32-bit, so the image named only has to exist.
  if ((passed & 1) && Image_Lookup(image) == 0) return 0;
  return 0xFF000000u | clampComponent(red) << 16 | clampComponent(green) << 8 | clampComponent(blue);
}

void Color_Set(uint32_t fore, uint32_t back, int32_t, int32_t passed) {
  if (Error_Pending()) return;
  if (passed & COLOR_BORDER) return Runtime_Error(5);
  ImageRecord* r = Image_Record(drawDest);
  if (passed & COLOR_FORE) r->foreColor = fore;
  if (passed & COLOR_BACK) r->backColor = back;
}
