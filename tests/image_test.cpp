// The image table, handles and the image operations other than loading.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/blend.h"
#include "tests/image_page.h"

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override { page = Test_MakeScreenPage(); }
  void TearDown() override { pendingError = 0; }
  // The pending error, cleared.
  static int32_t takeError() {
    int32_t n = pendingError;
    pendingError = 0;
    return n;
  }
  int32_t page = 0;
};

TEST_F(ImageTest, FreedNumbersComeBackLastInFirstOut) {
  int32_t a = Image_New(4, 4), b = Image_New(4, 4);
  ASSERT_LT(a, -1);
  ASSERT_LT(b, -1);
  Image_Free(a, IMAGE_HANDLE_GIVEN);
  Image_Free(b, IMAGE_HANDLE_GIVEN);
  EXPECT_EQ(Image_New(2, 2), b);
  EXPECT_EQ(Image_New(2, 2), a);
  EXPECT_EQ(takeError(), 0);
}

TEST_F(ImageTest, TableGrowsPastItsFirstBlock) {
  std::vector<int32_t> handles;
  for (int i = 0; i < 4200; i++) handles.push_back(Image_New(1, 1));
  for (int32_t h : handles) {
    ASSERT_LT(h, -1);
    EXPECT_EQ(Image_Lookup(h), -h);
  }
  for (int32_t h : handles) Image_Free(h, IMAGE_HANDLE_GIVEN);
  EXPECT_EQ(takeError(), 0);
}

TEST_F(ImageTest, NewImageHasTheDefaultsAndTakesColoursFromTheDestination) {
  ImageRecord* dest = Image_Record(drawDest);
  dest->font = 8;
  dest->foreColor = 0xFF102030;
  dest->backColor = 0x80405060;
  dest->noBlend = 1;
  dest->printMode = 2;
  int32_t n = -Image_New(10, 40);
  const ImageRecord* r = Image_Record(n);
  EXPECT_EQ(r->inUse, 1);
  EXPECT_EQ(r->width, 10);
  EXPECT_EQ(r->height, 40);
  EXPECT_EQ(r->bitsPerPixel, 32);
  EXPECT_EQ(r->mode, 32);
  EXPECT_EQ(r->colorMask, 0xFFFFFFFFu);
  EXPECT_EQ(r->ownership, uint32_t(IMAGE_OWNS_PIXELS));
  EXPECT_EQ(r->font, 8);
  EXPECT_EQ(r->foreColor, 0xFF102030u);
  EXPECT_EQ(r->backColor, 0x80405060u);
  EXPECT_EQ(r->lastColor, 0xFFFFFFFFu);
  EXPECT_EQ(r->noBlend, 1);
  EXPECT_EQ(r->printMode, 2);
  EXPECT_EQ(r->textTop, 1);
  EXPECT_EQ(r->textBottom, 1);  // 40 / 16 - 1 = 1
  EXPECT_EQ(r->clipX2, 9);
  EXPECT_EQ(r->clipY2, 39);
  EXPECT_EQ(r->lastX, 5.0f);
  EXPECT_EQ(r->lastY, 20.0f);
  for (int i = 0; i < 400; i++) ASSERT_EQ(r->pixels[i], 0u);
  EXPECT_EQ(blendTable != nullptr, Blend_CurrentPath() == BLEND_TABLE);
  EXPECT_EQ(alphaTable[128 * 256 + 255], 255);
}

TEST_F(ImageTest, SizesBelowOneAreRefusedWithoutAnError) {
  EXPECT_EQ(Image_New(0, 5), 0);
  EXPECT_EQ(Image_New(5, -1), 0);
  EXPECT_EQ(takeError(), 0);
}

TEST_F(ImageTest, FreeRefusesNonNegativeHandlesAndTheScreenPage) {
  Image_Free(0, IMAGE_HANDLE_GIVEN);
  EXPECT_EQ(takeError(), 5);
  Image_Free(3, IMAGE_HANDLE_GIVEN);
  EXPECT_EQ(takeError(), 5);
  Image_Free(-page, IMAGE_HANDLE_GIVEN);
  EXPECT_EQ(takeError(), 5);
  Image_Free(0, 0);  // no handle: drawDest, which is the screen page
  EXPECT_EQ(takeError(), 5);
  EXPECT_EQ(Image_Record(page)->inUse, 1);
}

TEST_F(ImageTest, BadHandlesAreError258) {
  for (int32_t h : {-1, -Image_RecordCount(), -Image_RecordCount() - 100, INT32_MIN}) {
    Image_Free(h, IMAGE_HANDLE_GIVEN);
    EXPECT_EQ(takeError(), 258) << h;
    EXPECT_EQ(Image_Copy(h, IMAGE_HANDLE_GIVEN), 0);
    EXPECT_EQ(takeError(), 258) << h;
  }
  int32_t h = Image_New(3, 3);
  Image_Free(h, IMAGE_HANDLE_GIVEN);
  Image_Free(h, IMAGE_HANDLE_GIVEN);
  EXPECT_EQ(takeError(), 258);
}

