// blit.cpp: Image_Put. Resolves the images and the form of the call into two rectangles, then
// copies (same size) or stretches (different sizes) with clipping done once per call; the pixel
// loops walk row pointers with no bounds checks. Owns only two scratch buffers of the game
// thread: the stretch's column table and one gathered source row.
#include "graphics/blit.h"

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "graphics/blend.h"
#include "graphics/coord.h"
#include "graphics/image.h"
#include "graphics/screen.h"
#include "runtime/error.h"

// One axis of a blit: destination ends, source ends, and whether the two run opposite ways.
struct BlitAxis {
  int64_t d1, d2, s1, s2;
  bool flip;
};

static std::vector<int32_t> stretchColumns;  // source column of each destination column
static std::vector<uint32_t> gatheredRow;    // a mirrored or stretched source row, for blending

static int64_t span(int64_t a, int64_t b) { return a < b ? b - a : a - b; }

// Mirror when the ranges run opposite ways, then put both in ascending order.
static void orderAxis(BlitAxis* a) {
  a->flip = (a->d2 < a->d1 && a->s1 < a->s2) || (a->s2 < a->s1 && a->d1 < a->d2);
  if (a->d2 < a->d1) std::swap(a->d1, a->d2);
  if (a->s2 < a->s1) std::swap(a->s1, a->s2);
}

// Shorten [*low, *high] by amount at its low end, or at its high end.
template <typename T>
static void cutEnd(T* low, T* high, T amount, bool atHighEnd) {
  if (atHighEnd) {
    *high -= amount;
  } else {
    *low += amount;
  }
}

// The copy's clipping on one axis. Both ranges keep the same length through every cut, so
// once the destination is inside its image and the source inside its own, a non-empty
// destination range means a non-empty, in-bounds source range.
static bool clipCopyAxis(BlitAxis* a, int64_t destSize, int64_t sourceSize) {
  if (a->d1 < 0) {
    int64_t cut = -a->d1;
    cutEnd(&a->s1, &a->s2, cut, a->flip);
    a->d1 = 0;
  }
  if (a->d2 >= destSize) {
    int64_t cut = a->d2 - destSize + 1;
    cutEnd(&a->s1, &a->s2, cut, !a->flip);
    a->d2 = destSize - 1;
  }
  if (a->s1 < 0) {
    int64_t cut = -a->s1;
    cutEnd(&a->d1, &a->d2, cut, a->flip);
    a->s1 = 0;
  }
  if (a->s2 >= sourceSize) {
    int64_t cut = a->s2 - sourceSize + 1;
    cutEnd(&a->d1, &a->d2, cut, !a->flip);
    a->s2 = sourceSize - 1;
  }
  return a->d1 <= a->d2;
}

// One axis of a stretch after clipping: destination ends, the real source span and the step.
struct StretchAxis {
  int64_t d1, d2;
  double f1, f2, step;
};

// The stretch's clipping on one axis. The source span is exact in real numbers: the first
// destination pixel reads s1 and the last reads s2. Dropped columns are counted in double and
// compared before any conversion, so absurd rectangles cannot overflow.
static bool clipStretchAxis(const BlitAxis& a, int64_t destSize, int64_t sourceSize, StretchAxis* out) {
  int64_t length = a.d2 - a.d1;
  double f1 = double(a.s1) - 0.499999, f2 = double(a.s2) + 0.499999;
  double step = length == 0 ? 0.0 : (f2 - f1) / double(length);
  int64_t d1 = a.d1, d2 = a.d2;
  if (d1 < 0) {
    double move = double(-d1) * step;
    cutEnd(&f1, &f2, move, a.flip);
    d1 = 0;
  }
  if (d2 >= destSize) {
    double move = double(d2 - destSize + 1) * step;
    cutEnd(&f1, &f2, move, !a.flip);
    d2 = destSize - 1;
  }
  if (d2 < d1) return false;
  if (length != 0) {
    if (f1 < -0.4999999) {
      double k = std::trunc((-f1 - 0.499999) / step + 1);
      if (!(k <= double(d2 - d1))) return false;
      cutEnd(&d1, &d2, int64_t(k), a.flip);
      f1 += k * step;
    }
    if (f2 > double(sourceSize) - 0.5000001) {
      double k = std::trunc((f2 - (double(sourceSize) - 0.500001)) / step + 1);
      if (!(k <= double(d2 - d1))) return false;
      cutEnd(&d1, &d2, int64_t(k), !a.flip);
      f2 -= k * step;
    }
  } else if (a.s1 < 0 || a.s1 >= sourceSize) {
    return false;  // one destination column that samples outside the source
  }
  *out = {d1, d2, f1, f2, step};
  return true;
}

