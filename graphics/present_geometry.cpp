// present_geometry.cpp: mode choice, fill size, window-page mapping and filter steps.
//
// Owns no state; any thread may call it.
#include "graphics/present_geometry.h"

#include <algorithm>

void Present_ChooseModes(const std::vector<ScreenMode>& modes, int32_t w, int32_t h, int* nearest, int* fourThree) {
  *nearest = *fourThree = -1;
  int32_t bestExcess = 0, bestFourThree = 0;
  for (size_t i = 0; i < modes.size(); i++) {
    int32_t mw = modes[i].width, mh = modes[i].height;
    if (mw < 640 || mw < w || mh < h) continue;
    int32_t excess = mw + mh - w - h;
    if (*nearest < 0 || excess <= bestExcess) {
      *nearest = int(i);
      bestExcess = excess;
    }
    if (mw / 4 == mh / 3 && (*fourThree < 0 || excess <= bestFourThree)) {
      *fourThree = int(i);
      bestFourThree = excess;
    }
  }
}

void Present_FillSize(int32_t w, int32_t h, int32_t modeW, int32_t modeH, int32_t* shownW, int32_t* shownH) {
  if (int64_t(modeW) * h <= int64_t(modeH) * w) {
    *shownW = modeW;
    *shownH = int32_t(int64_t(h) * modeW / w);
  } else {
    *shownW = int32_t(int64_t(w) * modeH / h);
    *shownH = modeH;
  }
}

int32_t Present_ToPage(int32_t window, int32_t offset, int32_t shown, int32_t size) {
  int64_t v = window - offset;
  if (v < 0) return 0;
  v = (2 * v + 1) * size / (2 * int64_t(shown));
  return v >= size ? size - 1 : int32_t(v);
}

int32_t Present_ToWindow(int32_t page, int32_t offset, int32_t shown, int32_t size) {
  return offset + int32_t((2 * int64_t(page) + 1) * shown / (2 * int64_t(size)));
}

// Within a block the repeat is flat, so an output pixel mixes two page pixels only where a
// block edge passes through it: every page pixel keeps the same size to within one output
// pixel, and its edges soften by one at most.
void Present_FilterSteps(int32_t size, int32_t shown, std::vector<FilterStep>* steps) {
  int64_t n = (shown + size - 1) / size, span = n * size, twice = 2 * int64_t(shown);
  steps->resize(size_t(shown));
  for (int32_t i = 0; i < shown; i++) {
    int64_t at = (2 * int64_t(i) + 1) * span - shown;  // the sample, in units of 1 / (2 shown)
    int64_t left = at / twice, fraction = at % twice;
    int32_t l = int32_t(left / n), r = int32_t(std::min(left + 1, span - 1) / n);
    (*steps)[size_t(i)] = FilterStep{l, r, uint16_t(l == r ? 0 : (fraction * 256 + shown) / twice)};
  }
}

void Present_StepsReading(const std::vector<FilterStep>& steps, int32_t first, int32_t last, int32_t* from, int32_t* to) {
  auto a = std::partition_point(steps.begin(), steps.end(), [&](const FilterStep& s) { return s.right < first; });
  auto b = std::partition_point(steps.begin(), steps.end(), [&](const FilterStep& s) { return s.left <= last; });
  *from = int32_t(a - steps.begin()), *to = int32_t(b - steps.begin()) - 1;
}
