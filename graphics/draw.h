// draw.h: lines, boxes and ellipses drawn into drawDest.
//
// Owns no state: the drawing colours, the clip rectangle and the graphics cursor live in the
// destination image's record. Game thread only. Every pixel goes through the blend rule.
#pragma once

#include <cstdint>

// Bits of Draw_Line's passed.
enum : int32_t {
  LINE_FIRST = 1,            // first point given (otherwise the graphics cursor)
  LINE_SECOND_RELATIVE = 2,  // second point is an offset from the first
  LINE_FIRST_RELATIVE = 4,   // first point is an offset from the graphics cursor
  LINE_COLOR = 8,            // colour given (otherwise foreColor)
  LINE_STYLE = 16,           // style given (otherwise 0xFFFF, solid)
};
enum : int32_t { SHAPE_LINE = 0, SHAPE_BOX = 1, SHAPE_FILLED_BOX = 2 };

// Bits of Draw_Circle's passed.
enum : int32_t {
  CIRCLE_RELATIVE = 1,  // centre is an offset from the graphics cursor
  CIRCLE_COLOR = 2,
  CIRCLE_START = 4,     // start angle (otherwise 0)
  CIRCLE_END = 8,       // end angle (otherwise 2 pi)
  CIRCLE_ASPECT = 16,   // aspect (otherwise 1)
};

// A line (shape 0), an outlined box (1) or a filled box (2) between two points, clipped to the
// clip rectangle. The style is a 16-bit pattern, highest bit first, one bit per point; a box's
// four sides share one run of the pattern. Moves the graphics cursor to the second point and
// sets lastColor. Error 5 on the start-up page or for another shape.
void Draw_Line(float x1, float y1, float x2, float y2, uint32_t color, int32_t shape, int32_t style, int32_t passed);

// The filled box of Draw_Line shape 2, without touching the cursor or lastColor.
void Draw_FillBox(float x1, float y1, float x2, float y2, uint32_t color);

// An ellipse of the given radius, squeezed by aspect (below 1 flattens it, above 1 narrows
// it), clipped point by point. Moves the graphics cursor to the centre; sets lastColor unless
// the ellipse lies wholly outside the clip rectangle. Angles between start and end draw an
// arc; a negative angle also draws the radius to that end. Error 5 on the start-up page or
// for an angle beyond 2 pi. A radius beyond ten million pixels draws nothing.
void Draw_Circle(double x, double y, double radius, uint32_t color, double start, double end, double aspect, int32_t passed);