TEST_F(ImageTest, FreeingTheDestinationSendsDrawingToTheScreenPage) {
  int32_t h = Image_New(8, 8);
  drawDest = drawSource = -h;
  Image_Free(0, 0);
  EXPECT_EQ(takeError(), 0);
  EXPECT_EQ(Image_Record(-h)->inUse, 0);
  EXPECT_EQ(drawDest, page);
  EXPECT_EQ(drawSource, page);
  Image_PutPixel(2, 1, 0xFF123456);
  EXPECT_EQ(Image_Record(page)->pixels[1 * 64 + 2], 0xFF123456u);
}

TEST_F(ImageTest, CopyIsEqualAndIndependent) {
  int32_t source = Image_New(8, 6);
  ImageRecord* s = Image_Record(-source);
  s->foreColor = 0xFF00FF00;
  s->clipX1 = 2;
  s->cursorRow = 4;
  s->noBlend = 1;
  for (int i = 0; i < 48; i++) s->pixels[i] = 0x80000000u + uint32_t(i);
  int32_t copy = Image_Copy(source, IMAGE_HANDLE_GIVEN);
  ASSERT_LT(copy, -1);
  const ImageRecord* c = Image_Record(-copy);
  EXPECT_NE(c->pixels, s->pixels);
  EXPECT_EQ(c->foreColor, 0xFF00FF00u);
  EXPECT_EQ(c->clipX1, 2);
  EXPECT_EQ(c->cursorRow, 4);
  EXPECT_EQ(c->noBlend, 1);
  for (int i = 0; i < 48; i++) ASSERT_EQ(c->pixels[i], 0x80000000u + uint32_t(i));
  drawDest = -copy;
  Image_PutPixel(0, 0, 0xFFFFFFFF);
  EXPECT_EQ(s->pixels[0], 0x80000000u);
  Image_Free(source, IMAGE_HANDLE_GIVEN);
  EXPECT_EQ(c->pixels[47], 0x8000002Fu);
  EXPECT_EQ(takeError(), 0);
}

TEST_F(ImageTest, CopyOfTheScreenPageIsAnOrdinaryImage) {
  Image_Record(page)->pixels[5] = 0xFF0000FF;
  int32_t copy = Image_Copy(0, 0);  // no handle: drawDest, the screen page
  ASSERT_LT(copy, -1);
  EXPECT_EQ(Image_Record(-copy)->ownership, uint32_t(IMAGE_OWNS_PIXELS));
  EXPECT_EQ(Image_Record(-copy)->pixels[5], 0xFF0000FFu);
  Image_Free(copy, IMAGE_HANDLE_GIVEN);
  EXPECT_EQ(takeError(), 0);
}

TEST_F(ImageTest, PutPixelBlendsUnlessTheDestinationSaysNot) {
  uint32_t* p = Image_Record(page)->pixels;
  p[0] = p[1] = 0xFF000000;
  Image_PutPixel(0, 0, 0x80FFFFFF);
  EXPECT_EQ(p[0], 0xFF7F7F7Fu);
  Image_Record(page)->noBlend = 1;
  Image_PutPixel(1, 0, 0x80FFFFFF);
  EXPECT_EQ(p[1], 0x80FFFFFFu);
}

TEST_F(ImageTest, PlotClippedDrawsOnlyInsideTheClipRectangle) {
  ImageRecord* r = Image_Record(page);
  r->clipX1 = 2, r->clipY1 = 3, r->clipX2 = 4, r->clipY2 = 5;
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++) Image_PlotClipped(x, y, 0xFFFFFFFF);
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++)
      EXPECT_EQ(r->pixels[y * 64 + x], (x >= 2 && x <= 4 && y >= 3 && y <= 5) ? 0xFFFFFFFFu : 0u) << x << "," << y;
}

TEST_F(ImageTest, NothingHappensWhileAnErrorIsPending) {
  int32_t h = Image_New(4, 4);
  pendingError = 13;
  EXPECT_EQ(Image_New(4, 4), 0);
  EXPECT_EQ(Image_Copy(h, IMAGE_HANDLE_GIVEN), 0);
  EXPECT_EQ(Image_Load("missing.png", 0, 0), 0);
  Image_Free(h, IMAGE_HANDLE_GIVEN);
  Image_PutPixel(0, 0, 0xFFFFFFFF);
  Image_PlotClipped(0, 0, 0xFFFFFFFF);
  EXPECT_EQ(takeError(), 13);
  EXPECT_EQ(Image_Record(-h)->inUse, 1);
  EXPECT_EQ(Image_Record(page)->pixels[0], 0u);
}
