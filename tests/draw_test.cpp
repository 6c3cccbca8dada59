// Colours, lines, boxes and ellipses: the exact points, the clip rectangle, the graphics
// cursor and lastColor, and coordinates that have no pixel.
#include <cmath>
#include <limits>
#include <numbers>
#include <set>
#include <utility>

#include "graphics/blend.h"
#include "graphics/color.h"
#include "graphics/coord.h"
#include "graphics/draw.h"
#include "graphics_fixture.h"

namespace {

const uint32_t BLACK = 0xFF000000, RED = 0xFFC80000;
using Points = std::set<std::pair<int, int>>;

class DrawTest : public ImageFixture {
 protected:
  // The points of drawDest that are not black, relative to (ox, oy).
  static Points drawn(int ox = 0, int oy = 0) {
    Points out;
    const ImageRecord* r = Image_Record(drawDest);
    for (int y = 0; y < r->height; y++)
      for (int x = 0; x < r->width; x++)
        if (r->pixels[y * r->width + x] != BLACK) out.insert({x - ox, y - oy});
    return out;
  }
  static void line(float x1, float y1, float x2, float y2) { Draw_Line(x1, y1, x2, y2, RED, SHAPE_LINE, 0, LINE_FIRST | LINE_COLOR); }
  static void styled(float x1, float y1, float x2, float y2, int32_t style, int32_t shape = SHAPE_LINE) {
    Draw_Line(x1, y1, x2, y2, RED, shape, style, LINE_FIRST | LINE_COLOR | LINE_STYLE);
  }
  // The four mirror images of each quarter point.
  static Points mirrored(const Points& quarter) {
    Points out;
    for (auto [x, y] : quarter) out.insert({{x, y}, {-x, y}, {-x, -y}, {x, -y}});
    return out;
  }
  int32_t bigPage() {
    int32_t h = make(40, 40, BLACK);
    setDest(h);
    return h;
  }
};

// ---- colours -------------------------------------------------------------------------------

TEST_F(DrawTest, ColorRgbClampsAndPacksOpaque) {
  EXPECT_EQ(Color_Rgb(300, -5, 128, 0, 0), 0xFFFF0080u);
  EXPECT_EQ(Color_Rgb(50, 40, 80, 0, 0), 0xFF322850u);
  EXPECT_EQ(Color_Rgb(100, 200, 200, 0, 0), 0xFF64C8C8u);
  EXPECT_EQ(Color_Rgb(200, 0, 0, page, 1), RED);
  EXPECT_EQ(Color_Rgb(1, 2, 3, -60000, 1), 0u);
  EXPECT_EQ(pendingError, 258);
  pendingError = 0;
  pendingError = 5;
  EXPECT_EQ(Color_Rgb(1, 2, 3, 0, 0), 0u);
}

TEST_F(DrawTest, ColorSetStoresTheColoursOfTheDestination) {
  Color_Set(0xFF112233, 0, 0, COLOR_FORE);
  EXPECT_EQ(rec(page)->foreColor, 0xFF112233u);
  EXPECT_EQ(rec(page)->backColor, BLACK);
  Color_Set(0, 0x80445566, 0, COLOR_BACK);
  EXPECT_EQ(rec(page)->backColor, 0x80445566u);
  EXPECT_EQ(rec(page)->foreColor, 0xFF112233u);
  Color_Set(1, 2, 3, COLOR_FORE | COLOR_BORDER);
  EXPECT_EQ(pendingError, 5);
  EXPECT_EQ(rec(page)->foreColor, 0xFF112233u);
}

// ---- lines ---------------------------------------------------------------------------------

TEST_F(DrawTest, LinesStepAlongTheLongerAxisAndRoundHalfAwayFromZero) {
  line(0, 0, 4, 2);
  EXPECT_EQ(drawn(), Points({{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));
  std::fill(rec(page)->pixels, rec(page)->pixels + 256, BLACK);
  line(0, 0, 5, 2);
  EXPECT_EQ(drawn(), Points({{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
  std::fill(rec(page)->pixels, rec(page)->pixels + 256, BLACK);
  line(0, 0, 5, 10);  // the minor coordinate reaches 2.5 at y = 5 and becomes 3
  EXPECT_EQ(at(page, 3, 5), RED);
  EXPECT_EQ(at(page, 2, 5), BLACK);
}

TEST_F(DrawTest, TheRunningCoordinateRoundsHalfAwayFromZeroInSinglePrecision) {
  EXPECT_EQ(Coord_RoundAway(2.5f), 3);
  EXPECT_EQ(Coord_RoundAway(-2.5f), -3);
  EXPECT_EQ(Coord_RoundAway(-2.4f), -2);
  EXPECT_EQ(Coord_RoundAway(0.49999997f), 1);  // 0.49999997 + 0.5 is 1 in single precision
}

TEST_F(DrawTest, EqualStepsGoAlongYAndAZeroLengthLineIsOnePoint) {
  line(1, 1, 4, 4);
  EXPECT_EQ(drawn(), Points({{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
  std::fill(rec(page)->pixels, rec(page)->pixels + 256, BLACK);
  line(7.5f, 3, 7.5f, 3);  // 7.5 rounds to 8
  EXPECT_EQ(drawn(), Points({{8, 3}}));
}

TEST_F(DrawTest, ALineMovesTheCursorAndSetsLastColor) {
  line(1, 2, 3.25f, 4);
  EXPECT_EQ(rec(page)->lastX, 3.25f);
  EXPECT_EQ(rec(page)->lastY, 4.0f);
  EXPECT_EQ(rec(page)->lastColor, RED);
  rec(page)->foreColor = 0xFF00FF00;
  Draw_Line(1, 0, 2, 0, 0, SHAPE_LINE, 0, LINE_SECOND_RELATIVE);  // from the cursor, by an offset
  EXPECT_EQ(at(page, 4, 4), 0xFF00FF00u);
  EXPECT_EQ(at(page, 5, 4), 0xFF00FF00u);
  EXPECT_EQ(rec(page)->lastX, 5.25f);
  EXPECT_EQ(rec(page)->lastColor, 0xFF00FF00u);
  Draw_Line(-5.25f, 2, 1, 6, RED, SHAPE_LINE, 0, LINE_FIRST | LINE_FIRST_RELATIVE | LINE_COLOR);
  EXPECT_EQ(at(page, 0, 6), RED);
}

TEST_F(DrawTest, TheStylePatternRunsFromItsHighestBitAndCountsClippedPoints) {
  styled(0, 0, 15, 0, 0xF0F0);
  EXPECT_EQ(drawn(), Points({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {8, 0}, {9, 0}, {10, 0}, {11, 0}}));
  styled(-4, 2, 15, 2, 0xF00F);  // the four clipped points use the pattern's first bits
  EXPECT_EQ(drawn(0, 2).count({0, 0}), 0u);
  EXPECT_EQ(drawn(0, 2).count({8, 0}), 1u);
  EXPECT_EQ(drawn(0, 2).count({12, 0}), 1u);
  EXPECT_EQ(drawn(0, 2).count({11, 0}), 1u);
  EXPECT_EQ(drawn(0, 2).count({7, 0}), 0u);
}

TEST_F(DrawTest, OutlinedBoxesDrawFourSidesAndFilledBoxesBlend) {
  Draw_Line(2, 2, 5, 4, RED, SHAPE_BOX, 0, LINE_FIRST | LINE_COLOR);
  EXPECT_EQ(drawn(), Points({{2, 2}, {3, 2}, {4, 2}, {5, 2}, {5, 3}, {5, 4}, {4, 4}, {3, 4}, {2, 4}, {2, 3}}));
  Draw_Line(9, 9, 8, 8, RED, SHAPE_FILLED_BOX, 0, LINE_FIRST | LINE_COLOR);
  EXPECT_EQ(at(page, 8, 8), RED);
  EXPECT_EQ(at(page, 9, 9), RED);
  EXPECT_EQ(rec(page)->lastX, 8.0f);
  Draw_FillBox(10, 10, 30, 11, 0x80FFFFFF);  // clamped to the image, blended
  EXPECT_EQ(at(page, 15, 11), Blend_Pixel(BLACK, 0x80FFFFFF));
  Draw_FillBox(0, 14, 3, 14, 0x00FFFFFF);  // alpha 0 changes nothing
  EXPECT_EQ(at(page, 0, 14), BLACK);
  rec(page)->noBlend = 1;
  Draw_FillBox(0, 15, 1, 15, 0x00FFFFFF);
  EXPECT_EQ(at(page, 1, 15), 0x00FFFFFFu);
  rec(page)->noBlend = 0;
  Draw_FillBox(16, 0, 20, 5, RED);
  Draw_FillBox(-5, -5, -1, 20, RED);
  EXPECT_EQ(at(page, 15, 0), BLACK);
  EXPECT_EQ(rec(page)->lastX, 8.0f);  // the fill leaves the cursor alone
}

TEST_F(DrawTest, AClippedLineDrawsExactlyTheUnclippedLinesPointsInside) {
  // The same line on an image with a narrow clip rectangle and on one without.
  const float ends[][4] = {{-7, -3, 20, 11}, {18, -2, -3, 17}, {3, -40, 9, 50}, {-100, 5, 100, 9}, {15.5f, 15.5f, -6, 1}};
  for (auto& e : ends) {
    int32_t whole = make(16, 16, BLACK), clipped = make(16, 16, BLACK);
    rec(clipped)->clipX1 = 3, rec(clipped)->clipY1 = 4, rec(clipped)->clipX2 = 12, rec(clipped)->clipY2 = 10;
    setDest(whole);
    line(e[0], e[1], e[2], e[3]);
    Points expected;
    for (auto [x, y] : drawn())
      if (x >= 3 && x <= 12 && y >= 4 && y <= 10) expected.insert({x, y});
    setDest(clipped);
    line(e[0], e[1], e[2], e[3]);
    EXPECT_EQ(drawn(), expected) << e[0] << "," << e[1] << " - " << e[2] << "," << e[3];
    EXPECT_FALSE(expected.empty());
  }
}

TEST_F(DrawTest, TheStartUpPageAndUnknownShapesAreError5) {
  Draw_Line(0, 0, 1, 1, RED, 3, 0, 9);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  rec(page)->isTextPage = 1;
  Draw_Line(0, 0, 1, 1, RED, 0, 0, 9);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  Draw_Circle(5, 5, 3, RED, 0, 0, 0, CIRCLE_COLOR);
  EXPECT_EQ(pendingError, 5);
  rec(page)->isTextPage = 0;
  EXPECT_TRUE(drawn().empty());
}

// ---- ellipses ------------------------------------------------------------------------------

TEST_F(DrawTest, ACircleOfRadius3PlotsItsThinnedQuarterPointsFourTimes) {
  bigPage();
  Draw_Circle(20, 20, 3, RED, 0, 0, 0, CIRCLE_COLOR);
  EXPECT_EQ(drawn(20, 20), mirrored({{3, 0}, {3, -1}, {2, -2}, {1, -3}, {0, -3}}));
  EXPECT_EQ(Image_Record(drawDest)->lastX, 20.0f);
  EXPECT_EQ(Image_Record(drawDest)->lastColor, RED);
}

TEST_F(DrawTest, TheGamesNeedleIsAThinUprightEllipse) {
  bigPage();
  Draw_Circle(20, 20, 12, 0xFF64C8C8, 0, 0, 10, CIRCLE_COLOR | CIRCLE_ASPECT);
  Points quarter;
  for (int y = 0; y >= -10; y--) quarter.insert({1, y});
  quarter.insert({{0, -11}, {0, -12}});
  EXPECT_EQ(drawn(20, 20), mirrored(quarter));
}

TEST_F(DrawTest, EveryMirrorImageIsBlendedEvenWhereTheyMeet) {
  bigPage();
  Draw_Circle(20, 20, 0, 0x80FFFFFF, 0, 0, 0, CIRCLE_COLOR);  // radius 0: the centre, four times
  uint32_t expected = BLACK;
  for (int i = 0; i < 4; i++) expected = Blend_Pixel(expected, 0x80FFFFFF);
  EXPECT_EQ(drawn(20, 20), Points({{0, 0}}));
  EXPECT_EQ(at(drawDest == -page ? page : -drawDest, 20, 20), expected);
}

TEST_F(DrawTest, FlatEllipsesAndTheCursorRelativeCentre) {
  bigPage();
  Image_Record(drawDest)->lastX = 10, Image_Record(drawDest)->lastY = 12;
  Draw_Circle(10, 8, 4, RED, 0, 0, 0.5, CIRCLE_RELATIVE | CIRCLE_COLOR | CIRCLE_ASPECT);  // ry = 2
  Points got = drawn(20, 20);
  EXPECT_TRUE(got.count({4, 0}) && got.count({-4, 0}) && got.count({0, -2}) && got.count({0, 2}));
  for (auto [x, y] : got) EXPECT_LE(std::abs(y), 2);
  EXPECT_EQ(Image_Record(drawDest)->lastX, 20.0f);
}

TEST_F(DrawTest, AnEllipseJustOutsideTheClipRectangleChangesNothing) {
  rec(page)->lastColor = 0xFF010203;
  // Radius 3 at x = -3.6: its box ends at -0.1, left of column 0.
  Draw_Circle(-3.6, 8, 3, RED, 0, 0, 0, CIRCLE_COLOR);
  EXPECT_EQ(rec(page)->lastColor, 0xFF010203u);
  EXPECT_TRUE(drawn().empty());
  EXPECT_EQ(rec(page)->lastX, -3.6f);  // the cursor still moves to the centre
  Draw_Circle(-3.4, 8, 3, RED, 0, 0, 0, CIRCLE_COLOR);  // overlaps: only its visible points
  EXPECT_EQ(rec(page)->lastColor, RED);
  EXPECT_EQ(drawn(), Points({{0, 7}, {0, 8}, {0, 9}}));
}

TEST_F(DrawTest, ArcsDrawBetweenTheirAnglesAndAnglesBeyond2PiAreError5) {
  bigPage();
  const double pi = std::numbers::pi;
  Draw_Circle(20, 20, 6, RED, 0, pi, 0, CIRCLE_COLOR | CIRCLE_START | CIRCLE_END);
  Points got = drawn(20, 20);
  EXPECT_TRUE(got.count({6, 0}) && got.count({-6, 0}) && got.count({0, -6}));
  for (auto [x, y] : got) EXPECT_LE(y, 0);
  Draw_Circle(20, 20, 6, RED, -1.5 * pi, 2 * pi, 0, CIRCLE_COLOR | CIRCLE_START | CIRCLE_END);  // with a radius line
  EXPECT_EQ(drawn(20, 20).count({0, 3}), 1u);
  Draw_Circle(20, 20, 6, RED, 0, 7, 0, CIRCLE_COLOR | CIRCLE_END);
  EXPECT_EQ(pendingError, 5);
}

// ---- coordinates without a pixel -------------------------------------------------------------

TEST_F(DrawTest, CoordinatesWithoutAPixelDrawNothing) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  for (float bad : {nan, inf, -inf, 3e9f, -3e9f, 2147483648.0f, 1e30f}) {
    line(bad, 0, 5, 5);
    line(0, 0, 5, bad);
    Draw_FillBox(0, 0, bad, 3, RED);
    Draw_Circle(bad, 5, 3, RED, 0, 0, 0, CIRCLE_COLOR);
    Draw_Circle(5, 5, bad, RED, 0, 0, 0, CIRCLE_COLOR);
  }
  Draw_Circle(8, 8, 1e9, RED, 0, 0, 0, CIRCLE_COLOR);  // far too many segments to walk
  EXPECT_TRUE(drawn().empty());
  Draw_Circle(5, 5, 3, RED, 0, 0, nan, CIRCLE_COLOR | CIRCLE_ASPECT);  // a NaN aspect squeezes nothing
  EXPECT_EQ(drawn(5, 5), mirrored({{3, 0}, {3, -1}, {2, -2}, {1, -3}, {0, -3}}));
  EXPECT_EQ(pendingError, 0);
}

TEST_F(DrawTest, FarEndsAtTheLimitsOfThe32BitRangeStillClip) {
  line(-2147483648.0f, 5, 2147483520.0f, 5);
  line(3, -2147483648.0f, 3, 2147483520.0f);
  EXPECT_EQ(drawn().size(), 31u);
  Draw_FillBox(-2147483648.0f, -2147483648.0f, 2147483520.0f, 2147483520.0f, RED);
  EXPECT_EQ(drawn().size(), 256u);
}

}  // namespace
