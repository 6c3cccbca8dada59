// draw.cpp: the line, box and ellipse rasterisers. No state of their own: they read and write
// drawDest's record (colours, clip rectangle, graphics cursor). Points are plotted only inside
// the clip rectangle cut down to the image, so no coordinate can reach outside the pixels.
#include "graphics/draw.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "graphics/blend.h"
#include "graphics/coord.h"
#include "graphics/image.h"
#include "graphics/screen.h"
#include "runtime/error.h"

// Inclusive rectangle in which points may be plotted.
struct PlotRect {
  int64_t x1, y1, x2, y2;
};

static bool plotRect(const ImageRecord* r, PlotRect* c) {
  *c = {std::max<int64_t>(r->clipX1, 0), std::max<int64_t>(r->clipY1, 0),
        std::min<int64_t>(r->clipX2, r->width - 1), std::min<int64_t>(r->clipY2, r->height - 1)};
  return c->x1 <= c->x2 && c->y1 <= c->y2;
}

static bool inside(const PlotRect& c, int64_t x, int64_t y) { return x >= c.x1 && x <= c.x2 && y >= c.y1 && y <= c.y2; }

// The graphics cursor is a float; a sum that leaves the float range saturates to infinity.
static float toCursor(double v) { return v > FLT_MAX ? INFINITY : v < -FLT_MAX ? -INFINITY : float(v); }

// Clipped starts are reached by the same additions as the unclipped line, so a clipped line's
// pixels are exactly the unclipped line's pixels inside the rectangle; only a start more than
// this many points away (absurd coordinates) is reached by one multiplication instead.
static const int64_t MAX_SKIPPED_ADDITIONS = int64_t(1) << 20;

// Step along the longer axis one pixel at a time; the other coordinate is a single-precision
// accumulator rounded half away from zero. Points outside c are skipped but still consume
// their bit of the style pattern; *phase counts the points of the pattern used so far.
static void rasterLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t color, uint32_t style, int64_t* phase,
                       const PlotRect& c) {
  int64_t dx = x2 > x1 ? x2 - x1 : x1 - x2, dy = y2 > y1 ? y2 - y1 : y1 - y2;
  bool alongX = dx > dy;
  int64_t a1 = alongX ? x1 : y1, a2 = alongX ? x2 : y2;  // the stepped coordinate
  int64_t b1 = alongX ? y1 : x1, b2 = alongX ? y2 : x2;  // the accumulated one
  int64_t n = alongX ? dx : dy;
  int64_t lo = alongX ? c.x1 : c.y1, hi = alongX ? c.x2 : c.y2;
  int64_t blo = alongX ? c.y1 : c.x1, bhi = alongX ? c.y2 : c.x2;
  int64_t dir = a2 < a1 ? -1 : 1;
  float slope = n == 0 ? 0.0f : float(b2 - b1) / float(n);

  int64_t first = dir > 0 ? std::max<int64_t>(0, lo - a1) : std::max<int64_t>(0, a1 - hi);
  int64_t last = dir > 0 ? std::min(n, hi - a1) : std::min(n, a1 - lo);
  int64_t start = *phase;
  *phase += n + 1;
  if (first > last) return;

  float accumulator = float(b1);
  if (first <= MAX_SKIPPED_ADDITIONS) {
    for (int64_t k = 0; k < first; k++) accumulator += slope;
  } else {
    accumulator = toCursor(double(b1) + double(first) * double(slope));
  }
  for (int64_t k = first; k <= last; k++, accumulator += slope) {
    if (!((style >> (15 - (start + k) % 16)) & 1)) continue;
    int64_t a = a1 + dir * k, b = Coord_RoundAway(accumulator);
    if (b < blo || b > bhi) continue;
    if (alongX) {
      Image_PutPixel(int32_t(a), int32_t(b), color);
    } else {
      Image_PutPixel(int32_t(b), int32_t(a), color);
    }
  }
}

static void fillBox(ImageRecord* r, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t color) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  PlotRect c;
  if (!plotRect(r, &c) || x2 < c.x1 || x1 > c.x2 || y2 < c.y1 || y1 > c.y2) return;
  x1 = std::max(x1, c.x1), x2 = std::min(x2, c.x2);
  y1 = std::max(y1, c.y1), y2 = std::min(y2, c.y2);
  uint32_t alpha = color >> 24;
  if (alpha == 0 && !r->noBlend) return;
  bool plain = alpha == 255 || r->noBlend;
  int64_t w = x2 - x1 + 1;
  for (int64_t y = y1; y <= y2; y++) {
    uint32_t* row = r->pixels + y * r->width + x1;
    if (plain) {
      std::fill(row, row + w, color);
    } else {
      for (int64_t i = 0; i < w; i++) row[i] = Blend_Pixel(row[i], color);
    }
  }
}