// The accumulator's source index. Inside the clipped span it rounds into the image; the clamp
// only absorbs the drift of a long run of additions at the very edge.
static int64_t sampleIndex(double accumulator, int64_t size) {
  if (!(accumulator >= 0.0)) return 0;
  if (accumulator >= double(size - 1)) return size - 1;
  return int64_t(std::nearbyint(accumulator));
}

static void copyRects(const ImageRecord* src, ImageRecord* dst, BlitAxis x, BlitAxis y, bool plain) {
  if (!clipCopyAxis(&x, dst->width, src->width) || !clipCopyAxis(&y, dst->height, src->height)) return;
  int64_t w = x.d2 - x.d1 + 1, h = y.d2 - y.d1 + 1;
  int64_t sw = src->width, dw = dst->width;
  if (!x.flip && !plain) {
    // One call for the whole rectangle: a small sprite is mostly the setup of its rows.
    const uint32_t* firstRow = src->pixels + (y.flip ? y.s2 : y.s1) * sw + x.s1;
    return Blend_Rows(dst->pixels + y.d1 * dw + x.d1, dw, firstRow, y.flip ? -sw : sw, w, h);
  }
  gatheredRow.resize(x.flip ? size_t(w) : 0);
  uint32_t* gathered = gatheredRow.data();
  for (int64_t j = 0; j < h; j++) {
    const uint32_t* srow = src->pixels + (y.flip ? y.s2 - j : y.s1 + j) * sw;
    uint32_t* drow = dst->pixels + (y.d1 + j) * dw + x.d1;
    if (!x.flip) {
      std::memcpy(drow, srow + x.s1, size_t(w) * 4);
      continue;
    }
    const uint32_t* from = srow + x.s2;
    uint32_t* to = plain ? drow : gathered;
    for (int64_t i = 0; i < w; i++) to[i] = from[-i];
    if (!plain) Blend_Row(drow, gathered, w);
  }
}

static void stretchRects(const ImageRecord* src, ImageRecord* dst, const BlitAxis& ax, const BlitAxis& ay, bool plain) {
  StretchAxis x, y;
  if (!clipStretchAxis(ax, dst->width, src->width, &x) || !clipStretchAxis(ay, dst->height, src->height, &y)) return;
  int64_t w = x.d2 - x.d1 + 1, h = y.d2 - y.d1 + 1;
  int64_t sw = src->width, dw = dst->width;

  // Every row walks the same x accumulator, so its columns are worked out once; a mirrored
  // blit stores them from the right so that the row loop always runs left to right.
  stretchColumns.resize(size_t(w));
  int32_t* columns = stretchColumns.data();
  gatheredRow.resize(size_t(w));
  uint32_t* gathered = gatheredRow.data();
  double accumulator = x.f1 - x.step;
  for (int64_t i = 0; i < w; i++) {
    accumulator += x.step;
    columns[ax.flip ? w - 1 - i : i] = int32_t(sampleIndex(accumulator, sw));
  }

  double rowAccumulator = y.f1;
  for (int64_t j = 0; j < h; j++) {
    const uint32_t* srow = src->pixels + sampleIndex(rowAccumulator, src->height) * sw;
    rowAccumulator += y.step;
    uint32_t* drow = dst->pixels + (ay.flip ? y.d2 - j : y.d1 + j) * dw + x.d1;
    // A blended row is gathered first so that its opaque and transparent runs go whole.
    uint32_t* to = plain ? drow : gathered;
    for (int64_t i = 0; i < w; i++) to[i] = srow[columns[i]];
    if (!plain) Blend_Row(drow, gathered, w);
  }
}

