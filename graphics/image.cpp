// image.cpp: the image table, handles, and the image operations other than loading.
//
// Records live in blocks of 4096 that are never moved or freed, found through a fixed block
// directory; recordCount grows by handing out the next never-used number, freeStack holds
// freed numbers (last in, first out). Game thread only, except that the presentation reads
// the screen page's record.
#include "graphics/image.h"

#include <cstdlib>
#include <cstring>

#include "graphics/blend.h"
#include "graphics/screen.h"
#include "runtime/error.h"

static const int32_t BLOCK = 4096;
static const int32_t MAX_BLOCKS = 16384;  // 67 million records

static ImageRecord* blocks[MAX_BLOCKS];
static int32_t blockCount;    // blocks allocated
static int32_t recordCount;   // record numbers ever handed out
static int32_t* freeStack;    // freed record numbers
static int32_t freeCount, freeCapacity;

ImageRecord* Image_Record(int32_t n) { return &blocks[n / BLOCK][n % BLOCK]; }

int32_t Image_RecordCount() { return recordCount; }

static void growTable() {
  ImageRecord* block = blockCount < MAX_BLOCKS
                           ? static_cast<ImageRecord*>(std::calloc(BLOCK, sizeof(ImageRecord)))
                           : nullptr;
  if (block == nullptr) Runtime_Error(502);
  blocks[blockCount++] = block;
}

void Image_InitTable() {
  if (blockCount > 0) return;
  growTable();
  recordCount = 2;  // numbers 0 and 1 are never images
}

static int32_t takeRecordNumber() {
  Image_InitTable();
  if (freeCount > 0) return freeStack[--freeCount];
  if (recordCount == blockCount * BLOCK) growTable();
  return recordCount++;
}

static void pushFree(int32_t n) {
  if (freeCount == freeCapacity) {
    int32_t capacity = freeCapacity + BLOCK;
    void* grown = std::realloc(freeStack, size_t(capacity) * sizeof(int32_t));
    if (grown == nullptr) Runtime_Error(503);
    freeStack = static_cast<int32_t*>(grown);
    freeCapacity = capacity;
  }
  freeStack[freeCount++] = n;
}

int32_t Image_Lookup(int32_t handle) {
  if (handle < 0 && handle != INT32_MIN && -handle < recordCount && Image_Record(-handle)->inUse) return -handle;
  Runtime_Error(258);
  return 0;
}

static void setDefaults(ImageRecord* r, int32_t width, int32_t height) {
  std::memset(r, 0, sizeof *r);
  r->inUse = 1;
  r->width = uint16_t(width);
  r->height = uint16_t(height);
  r->bytesPerPixel = 4;
  r->bitsPerPixel = 32;
  r->colorMask = 0xFFFFFFFF;
  r->mode = 32;
  r->foreColor = 0xFFFFFFFF;
  r->backColor = 0xFF000000;
  r->lastColor = r->foreColor;
  r->font = 16;
  r->textTop = 1;
  r->textBottom = int16_t(height / 16 - 1 < 1 ? 1 : height / 16 - 1);
  r->cursorColumn = 1;
  r->cursorRow = 1;
  r->ownership = IMAGE_OWNS_PIXELS;
  r->printMode = 3;
  r->clipX2 = width - 1;
  r->clipY2 = height - 1;
  r->lastX = float(width / 2);
  r->lastY = float(height / 2);
}

int32_t Image_Create(int32_t width, int32_t height) {
  if (width < 1 || height < 1 || width > 65535 || height > 65535) return 0;
  int32_t n = takeRecordNumber();
  ImageRecord* r = Image_Record(n);
  uint32_t* pixels = static_cast<uint32_t*>(std::calloc(size_t(width) * size_t(height), 4));
  if (pixels == nullptr) {
    std::memset(r, 0, sizeof *r);
    pushFree(n);
    return 0;
  }
  setDefaults(r, width, height);
  r->pixels = pixels;
  Blend_BuildTables();
  return n;
}

void Image_Release(int32_t n) {
  ImageRecord* r = Image_Record(n);
  if (r->ownership & IMAGE_OWNS_PIXELS) std::free(r->pixels);
  std::memset(r, 0, sizeof *r);
  pushFree(n);
}

int32_t Image_New(int32_t width, int32_t height) {
  if (Error_Pending()) return 0;
  int32_t n = Image_Create(width, height);
  if (n == 0) return 0;
  ImageRecord* r = Image_Record(n);
  const ImageRecord* dest = Image_Record(drawDest);
  r->font = dest->font;
  r->foreColor = dest->foreColor;
  r->backColor = dest->backColor;
  r->noBlend = dest->noBlend;
  r->printMode = dest->printMode;
  return -n;
}

int32_t Image_Copy(int32_t handle, int32_t passed) {
  if (Error_Pending()) return 0;
  int32_t source = (passed & IMAGE_HANDLE_GIVEN) ? Image_Lookup(handle) : drawDest;
  if (source == 0) return 0;
  const ImageRecord* from = Image_Record(source);
  size_t bytes = size_t(from->width) * from->height * 4;
  uint32_t* pixels = static_cast<uint32_t*>(std::malloc(bytes));
  if (pixels == nullptr) return -1;
  int32_t n = takeRecordNumber();
  ImageRecord* r = Image_Record(n);
  *r = *Image_Record(source);
  std::memcpy(pixels, r->pixels, bytes);
  r->pixels = pixels;
  r->ownership = (r->ownership | IMAGE_OWNS_PIXELS) & ~IMAGE_IS_SCREEN_PAGE;
  r->isTextPage = 0;
  return -n;
}

void Image_Free(int32_t handle, int32_t passed) {
  if (Error_Pending()) return;
  int32_t n = drawDest;
  if (passed & IMAGE_HANDLE_GIVEN) {
    if (handle >= 0) return Runtime_Error(5);
    n = Image_Lookup(handle);
    if (n == 0) return;
  }
  if (Image_Record(n)->ownership & IMAGE_IS_SCREEN_PAGE) return Runtime_Error(5);
  if (n == drawDest) drawDest = screenPage;
  if (n == drawSource) drawSource = screenPage;
  Image_Release(n);
}

void Image_PutPixel(int32_t x, int32_t y, uint32_t color) {
  if (Error_Pending()) return;
  ImageRecord* r = Image_Record(drawDest);
  uint32_t* p = r->pixels + size_t(y) * r->width + x;
  *p = r->noBlend ? color : Blend_Pixel(*p, color);
}

void Image_PlotClipped(int32_t x, int32_t y, uint32_t color) {
  const ImageRecord* r = Image_Record(drawDest);
  if (x < r->clipX1 || x > r->clipX2 || y < r->clipY1 || y > r->clipY2) return;
  Image_PutPixel(x, y, color);
}