static bool pointPixels(float x, float y, int64_t* px, int64_t* py) {
  return Coord_ToPixel(x, px) && Coord_ToPixel(y, py);
}

void Draw_Line(float x1, float y1, float x2, float y2, uint32_t color, int32_t shape, int32_t style, int32_t passed) {
  if (Error_Pending()) return;
  ScreenChangeNote note;
  ImageRecord* r = Image_Record(drawDest);
  if (r->isTextPage || shape < SHAPE_LINE || shape > SHAPE_FILLED_BOX) return Runtime_Error(5);
  float px1 = r->lastX, py1 = r->lastY;
  if (passed & LINE_FIRST_RELATIVE) {
    px1 = toCursor(double(r->lastX) + x1);
    py1 = toCursor(double(r->lastY) + y1);
  } else if (passed & LINE_FIRST) {
    px1 = x1, py1 = y1;
  }
  float px2 = x2, py2 = y2;
  if (passed & LINE_SECOND_RELATIVE) {
    px2 = toCursor(double(px1) + x2);
    py2 = toCursor(double(py1) + y2);
  }
  uint32_t c = (passed & LINE_COLOR) ? color : r->foreColor;
  uint32_t pattern = (passed & LINE_STYLE) ? uint32_t(style) & 0xFFFF : 0xFFFF;
  r->lastX = px2, r->lastY = py2;
  r->lastColor = c;

  int64_t X1, Y1, X2, Y2;
  if (!pointPixels(px1, py1, &X1, &Y1) || !pointPixels(px2, py2, &X2, &Y2)) return;
  // A float step may round a line's last pixel one past its end.
  note.only(drawDest, std::min(X1, X2) - 1, std::min(Y1, Y2) - 1, std::max(X1, X2) + 1, std::max(Y1, Y2) + 1);
  if (shape == SHAPE_FILLED_BOX) return fillBox(r, X1, Y1, X2, Y2, c);
  PlotRect clip;
  if (!plotRect(r, &clip)) return;
  int64_t phase = 0;
  if (shape == SHAPE_LINE) return rasterLine(X1, Y1, X2, Y2, c, pattern, &phase, clip);
  rasterLine(X1, Y1, X2, Y1, c, pattern, &phase, clip);
  rasterLine(X2, Y1, X2, Y2, c, pattern, &phase, clip);
  rasterLine(X2, Y2, X1, Y2, c, pattern, &phase, clip);
  rasterLine(X1, Y2, X1, Y1, c, pattern, &phase, clip);
}

void Draw_FillBox(float x1, float y1, float x2, float y2, uint32_t color) {
  if (Error_Pending()) return;
  ScreenChangeNote note;
  int64_t X1, Y1, X2, Y2;
  if (!pointPixels(x1, y1, &X1, &Y1) || !pointPixels(x2, y2, &X2, &Y2)) return;
  note.only(drawDest, X1, Y1, X2, Y2);
  fillBox(Image_Record(drawDest), X1, Y1, X2, Y2, color);
}

// ---- ellipse -------------------------------------------------------------------------------

// Walking more quarter points than this would hang the game for a shape that cannot be seen
// whole anyway; such a radius (about ten million pixels) draws nothing.
static const double MAX_SEGMENTS = double(1 << 24);

// Which of the four mirror images of a quarter point lie on the arc, by parameter angle.
struct Arc {
  bool whole;
  double from, to;
  bool covers(double angle) const { return whole || (from <= to ? angle >= from && angle <= to : angle >= from || angle <= to); }
};

struct Ellipse {
  int64_t cx, cy;
  uint32_t color;
  PlotRect clip;
  Arc arc;
  double step;
};

