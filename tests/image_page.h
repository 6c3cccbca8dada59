// A screen page for image tests, which run without a window.
#pragma once

#include "graphics/image.h"
#include "graphics/screen.h"
#include "runtime/error.h"

// Clear any pending error and make a fresh w x h image the screen page, the destination and
// the source, as Screen_Set would. Returns its record number.
inline int32_t Test_MakeScreenPage(int32_t w = 64, int32_t h = 48) {
  pendingError = 0;
  Image_InitTable();
  int32_t n = Image_Create(w, h);
  Image_Record(n)->ownership |= IMAGE_IS_SCREEN_PAGE;
  screenPage = drawDest = drawSource = n;
  return n;
}
