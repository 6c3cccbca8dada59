// Image_Put: the forms of the call, mirroring, clipping of the copy and of the stretch, column
// sampling, blending and the errors, pixel by pixel on small images.
#include <cmath>
#include <limits>

#include "graphics/blend.h"
#include "graphics/blit.h"
#include "graphics_fixture.h"

namespace {

const uint32_t BLACK = 0xFF000000;

class BlitTest : public ImageFixture {
 protected:
  // Every pixel names its own column and row, so a destination pixel tells where it came from.
  static uint32_t label(int x, int y) { return 0xFF000000u | uint32_t(y + 1) << 8 | uint32_t(x + 1); }
  int32_t labelled(int w, int h) {
    int32_t s = make(w, h);
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) at(s, x, y) = label(x, y);
    return s;
  }
  // Source columns read along destination row y; -1 where the destination was not written.
  static std::vector<int> columns(int32_t handle, int y) {
    std::vector<int> out;
    for (uint32_t p : row(handle, y)) out.push_back(p == BLACK ? -1 : int(p & 0xFF) - 1);
    return out;
  }
  static std::vector<int> rows(int32_t handle, int x) {
    std::vector<int> out;
    for (int y = 0; y < rec(handle)->height; y++) {
      uint32_t p = at(handle, x, y);
      out.push_back(p == BLACK ? -1 : int(p >> 8 & 0xFF) - 1);
    }
    return out;
  }
  static int written(int32_t handle) {
    int n = 0;
    for (uint32_t p : pixels(handle)) n += p != BLACK;
    return n;
  }
  // Form 9: the whole source at its own size with its top-left at (x, y).
  static void putAt(double x, double y, int32_t source) { Image_Put(x, y, 0, 0, source, 0, 0, 0, 0, 0, 9); }
  // Form 13: the whole source fitted into (x1, y1)-(x2, y2) of drawDest.
  static void putInto(double x1, double y1, double x2, double y2, int32_t source) {
    Image_Put(x1, y1, x2, y2, source, 0, 0, 0, 0, 0, 13);
  }
  // Form 365: source rectangle onto destination rectangle.
  static void putRect(int32_t source, double sx1, double sy1, double sx2, double sy2, int32_t dest, double dx1, double dy1,
                      double dx2, double dy2) {
    Image_Put(dx1, dy1, dx2, dy2, source, dest, sx1, sy1, sx2, sy2, 365);
  }
  int32_t blackDest(int w, int h) { return make(w, h, BLACK); }
};

using V = std::vector<int>;

V part(const V& v, int from, int to) { return V(v.begin() + from, v.begin() + to); }

// ---- the forms of the call ---------------------------------------------------------------

TEST_F(BlitTest, Form9PutsTheWholeSourceAtItsTopLeft) {
  int32_t s = labelled(3, 2);
  putAt(4, 5, s);
  EXPECT_EQ(at(page, 4, 5), label(0, 0));
  EXPECT_EQ(at(page, 6, 6), label(2, 1));
  EXPECT_EQ(written(page), 6);
}