static void plotMirrored(const Ellipse& e, int64_t px, int64_t py, int64_t k) {
  const double pi = std::numbers::pi;
  double theta = double(k) * e.step;
  const int64_t xs[4] = {e.cx + px, e.cx - px, e.cx - px, e.cx + px};
  const int64_t ys[4] = {e.cy + py, e.cy + py, e.cy - py, e.cy - py};
  const double angles[4] = {theta, pi - theta, pi + theta, 2 * pi - theta};
  for (int i = 0; i < 4; i++)
    if (inside(e.clip, xs[i], ys[i]) && e.arc.covers(angles[i])) Image_PutPixel(int32_t(xs[i]), int32_t(ys[i]), e.color);
}

// Quarter points by repeated rotation of (cos, -sin); a point within one pixel of the last one
// plotted replaces the one held back, so steep runs do not pile up pixels.
static void plotQuarter(const Ellipse& e, int64_t n, double rx, double ry) {
  double cosStep = std::cos(e.step), sinStep = std::sin(e.step);
  double c = 1.0, s = 0.0;
  int64_t lastX = 0, lastY = 0, heldX = 0, heldY = 0, heldK = 0;
  for (int64_t k = 0; k <= n; k++) {
    int64_t px = int64_t(std::trunc(c * rx + 0.5)), py = int64_t(std::trunc(s * ry - 0.5));
    double nc = c * cosStep + s * sinStep;
    s = s * cosStep - c * sinStep;
    c = nc;
    if (k == 0) {
      plotMirrored(e, px, py, 0);
      lastX = px, lastY = py;
      continue;
    }
    if (k > 1 && !(std::abs(px - lastX) <= 1 && std::abs(py - lastY) <= 1)) {
      plotMirrored(e, heldX, heldY, heldK);
      lastX = heldX, lastY = heldY;
    }
    heldX = px, heldY = py, heldK = k;
  }
  if (n > 0) plotMirrored(e, heldX, heldY, heldK);
}

// A negative arc angle draws the radius from the centre to that end of the arc.
static void radiusLine(const Ellipse& e, double angle, double rx, double ry) {
  int64_t ex = e.cx + int64_t(std::trunc(std::cos(angle) * rx + 0.5));
  int64_t ey = e.cy + int64_t(std::trunc(-std::sin(angle) * ry - 0.5));
  int64_t phase = 0;
  rasterLine(e.cx, e.cy, ex, ey, e.color, 0xFFFF, &phase, e.clip);
}

void Draw_Circle(double x, double y, double radius, uint32_t color, double start, double end, double aspect, int32_t passed) {
  if (Error_Pending()) return;
  ScreenChangeNote note;
  ImageRecord* r = Image_Record(drawDest);
  if (r->isTextPage) return Runtime_Error(5);
  const double pi = std::numbers::pi;
  double from = (passed & CIRCLE_START) ? start : 0.0, to = (passed & CIRCLE_END) ? end : 2 * pi;
  if (!(std::abs(from) <= 2 * pi) || !(std::abs(to) <= 2 * pi)) return Runtime_Error(5);
  if (passed & CIRCLE_RELATIVE) x += r->lastX, y += r->lastY;
  r->lastX = toCursor(x), r->lastY = toCursor(y);

  Ellipse e;
  double size = std::abs(radius);
  double segments = std::trunc(2 * pi * size / 4 + 0.5);
  if (!Coord_RoundAwayDouble(x, &e.cx) || !Coord_RoundAwayDouble(y, &e.cy) || !(segments <= MAX_SEGMENTS)) return;
  double rx = size, ry = size;
  if (passed & CIRCLE_ASPECT) {
    if (aspect >= 0 && aspect < 1) {
      ry = aspect * ry;
    } else if (aspect > 1) {
      rx = rx / aspect;
    } else if (aspect > -1 && aspect < 0) {
      ry = (aspect + 1) * ry;
    }
  }
  if (r->clipX1 > x + rx + 0.5 || r->clipY1 > y + ry + 0.5 || x - rx - 0.5 > r->clipX2 || y - ry - 0.5 > r->clipY2) return;
  e.color = (passed & CIRCLE_COLOR) ? color : r->foreColor;
  r->lastColor = e.color;
  if (!plotRect(r, &e.clip)) return;

  int64_t n = int64_t(segments);
  e.step = n > 0 ? (pi / 2) / double(n) : 0.0;
  e.arc = {from == 0.0 && to == 2 * pi, std::abs(from), std::abs(to)};
  plotQuarter(e, n, rx, ry);
  if (from < 0) radiusLine(e, -from, rx, ry);
  if (to < 0) radiusLine(e, -to, rx, ry);
}