static bool cornerPixels(double x, double y, int64_t* px, int64_t* py) {
  return Coord_ToPixel(x, px) && Coord_ToPixel(y, py);
}

void Image_Put(double dx1, double dy1, double dx2, double dy2, int32_t source, int32_t destination,
               double sx1, double sy1, double sx2, double sy2, int32_t passed) {
  if (Error_Pending()) return;
  ScreenChangeNote note;
  int32_t s = (passed & PUT_SOURCE) ? Image_Lookup(source) : drawSource;
  if (s == 0) return;
  int32_t d = (passed & PUT_DEST) ? Image_Lookup(destination) : drawDest;
  if (d == 0) return;
  const ImageRecord* src = Image_Record(s);
  ImageRecord* dst = Image_Record(d);
  if (src->isTextPage || dst->isTextPage || s == d) return Runtime_Error(5);
  bool destFirst = passed & PUT_DEST_FIRST, destSecond = passed & PUT_DEST_SECOND;
  bool sourceFirst = passed & PUT_SOURCE_FIRST, sourceSecond = passed & PUT_SOURCE_SECOND;
  if (sourceFirst && !destSecond && !sourceSecond) return Runtime_Error(5);

  // A first corner that is not given is (0, 0).
  BlitAxis x{}, y{};
  if (destFirst && !cornerPixels(dx1, dy1, &x.d1, &y.d1)) return;
  if (destSecond && !cornerPixels(dx2, dy2, &x.d2, &y.d2)) return;
  if (sourceFirst && !cornerPixels(sx1, sy1, &x.s1, &y.s1)) return;
  if (sourceSecond && !cornerPixels(sx2, sy2, &x.s2, &y.s2)) return;

  int64_t sw = src->width, sh = src->height, dw = dst->width, dh = dst->height;
  bool stretch = false;
  if (destSecond && sourceSecond) {
    stretch = span(x.d1, x.d2) != span(x.s1, x.s2) || span(y.d1, y.d2) != span(y.s1, y.s2);
  } else if (destSecond && sourceFirst) {
    x.s2 = x.s1 + span(x.d1, x.d2);
    y.s2 = y.s1 + span(y.d1, y.d2);
  } else if (destSecond) {
    x.s2 = sw - 1;
    y.s2 = sh - 1;
    stretch = span(x.d1, x.d2) + 1 != sw || span(y.d1, y.d2) + 1 != sh;
  } else if (sourceSecond && destFirst) {
    x.d2 = x.d1 + span(x.s1, x.s2);
    y.d2 = y.d1 + span(y.s1, y.s2);
  } else if (sourceSecond) {
    x.d2 = dw - 1;
    y.d2 = dh - 1;
    stretch = span(x.s1, x.s2) + 1 != dw || span(y.s1, y.s2) + 1 != dh;
  } else if (destFirst) {
    x.s2 = sw - 1;
    y.s2 = sh - 1;
    x.d2 = x.d1 + sw - 1;
    y.d2 = y.d1 + sh - 1;
  } else {
    // Whole onto whole: nothing reaches outside either image, so clipping changes nothing.
    x = {0, dw - 1, 0, sw - 1, false};
    y = {0, dh - 1, 0, sh - 1, false};
    stretch = sw != dw || sh != dh;
  }
  orderAxis(&x);
  orderAxis(&y);
  note.only(d, x.d1, y.d1, x.d2, y.d2);

  bool plain = src->noBlend || dst->noBlend;
  if (stretch) {
    stretchRects(src, dst, x, y, plain);
  } else {
    copyRects(src, dst, x, y, plain);
  }
}
