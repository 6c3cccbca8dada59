// present_geometry.h: where a page stands in a window or on a screen, as plain arithmetic.
//
// Owns no state. The presentation pass (graphics/present.cpp) chooses its full-screen mode and
// the page's shown size with it, maps the pointer between window and page pixels, and the
// scaler (graphics/scaler.cpp) takes its filter's steps from it.
#pragma once

#include <cstdint>
#include <vector>

struct ScreenMode {
  uint16_t width, height;
};

// A rectangle of page pixels, both corners included; empty when x1 > x2 or y1 > y2.
struct PageRect {
  int32_t x1, y1, x2, y2;
};

// The nearest mode and the nearest 4:3 mode for a page of w x h (indices into modes, -1 when
// there is none): among modes at least 640 wide and at least w x h, the smallest excess
// width + height - w - h, a later mode winning a tie.
void Present_ChooseModes(const std::vector<ScreenMode>& modes, int32_t w, int32_t h, int* nearest, int* fourThree);
// The page's size in a mode of modeW x modeH: as large as fits with its aspect kept (floored).
void Present_FillSize(int32_t w, int32_t h, int32_t modeW, int32_t modeH, int32_t* shownW, int32_t* shownH);

// One axis of a page size pixels long, shown as shown pixels from window pixel offset on.
// The page pixel whose share of the shown size holds the window pixel's centre, inside the
// page; for a whole repeat k it is (window - offset) / k.
int32_t Present_ToPage(int32_t window, int32_t offset, int32_t shown, int32_t size);
// The window pixel at the middle of page pixel page, the inverse of Present_ToPage.
int32_t Present_ToWindow(int32_t page, int32_t offset, int32_t shown, int32_t size);

// The filter for a size that is no whole multiple: the page repeated by the next whole number
// n (each pixel n x n), then stepped down linearly to the shown size. Per axis, output pixel i
// samples the repeated image at (i + 1/2) * n * size / shown - 1/2, kept exactly as a fraction
// over 2 * shown. A step names the page pixels left and right of the sample and the weight (of
// 256) of the right one; both are the same pixel, weight 0, where the sample lies inside a block.
struct FilterStep {
  int32_t left, right;
  uint16_t weight;
};
void Present_FilterSteps(int32_t size, int32_t shown, std::vector<FilterStep>* steps);
// The output steps that read page pixels first..last: from the first whose right one is at
// least first to the last whose left one is at most last (both move on with the output).
void Present_StepsReading(const std::vector<FilterStep>& steps, int32_t first, int32_t last, int32_t* from, int32_t* to);
