// color.h: colours and the drawing colours of the destination image.
//
// Owns no state: the colours live in each image's record. Game thread only.
#pragma once

#include <cstdint>

// 0xFF000000 + red * 65536 + green * 256 + blue, each component clamped to 0..255. passed bit 0
// names the image the colour is for (error 258 when it is not an image); 0 while an error is
// pending.
uint32_t Color_Rgb(int32_t red, int32_t green, int32_t blue, int32_t image, int32_t passed);

enum : int32_t { COLOR_FORE = 1, COLOR_BACK = 2, COLOR_BORDER = 4 };

// On drawDest: COLOR_FORE stores foreColor, COLOR_BACK stores backColor; a border colour is
// error 5 on a 32-bit image.
void Color_Set(uint32_t fore, uint32_t back, int32_t border, int32_t passed);