TEST_F(BlitTest, Form9HalfOffTheLeftEdgeDrawsOnlyTheVisibleColumnsInPlace) {
  int32_t s = labelled(4, 2);
  putAt(-2, 0, s);
  EXPECT_EQ(columns(page, 0), V({2, 3, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));
  EXPECT_EQ(rows(page, 1), V({0, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));
  EXPECT_EQ(written(page), 4);
}

TEST_F(BlitTest, Form13FitsTheSourceIntoTheRectangle) {
  int32_t s = labelled(2, 2);
  putInto(0, 0, 3, 3, s);
  EXPECT_EQ(part(columns(page, 0), 0, 5), V({0, 0, 1, 1, -1}));
  EXPECT_EQ(part(rows(page, 3), 0, 5), V({0, 0, 1, 1, -1}));
}

TEST_F(BlitTest, Form13WithCornersSwappedMirrors) {
  int32_t s = labelled(4, 4);
  putInto(3, 0, 0, 3, s);  // left to right
  EXPECT_EQ(part(columns(page, 0), 0, 4), V({3, 2, 1, 0}));
  EXPECT_EQ(part(rows(page, 0), 0, 4), V({0, 1, 2, 3}));
  putInto(10, 3, 13, 0, s);  // top to bottom
  EXPECT_EQ(part(rows(page, 10), 0, 4), V({3, 2, 1, 0}));
  EXPECT_EQ(part(columns(page, 0), 10, 14), V({0, 1, 2, 3}));
  putInto(3, 15, 0, 12, s);  // both
  EXPECT_EQ(at(page, 0, 12), label(3, 3));
  EXPECT_EQ(at(page, 3, 15), label(0, 0));
}

TEST_F(BlitTest, Form45GoesToTheNamedDestinationOnly) {
  int32_t s = labelled(2, 1), d = blackDest(4, 1);
  Image_Put(0, 0, 3, 0, s, d, 0, 0, 0, 0, 45);
  EXPECT_EQ(columns(d, 0), V({0, 0, 1, 1}));
  EXPECT_EQ(written(page), 0);
}

TEST_F(BlitTest, Form365CopiesARectangleAndStretchesWhenSizesDiffer) {
  int32_t s = labelled(8, 8), d = blackDest(8, 8);
  putRect(s, 1, 1, 3, 3, d, 2, 3, 4, 5);
  EXPECT_EQ(at(d, 2, 3), label(1, 1));
  EXPECT_EQ(at(d, 4, 5), label(3, 3));
  EXPECT_EQ(written(d), 9);
  int32_t e = blackDest(8, 1);
  putRect(s, 0, 0, 1, 0, e, 0, 0, 3, 0);
  EXPECT_EQ(columns(e, 0), V({0, 0, 1, 1, -1, -1, -1, -1}));
}

TEST_F(BlitTest, Form40FitsTheWholeSourceToTheWholeDestination) {
  int32_t s = labelled(2, 1), d = blackDest(4, 2);
  Image_Put(0, 0, 0, 0, s, d, 0, 0, 0, 0, 40);
  EXPECT_EQ(columns(d, 0), V({0, 0, 1, 1}));
  EXPECT_EQ(columns(d, 1), V({0, 0, 1, 1}));
}

TEST_F(BlitTest, DestinationRectangleWithSourceCornerTakesTheSourceSize) {
  int32_t s = labelled(6, 1);
  Image_Put(5, 0, 3, 0, s, 0, 1, 0, 0, 0, 1 | 4 | 8 | 64);  // source (1,0)-(3,0), mirrored
  EXPECT_EQ(part(columns(page, 0), 2, 7), V({-1, 3, 2, 1, -1}));
}

TEST_F(BlitTest, SourceRectangleWithDestinationCornerTakesTheSourceSize) {
  int32_t s = labelled(6, 1);
  Image_Put(2, 0, 0, 0, s, 0, 3, 0, 1, 0, 1 | 8 | 64 | 256);  // onto (2,0)-(4,0), mirrored
  EXPECT_EQ(part(columns(page, 0), 0, 6), V({-1, -1, 3, 2, 1, -1}));
}

TEST_F(BlitTest, SourceRectangleAloneFillsTheWholeDestination) {
  int32_t s = labelled(6, 1), d = blackDest(4, 1);
  Image_Put(0, 0, 0, 0, s, d, 0, 0, 1, 0, 8 | 32 | 256);  // source (0,0)-(1,0)
  EXPECT_EQ(columns(d, 0), V({0, 0, 1, 1}));
  Image_Put(0, 0, 0, 0, s, d, 5, 0, 2, 0, 8 | 32 | 64 | 256);  // same size, mirrored copy
  EXPECT_EQ(columns(d, 0), V({5, 4, 3, 2}));
}

TEST_F(BlitTest, SecondCornerAloneStartsAtTheOrigin) {
  int32_t s = labelled(2, 2);
  Image_Put(0, 0, 1, 1, s, 0, 0, 0, 0, 0, 4 | 8);
  EXPECT_EQ(at(page, 0, 0), label(0, 0));
  EXPECT_EQ(at(page, 1, 1), label(1, 1));
  EXPECT_EQ(written(page), 4);
}

TEST_F(BlitTest, NothingGivenPutsTheCurrentSourceOntoTheCurrentDestination) {
  int32_t s = labelled(4, 4);
  drawSource = -s;
  Image_Put(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);  // 4 x 4 onto 16 x 16: a stretch
  EXPECT_EQ(part(columns(page, 0), 0, 8), V({0, 0, 0, 0, 1, 1, 1, 1}));
  EXPECT_EQ(rows(page, 15)[15], 3);
  EXPECT_EQ(pendingError, 0);
}

// ---- stretch sampling ------------------------------------------------------------------------

TEST_F(BlitTest, StretchSamplesColumnsFromCornerToCorner) {
  int32_t s = labelled(3, 1);
  putInto(0, 0, 1, 0, s);  // 3 onto 2
  EXPECT_EQ(part(columns(page, 0), 0, 3), V({0, 2, -1}));
  int32_t t = labelled(5, 1);
  putInto(0, 2, 12, 2, t);  // the first pixel reads the first column and the last the last
  EXPECT_EQ(part(columns(page, 2), 0, 14), V({0, 0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4, 4, -1}));
}

TEST_F(BlitTest, OnePixelFillsTenByTen) {
  int32_t s = makeRows(1, 1, {0xFF123456});
  putInto(3, 3, 12, 12, s);
  int n = 0;
  for (uint32_t p : pixels(page)) n += p == 0xFF123456;
  EXPECT_EQ(n, 100);
  EXPECT_EQ(at(page, 12, 12), 0xFF123456u);
  EXPECT_EQ(at(page, 13, 12), BLACK);
}

TEST_F(BlitTest, OnePixelRectangleIsACopyOfOnePixel) {
  int32_t s = makeRows(1, 1, {0xFF123456});
  putInto(5, 5, 5, 5, s);
  EXPECT_EQ(at(page, 5, 5), 0xFF123456u);
  EXPECT_EQ(written(page), 1);
  int32_t t = labelled(8, 8);
  putRect(t, 5, 5, 5, 5, page, 5, 5, 5, 5);
  EXPECT_EQ(at(page, 5, 5), label(5, 5));
  EXPECT_EQ(written(page), 1);
}

TEST_F(BlitTest, StretchOffTheLeftEdgeKeepsItsSamples) {
  int32_t s = labelled(4, 1);
  putInto(-4, 0, 3, 0, s);
  EXPECT_EQ(part(columns(page, 0), 0, 5), V({2, 2, 3, 3, -1}));
  putInto(3, 1, -4, 1, s);  // mirrored: the source's left column lands on the right
  EXPECT_EQ(part(columns(page, 1), 0, 5), V({1, 1, 0, 0, -1}));
}

TEST_F(BlitTest, StretchOffTheRightAndBottomEdges) {
  int32_t s = labelled(4, 4);
  putInto(12, 12, 19, 19, s);
  EXPECT_EQ(part(columns(page, 15), 11, 16), V({-1, 0, 0, 1, 1}));
  EXPECT_EQ(part(rows(page, 15), 11, 16), V({-1, 0, 0, 1, 1}));
  putInto(7, 19, 0, 12, s);  // mirrored both ways
  EXPECT_EQ(part(rows(page, 0), 11, 16), V({-1, 3, 3, 2, 2}));
  EXPECT_EQ(part(columns(page, 12), 0, 9), V({3, 3, 2, 2, 1, 1, 0, 0, -1}));
}

TEST_F(BlitTest, StretchFromASourceRectanglePartlyOutsideTheSource) {
  int32_t s = labelled(2, 1), d = blackDest(8, 1);
  putRect(s, -2, 0, 1, 0, d, 0, 0, 7, 0);  // source columns -2 and -1 do not exist
  EXPECT_EQ(columns(d, 0), V({-1, -1, -1, -1, 0, 0, 1, 1}));
  int32_t e = blackDest(8, 1);
  putRect(s, 0, 0, 3, 0, e, 7, 0, 0, 0);  // columns 2 and 3 do not exist; mirrored
  EXPECT_EQ(columns(e, 0), V({-1, -1, -1, -1, 1, 1, 0, 0}));
}

// ---- copy clipping ---------------------------------------------------------------------------

TEST_F(BlitTest, CopyOffEveryEdgeOfTheDestination) {
  int32_t s = labelled(5, 5), d = blackDest(3, 3);
  Image_Put(-1, -1, 3, 3, s, d, 0, 0, 0, 0, 45);
  EXPECT_EQ(at(d, 0, 0), label(1, 1));
  EXPECT_EQ(at(d, 2, 2), label(3, 3));
  int32_t e = blackDest(3, 3);
  Image_Put(3, 3, -1, -1, s, e, 0, 0, 0, 0, 45);  // mirrored both ways
  EXPECT_EQ(at(e, 0, 0), label(3, 3));
  EXPECT_EQ(at(e, 2, 2), label(1, 1));
}

TEST_F(BlitTest, CopyOffTheRightEdgeMirroredCutsTheSourcesLeftEnd) {
  int32_t s = labelled(4, 1);
  putRect(s, 0, 0, 3, 0, page, 17, 0, 14, 0);
  EXPECT_EQ(part(columns(page, 0), 13, 16), V({-1, 3, 2}));
}

TEST_F(BlitTest, CopyFromOutsideTheSourceCutsTheDestination) {
  int32_t s = labelled(4, 1);
  putRect(s, -2, 0, 1, 0, page, 3, 0, 0, 0);  // mirrored: source -2 would land at 3
  EXPECT_EQ(part(columns(page, 0), 0, 5), V({1, 0, -1, -1, -1}));
  putRect(s, 2, 0, 5, 0, page, 0, 1, 3, 1);
  EXPECT_EQ(part(columns(page, 1), 0, 5), V({2, 3, -1, -1, -1}));
  putRect(s, 0, -3, 3, 0, page, 0, 5, 3, 8);  // rows -3 to -1 do not exist
  EXPECT_EQ(part(rows(page, 0), 4, 10), V({-1, -1, -1, -1, 0, -1}));
}

TEST_F(BlitTest, RectanglesWhollyOutsideDrawNothing) {
  int32_t s = labelled(4, 4);
  putAt(16, 0, s);
  putAt(-4, 0, s);
  putAt(0, -4, s);
  putInto(20, 20, 40, 40, s);
  putRect(s, 4, 0, 7, 3, page, 0, 0, 3, 3);
  putRect(s, -9, 0, -1, 0, page, 0, 0, 3, 0);  // a stretch that samples only outside
  EXPECT_EQ(written(page), 0);
  EXPECT_EQ(pendingError, 0);
}

// ---- corner rounding -----------------------------------------------------------------------

TEST_F(BlitTest, CornersRoundInSinglePrecisionThenHalvesToEven) {
  int32_t s = makeRows(1, 1, {0xFFABCDEF});
  auto landsAt = [&](double x) {
    std::fill(rec(page)->pixels, rec(page)->pixels + 256, BLACK);
    putAt(x, 0, s);
    for (int i = 0; i < 16; i++)
      if (at(page, i, 0) != BLACK) return i;
    return -1;
  };
  EXPECT_EQ(landsAt(12.5), 12);
  EXPECT_EQ(landsAt(13.5), 14);
  EXPECT_EQ(landsAt(0.5), 0);
  EXPECT_EQ(landsAt(-0.5), 0);
  EXPECT_EQ(landsAt(2.5000001), 2);  // a float first: 2.5000001 is 2.5, a tie
  EXPECT_EQ(landsAt(2.50000025), 3);
  EXPECT_EQ(landsAt(3.4999999), 4);  // likewise 3.5
  EXPECT_EQ(landsAt(3.4999998), 3);
}

// ---- blending ------------------------------------------------------------------------------

TEST_F(BlitTest, CopyKeepsTheDestinationUnderTransparentSourcePixels) {
  int32_t s = makeRows(4, 1, {0xFF112233, 0x00FFFFFF, 0x80406080, 0x3F102030});
  int32_t d = makeRows(4, 1, {0xFF000000, 0xFF445566, 0xFF102030, 0x80FFFFFF});
  std::vector<uint32_t> before = pixels(d);
  putRect(s, 0, 0, 3, 0, d, 0, 0, 3, 0);
  EXPECT_EQ(at(d, 0, 0), 0xFF112233u);
  EXPECT_EQ(at(d, 1, 0), 0xFF445566u);
  EXPECT_EQ(at(d, 2, 0), 0xFF284058u);
  EXPECT_EQ(at(d, 3, 0), Blend_Pixel(before[3], 0x3F102030));
}

TEST_F(BlitTest, LongRowsBlendExactlyAsPixelByPixel) {
  // Blocks of opaque, transparent and mixed alpha, a block that is opaque but for its last
  // pixel, and a tail shorter than a block, mirrored and not.
  std::vector<uint32_t> src, dst;
  for (int i = 0; i < 43; i++) {
    uint32_t alpha = i < 8 ? 255 : i < 16 ? 0 : i < 24 ? uint32_t(i * 37 % 256) : i < 31 ? 255 : i == 31 ? 7 : 200;
    src.push_back(alpha << 24 | uint32_t(i) * 0x010305u);
    dst.push_back(uint32_t(i) * 0x05030107u | 0x40000000);
  }
  for (bool mirrored : {false, true}) {
    int32_t s = make(43, 1), d = make(43, 1);
    std::copy(src.begin(), src.end(), rec(s)->pixels);
    std::copy(dst.begin(), dst.end(), rec(d)->pixels);
    putRect(s, 0, 0, 42, 0, d, mirrored ? 42 : 0, 0, mirrored ? 0 : 42, 0);
    for (int i = 0; i < 43; i++) {
      int from = mirrored ? 42 - i : i;
      EXPECT_EQ(at(d, i, 0), Blend_Pixel(dst[i], src[from])) << "pixel " << i << (mirrored ? " mirrored" : "");
    }
  }
}

TEST_F(BlitTest, StretchBlendsEverySample) {
  int32_t s = makeRows(2, 1, {0x80FF0000, 0x00FFFFFF});
  int32_t d = makeRows(4, 1, {0xFF0000FF, 0xFF0000FF, 0xFF00FF00, 0xFF00FF00});
  Image_Put(0, 0, 0, 0, s, d, 0, 0, 0, 0, 40);
  EXPECT_EQ(row(d, 0), std::vector<uint32_t>({Blend_Pixel(0xFF0000FF, 0x80FF0000), Blend_Pixel(0xFF0000FF, 0x80FF0000),
                                              0xFF00FF00, 0xFF00FF00}));
}

TEST_F(BlitTest, NoBlendOnEitherImageCopiesColoursAsTheyAre) {
  for (int which = 0; which < 2; which++) {
    int32_t s = makeRows(3, 1, {0x00123456, 0x80FF0000, 0xFF00FF00});
    int32_t d = make(6, 1, 0xFF0000FF);
    (which == 0 ? rec(s) : rec(d))->noBlend = 1;
    putRect(s, 0, 0, 2, 0, d, 0, 0, 2, 0);                     // copy
    Image_Put(3, 0, 5, 0, s, d, 2, 0, 0, 0, 1 | 4 | 8 | 32 | 64 | 256);  // mirrored copy
    EXPECT_EQ(row(d, 0), std::vector<uint32_t>({0x00123456, 0x80FF0000, 0xFF00FF00, 0xFF00FF00, 0x80FF0000, 0x00123456}));
    int32_t e = make(6, 1, 0xFF0000FF);
    (which == 0 ? rec(s) : rec(e))->noBlend = 1;
    Image_Put(0, 0, 0, 0, s, e, 0, 0, 0, 0, 40);  // stretch
    EXPECT_EQ(row(e, 0), std::vector<uint32_t>({0x00123456, 0x00123456, 0x80FF0000, 0x80FF0000, 0xFF00FF00, 0xFF00FF00}));
  }
}

// ---- errors --------------------------------------------------------------------------------

TEST_F(BlitTest, TheSameImageOnBothSidesIsError5EvenWhenDefaulted) {
  putRect(page, 0, 0, 1, 1, page, 2, 2, 3, 3);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  Image_Put(1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1);  // source drawSource, destination drawDest
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  putAt(1, 1, page);  // destination drawDest
  EXPECT_EQ(pendingError, 5);
  EXPECT_EQ(written(page), 0);
}

TEST_F(BlitTest, TheStartUpPageIsError5OnEitherSide) {
  int32_t s = labelled(2, 2), d = blackDest(2, 2);
  rec(s)->isTextPage = 1;
  Image_Put(0, 0, 0, 0, s, d, 0, 0, 0, 0, 40);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  rec(s)->isTextPage = 0;
  rec(d)->isTextPage = 1;
  Image_Put(0, 0, 0, 0, s, d, 0, 0, 0, 0, 40);
  EXPECT_EQ(pendingError, 5);
  EXPECT_EQ(written(d), 0);
}

TEST_F(BlitTest, ASourceCornerWithoutASecondCornerIsError5) {
  int32_t s = labelled(2, 2);
  Image_Put(0, 0, 0, 0, s, 0, 1, 1, 0, 0, 8 | 64);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  Image_Put(3, 3, 0, 0, s, 0, 1, 1, 0, 0, 1 | 8 | 64);
  EXPECT_EQ(pendingError, 5);
  EXPECT_EQ(written(page), 0);
}

TEST_F(BlitTest, AnInvalidHandleIsError258) {
  int32_t s = labelled(2, 2);
  Image_Put(0, 0, 0, 0, -60000, page, 0, 0, 0, 0, 40);
  EXPECT_EQ(pendingError, 258);
  pendingError = 0;
  Image_Put(0, 0, 0, 0, s, 7, 0, 0, 0, 0, 40);
  EXPECT_EQ(pendingError, 258);
}

TEST_F(BlitTest, APendingErrorDrawsNothingAndStays) {
  int32_t s = labelled(2, 2);
  pendingError = 53;
  putAt(0, 0, s);
  Image_Put(0, 0, 0, 0, page, page, 0, 0, 0, 0, 40);
  EXPECT_EQ(pendingError, 53);
  EXPECT_EQ(written(page), 0);
}

// ---- coordinates without a pixel -------------------------------------------------------------

TEST_F(BlitTest, CornersWithoutAPixelDrawNothing) {
  int32_t s = labelled(2, 2);
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  for (double bad : {nan, inf, -inf, 1e300, -1e300, 2147483648.0, -2147483904.0, 1e10}) {
    putAt(bad, 0, s);
    putAt(0, bad, s);
    putInto(0, 0, bad, 3, s);
    putRect(s, 0, 0, bad, 1, page, 0, 0, 1, 1);
    putRect(s, bad, 0, 1, 1, page, 0, 0, 1, 1);
  }
  EXPECT_EQ(written(page), 0);
  EXPECT_EQ(pendingError, 0);
}

TEST_F(BlitTest, CornersAtTheEndsOfThe32BitRangeStillClip) {
  int32_t s = labelled(2, 1);
  putInto(-2147483648.0, 0, 5, 0, s);  // the visible end samples the right column
  EXPECT_EQ(part(columns(page, 0), 0, 7), V({1, 1, 1, 1, 1, 1, -1}));
  putInto(2147483520.0, 1, -2147483648.0, 1, s);  // mirrored: the right half shows the left column
  EXPECT_EQ(part(columns(page, 1), 0, 2), V({0, 0}));
  int32_t t = labelled(4, 1);
  putRect(t, -2147483648.0, 0, 2147483520.0, 0, page, -2147483648.0, 2, 2147483520.0, 2);  // a copy
  EXPECT_EQ(part(columns(page, 2), 0, 5), V({0, 1, 2, 3, -1}));
  putRect(t, -2147483648.0, 0, -2147483648.0, 0, page, -2147483648.0, 3, 2147483520.0, 3);  // all dropped
  EXPECT_EQ(written(page), 6 + 16 + 4);
}

}  // namespace
