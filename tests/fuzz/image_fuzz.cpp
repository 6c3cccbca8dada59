// libFuzzer driver for the picture loader: random bytes go into a file, which Image_Load opens
// as the game does (PNG and JPEG, told apart by their first bytes). A picture that loads must
// have a size within the loader's limits and pixels that can all be read; either way no record
// may stay taken. Stand-ins replace the screen and the blend tables, which loading never uses.
#include <cstdio>
#include <cstdlib>

#include "graphics/blend.h"
#include "graphics/image.h"
#include "graphics/screen.h"
#include "tests/fuzz/fuzz_support.h"

int32_t screenPage, drawDest, drawSource;
uint8_t* blendTable;
uint8_t alphaTable[65536];
void Blend_BuildTables() {}

static void fail(const char* what) {
  std::fprintf(stderr, "picture loader: %s\n", what);
  std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int32_t page = [] {
    Image_InitTable();
    return drawDest = screenPage = drawSource = Image_Create(16, 16);
  }();
  std::string path = Fuzz_WriteFile(data, size);
  int32_t first = Image_New(1, 1);
  Image_Free(first, IMAGE_HANDLE_GIVEN);
  int32_t h = Image_Load(path, 32, 1);
  if (pendingError != 0) fail("raised an error");
  if (h < -1) {
    const ImageRecord* r = Image_Record(-h);
    if (r->width < 1 || r->height < 1 || uint64_t(r->width) * uint64_t(r->height) > uint64_t(1) << 25) fail("size");
    uint32_t all = 0;
    for (size_t i = 0; i < size_t(r->width) * size_t(r->height); i++) all |= r->pixels[i];
    if (all == 0xDEADBEEF) std::printf("%d\n", page);  // keeps the reads
    Image_Free(h, IMAGE_HANDLE_GIVEN);
  } else if (h != -1) {
    fail("neither a picture nor -1");
  }
  if (Image_New(1, 1) != first) fail("a record stayed taken");
  Image_Free(first, IMAGE_HANDLE_GIVEN);
  return 0;
}
