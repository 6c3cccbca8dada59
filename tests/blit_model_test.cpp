// Random blits against a plain model of Image_Put written pixel by pixel from the rules of the
// forms, mirroring, clipping and sampling; and random shapes with absurd coordinates, which
// must stay inside the images (the sanitizer build watches every access).
#include <cmath>
#include <limits>
#include <random>

#include "graphics/blend.h"
#include "graphics/blit.h"
#include "graphics/draw.h"
#include "graphics_fixture.h"

namespace {

struct Picture {
  int64_t w, h;
  std::vector<uint32_t> px;
  bool noBlend;
  bool inside(int64_t x, int64_t y) const { return x >= 0 && x < w && y >= 0 && y < h; }
  uint32_t& at(int64_t x, int64_t y) { return px.at(size_t(y * w + x)); }
};

int64_t pixelOf(double v) { return int64_t(std::nearbyint(float(v))); }
int64_t distance(int64_t a, int64_t b) { return a < b ? b - a : a - b; }

void write(Picture& dst, int64_t x, int64_t y, uint32_t c, bool plain) {
  uint32_t& d = dst.at(x, y);
  d = plain ? c : Blend_Pixel(d, c);
}

// The model: returns the error the call raises (0 for none) and draws into dst.
int modelPut(const Picture& src, Picture& dst, bool same, const double c[8], int32_t passed) {
  bool d1 = passed & 1, d2 = passed & 4, s1 = passed & 64, s2 = passed & 256;
  if (same) return 5;
  if (s1 && !d2 && !s2) return 5;
  int64_t dx1 = 0, dy1 = 0, dx2 = 0, dy2 = 0, sx1 = 0, sy1 = 0, sx2 = 0, sy2 = 0;
  if (d1) dx1 = pixelOf(c[0]), dy1 = pixelOf(c[1]);
  if (d2) dx2 = pixelOf(c[2]), dy2 = pixelOf(c[3]);
  if (s1) sx1 = pixelOf(c[4]), sy1 = pixelOf(c[5]);
  if (s2) sx2 = pixelOf(c[6]), sy2 = pixelOf(c[7]);
  bool copy;
  if (d2 && s2) {
    copy = distance(dx1, dx2) == distance(sx1, sx2) && distance(dy1, dy2) == distance(sy1, sy2);
  } else if (d2 && s1) {
    sx2 = sx1 + distance(dx1, dx2), sy2 = sy1 + distance(dy1, dy2), copy = true;
  } else if (d2) {
    sx1 = 0, sy1 = 0, sx2 = src.w - 1, sy2 = src.h - 1;
    copy = distance(dx1, dx2) + 1 == src.w && distance(dy1, dy2) + 1 == src.h;
  } else if (s2 && !d1) {
    dx1 = 0, dy1 = 0, dx2 = dst.w - 1, dy2 = dst.h - 1;
    copy = distance(sx1, sx2) + 1 == dst.w && distance(sy1, sy2) + 1 == dst.h;
  } else if (s2) {
    dx2 = dx1 + distance(sx1, sx2), dy2 = dy1 + distance(sy1, sy2), copy = true;
  } else if (d1) {
    sx1 = 0, sy1 = 0, sx2 = src.w - 1, sy2 = src.h - 1, dx2 = dx1 + src.w - 1, dy2 = dy1 + src.h - 1, copy = true;
  } else {
    dx1 = dy1 = sx1 = sy1 = 0, dx2 = dst.w - 1, dy2 = dst.h - 1, sx2 = src.w - 1, sy2 = src.h - 1;
    copy = src.w == dst.w && src.h == dst.h;
  }
  bool flipX = (dx2 < dx1 && sx1 < sx2) || (sx2 < sx1 && dx1 < dx2);
  bool flipY = (dy2 < dy1 && sy1 < sy2) || (sy2 < sy1 && dy1 < dy2);
  if (dx2 < dx1) std::swap(dx1, dx2);
  if (sx2 < sx1) std::swap(sx1, sx2);
  if (dy2 < dy1) std::swap(dy1, dy2);
  if (sy2 < sy1) std::swap(sy1, sy2);
  bool plain = src.noBlend || dst.noBlend;

  if (copy) {  // every pair of pixels that both exist
    for (int64_t j = 0; j <= dy2 - dy1; j++)
      for (int64_t i = 0; i <= dx2 - dx1; i++) {
        int64_t x = flipX ? sx2 - i : sx1 + i, y = flipY ? sy2 - j : sy1 + j;
        if (dst.inside(dx1 + i, dy1 + j) && src.inside(x, y)) write(dst, dx1 + i, dy1 + j, src.px[size_t(y * src.w + x)], plain);
      }
    return 0;
  }

  int64_t lx = dx2 - dx1, ly = dy2 - dy1;
  double fx1 = sx1 - 0.499999, fx2 = sx2 + 0.499999, fy1 = sy1 - 0.499999, fy2 = sy2 + 0.499999;
  double stepX = lx == 0 ? 0 : (fx2 - fx1) / lx, stepY = ly == 0 ? 0 : (fy2 - fy1) / ly;
  auto clipDest = [](int64_t& a1, int64_t& a2, double& f1, double& f2, double step, bool flip, int64_t size) {
    if (a1 < 0) (flip ? f2 -= -a1 * step : f1 += -a1 * step), a1 = 0;
    if (a2 >= size) (flip ? f1 += (a2 - size + 1) * step : f2 -= (a2 - size + 1) * step), a2 = size - 1;
  };
  clipDest(dx1, dx2, fx1, fx2, stepX, flipX, dst.w);
  clipDest(dy1, dy2, fy1, fy2, stepY, flipY, dst.h);
  auto clipSource = [](int64_t& a1, int64_t& a2, double& f1, double& f2, double step, bool flip, int64_t size) {
    if (f1 < -0.4999999) {
      int64_t k = int64_t(std::trunc((-f1 - 0.499999) / step + 1));
      (flip ? a2 -= k : a1 += k), f1 += k * step;
    }
    if (f2 > size - 0.5000001) {
      int64_t k = int64_t(std::trunc((f2 - (size - 0.500001)) / step + 1));
      (flip ? a1 += k : a2 -= k), f2 -= k * step;
    }
  };
  if (dx2 < dx1 || dy2 < dy1) return 0;
  if (lx != 0) clipSource(dx1, dx2, fx1, fx2, stepX, flipX, src.w);
  if (ly != 0) clipSource(dy1, dy2, fy1, fy2, stepY, flipY, src.h);
  if (dx2 < dx1 || dy2 < dy1) return 0;
  double accY = fy1;
  for (int64_t j = 0; j <= dy2 - dy1; j++, accY += stepY) {
    int64_t y = flipY ? dy2 - j : dy1 + j, sy = int64_t(std::nearbyint(accY));
    double accX = fx1 - stepX;
    for (int64_t i = 0; i <= dx2 - dx1; i++) {
      accX += stepX;
      int64_t x = flipX ? dx2 - i : dx1 + i, sx = int64_t(std::nearbyint(accX));
      if (!src.inside(sx, sy)) {
        // Only a single destination column or row, which the clipping does not look at, can
        // sample outside; that draws nothing.
        EXPECT_TRUE((lx == 0 && !src.inside(sx, 0)) || (ly == 0 && !src.inside(0, sy)));
        continue;
      }
      write(dst, x, y, src.px[size_t(sy * src.w + sx)], plain);
    }
  }
  return 0;
}

class BlitModelTest : public ImageFixture {
 protected:
  std::mt19937 rng{20240611};
  int64_t between(int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(rng); }
  uint32_t colour() {
    static const uint32_t alphas[] = {0, 255, 127, 128, 255, 0};
    uint32_t a = between(0, 7) < 6 ? alphas[between(0, 5)] : uint32_t(between(0, 255));
    return a << 24 | uint32_t(between(0, 0xFFFFFF));
  }
  double corner() {
    switch (between(0, 9)) {
      case 0: return double(between(-40, 40)) + 0.5;
      case 1: return std::uniform_real_distribution<double>(-30, 30)(rng);
      default: return double(between(-14, 22));
    }
  }
  Picture fill(int32_t handle) {
    ImageRecord* r = rec(handle);
    for (int i = 0; i < r->width * r->height; i++) r->pixels[i] = colour();
    r->noBlend = between(0, 9) == 0;
    return Picture{r->width, r->height, pixels(handle), r->noBlend != 0};
  }
};

TEST_F(BlitModelTest, RandomBlitsMatchThePlainModelPixelForPixel) {
  const int32_t bits[] = {1, 4, 8, 32, 64, 256, 2, 16, 128, 512};
  int stretches = 0, mirrored = 0;
  for (int round = 0; round < 20000; round++) {
    int32_t s = make(int32_t(between(1, 9)), int32_t(between(1, 9)));
    int32_t d = make(int32_t(between(1, 12)), int32_t(between(1, 12)));
    Picture src = fill(s), dst = fill(d);
    int32_t passed = 0;
    for (int32_t bit : bits)
      if (between(0, 1)) passed |= bit;
    // Defaulted images are the current ones; now and then both sides are the same image.
    drawSource = between(0, 5) ? -s : -d;
    drawDest = between(0, 5) ? -d : -s;
    int32_t source = (passed & 8) ? s : drawSource == -s ? s : d;
    int32_t dest = (passed & 32) ? d : drawDest == -d ? d : s;
    double c[8];
    for (double& v : c) v = corner();
    pendingError = 0;
    Image_Put(c[0], c[1], c[2], c[3], s, d, c[4], c[5], c[6], c[7], passed);
    int32_t error = pendingError;
    pendingError = 0;
    Picture expected = dst;
    int expectedError = source == dest ? 5 : modelPut(src, expected, false, c, passed);
    if (source != s || dest != d) expected = dst;  // a defaulted side named the other image
    if (source == s && dest == d) {
      ASSERT_EQ(error, expectedError) << "round " << round << " passed " << passed;
      ASSERT_EQ(pixels(d), expected.px) << "round " << round << " passed " << passed;
      ASSERT_EQ(pixels(s), src.px);
      stretches += (passed & 4) && !(passed & 64) && !(passed & 256);
      mirrored += (passed & 5) == 5 && c[2] < c[0];
    } else if (source == dest) {
      ASSERT_EQ(error, 5);
    }
    Image_Release(-s), Image_Release(-d);
    made.resize(made.size() - 2);
  }
  EXPECT_GT(stretches, 1000);
  EXPECT_GT(mirrored, 1000);
}

TEST_F(BlitModelTest, AbsurdRectanglesAndShapesStayInsideTheImages) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const double wild[] = {nan, inf, -inf, 1e300, -1e300, 2147483647.0, -2147483648.0, 2147483520.0, -2147483904.0,
                         4294967296.0, 1e9, -1e9, 65535, -65536, 0.5, -0.5, 1e-300};
  auto value = [&]() { return between(0, 2) ? wild[between(0, 16)] : corner(); };
  for (int round = 0; round < 20000; round++) {
    int32_t s = make(int32_t(between(1, 9)), int32_t(between(1, 9)));
    int32_t d = make(int32_t(between(1, 12)), int32_t(between(1, 12)));
    fill(s), fill(d);
    drawDest = -d;
    pendingError = 0;
    Image_Put(value(), value(), value(), value(), s, d, value(), value(), value(), value(), int32_t(between(0, 511)) | 8 | 32);
    pendingError = 0;
    Draw_Line(float(value()), float(value()), float(value()), float(value()), colour(), int32_t(between(0, 2)),
              int32_t(between(0, 0xFFFF)), int32_t(between(0, 31)));
    Draw_FillBox(float(value()), float(value()), float(value()), float(value()), colour());
    double radius = between(0, 1) ? wild[between(0, 16)] : double(between(0, 40));
    if (std::abs(radius) > 5e4 && std::abs(radius) < 2e7) radius = 3;  // walkable but slow
    Draw_Circle(value(), value(), radius, colour(), 0, 0, value(), int32_t(between(0, 31)) & ~(4 | 8));
    Image_Release(-s), Image_Release(-d);
    made.resize(made.size() - 2);
  }
  drawDest = -page;
  pendingError = 0;
}

}  // namespace
