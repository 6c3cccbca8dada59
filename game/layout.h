// layout.h: where things are on the 800 x 600 play screen, and the blit forms the game uses.
//
// Constants only; the pictures in "scope.jpg" are drawn to these positions.
#pragma once

#include <cstdint>

#include "graphics/blit.h"

// A rectangle, corners included.
struct Rect {
  double x1, y1, x2, y2;
};

// Strictly inside: a point on an edge is outside.
inline bool inside(const Rect& r, double x, double y) { return x > r.x1 && x < r.x2 && y > r.y1 && y < r.y2; }

// The scope: a circle round the centre; a point exactly on the radius is outside.
constexpr double SCOPE_X = 400, SCOPE_Y = 300, SCOPE_RADIUS = 230;
// The view round the scope, restored under every sight.
constexpr Rect VIEW_RECT = {125, 22, 675, 570};
// Everything right of the panel's left column: the view and the right-hand panel.
constexpr Rect PLAY_AREA = {125, 22, 792, 570};

// The rockers: where a click switches them, and where the on picture is drawn.
constexpr Rect UPPER_ROCKER_CLICK = {680, 265, 715, 330};
constexpr Rect UPPER_ROCKER = {676, 260, 719, 334};
constexpr Rect LOWER_ROCKER_CLICK = {735, 330, 770, 395};
constexpr Rect LOWER_ROCKER = {730, 324, 773, 398};

// The direction finder's 3 x 3 field of 30-pixel cells, and the range meter's needle field.
constexpr Rect DIRECTION_FIELD = {680, 160, 770, 250};
constexpr Rect RANGE_FIELD = {650, 410, 780, 450};
constexpr double NEEDLE_Y = 428;

// The blit forms the game uses, by the arguments they pass.
constexpr int32_t PUT_AT = PUT_DEST_FIRST | PUT_SOURCE;                  // unscaled at a top-left corner
constexpr int32_t PUT_STRETCHED = PUT_AT | PUT_DEST_SECOND;              // stretched to a rectangle
constexpr int32_t PUT_STRETCHED_ONTO = PUT_STRETCHED | PUT_DEST;         // the same onto a named image
// A rectangle of one image onto another.
constexpr int32_t PUT_RECT_ONTO = PUT_STRETCHED_ONTO | PUT_SOURCE_FIRST | PUT_SOURCE_SECOND;
