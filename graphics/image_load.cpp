// image_load.cpp: decoding picture files into new images. Placeholder: nothing decodes yet.
#include "graphics/image.h"

#include "runtime/error.h"

int32_t Image_Load(const std::string& fileName, int32_t mode, int32_t passed) {
  if (Error_Pending()) return 0;
  if ((passed & 1) && mode != 32 && mode != 256) {
    Runtime_Error(5);
    return 0;
  }
  (void)fileName;
  return -1;
}
