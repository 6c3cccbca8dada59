// scaler.cpp: page pixels drawn at the shown size, by whole repeats or by the sharp filter.
//
// Owns the filter's tables (its steps and weights, remade when the sizes change) and the rows
// it stretched in this call. The presentation pass on the main thread is its one caller, and
// hands it the page as the pass last compared it, never a page the game is drawing into.
#include "graphics/scaler.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A whole repeat: every page pixel a scale x scale block. The common repeats get loops of their
// own (fixed), which the compiler unrolls into vector stores.
template <int32_t fixed>
static void repeatRow(const uint32_t* from, uint32_t* to, int32_t w, int32_t scale) {
  if (fixed != 0) scale = fixed;
  for (int32_t x = 0; x < w; x++)
    for (int32_t k = 0; k < scale; k++) to[scale * x + k] = from[x];
}

ShownRect Scaler_Repeat(const uint32_t* pixels, int32_t pageW, const PageRect& r, uint32_t* target, int32_t stride,
                        int32_t scale) {
  int32_t w = r.x2 - r.x1 + 1;
  for (int32_t y = r.y1; y <= r.y2; y++) {
    const uint32_t* from = pixels + size_t(y) * pageW + r.x1;
    uint32_t* to = target + size_t(y) * scale * stride + size_t(r.x1) * scale;
    switch (scale) {
      case 1: repeatRow<1>(from, to, w, 1); break;
      case 2: repeatRow<2>(from, to, w, 2); break;
      case 3: repeatRow<3>(from, to, w, 3); break;
      case 4: repeatRow<4>(from, to, w, 4); break;
      default: repeatRow<0>(from, to, w, scale);
    }
    for (int32_t k = 1; k < scale; k++) std::memcpy(to + k * stride, to, size_t(w) * scale * 4);
  }
  return ShownRect{r.x1 * scale, r.y1 * scale, w * scale, (r.y2 - r.y1 + 1) * scale};
}

// Any other size: the filter's steps per axis (Present_FilterSteps) and its weights laid out for
// the row loops, for the sizes of the last call.
static struct {
  int32_t pageW, pageH, shownW, shownH;
  std::vector<FilterStep> columns, rows;
#if defined(__SSE2__)
  std::vector<uint16_t> laneWeights;  // per column: 256 - weight four times, then weight four times
#else
  std::vector<uint16_t> byteWeights;  // each column's weight, once for each of its four bytes
  std::vector<uint32_t> lefts, rights;
#endif
  int32_t fromColumn, toColumn;  // the output columns this call draws
} filter;

// One loop, compiled twice: with the wider registers where the processor has them. Chosen by
// hand rather than by an ifunc, which runs before the sanitizers' runtimes are up.
__attribute__((always_inline)) static inline void mixRowsLoop(const uint32_t* a, const uint32_t* b, uint16_t weight,
                                                              uint32_t* to, int32_t pixels) {
  const uint8_t *pa = reinterpret_cast<const uint8_t*>(a), *pb = reinterpret_cast<const uint8_t*>(b);
  uint8_t* out = reinterpret_cast<uint8_t*>(to);
  uint16_t keep = uint16_t(256 - weight);
  for (int32_t i = 0; i < 4 * pixels; i++) out[i] = uint8_t((pa[i] * keep + pb[i] * weight + 128) >> 8);
}
#if defined(__x86_64__)
__attribute__((target("avx2"))) static void mixRowsWide(const uint32_t* a, const uint32_t* b, uint16_t weight,
                                                        uint32_t* to, int32_t pixels) {
  mixRowsLoop(a, b, weight, to, pixels);
}
#endif

static void mixRows(const uint32_t* a, const uint32_t* b, uint16_t weight, uint32_t* to, int32_t pixels) {
#if defined(__x86_64__)
  static const bool wide = __builtin_cpu_supports("avx2");
  if (wide) return mixRowsWide(a, b, weight, to, pixels);
#endif
  mixRowsLoop(a, b, weight, to, pixels);
}

#if defined(__SSE2__)
// The same mix with one 8-byte load per output pixel: a pixel and its right neighbour, weighted
// by the column's (256 - w, w) pair of lanes. The last page pixel has no neighbour to load; its
// columns (weight 0) take the plain copy.
static void stretchRow(const uint32_t* from, uint32_t* to) {
  const FilterStep* c = filter.columns.data();
  const __m128i* weights = reinterpret_cast<const __m128i*>(filter.laneWeights.data());
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
  int32_t x = filter.fromColumn, n = filter.toColumn + 1, last = filter.pageW - 1;
  // Two output pixels at a time: their pairs side by side, summed across in one register.
  for (; x + 1 < n && c[x + 1].left < last; x += 2) {
    __m128i pairs = _mm_castpd_si128(_mm_loadh_pd(_mm_castsi128_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + c[x].left))),
                                                  reinterpret_cast<const double*>(from + c[x + 1].left)));
    __m128i first = _mm_mullo_epi16(_mm_unpacklo_epi8(pairs, zero), _mm_loadu_si128(weights + x));
    __m128i second = _mm_mullo_epi16(_mm_unpackhi_epi8(pairs, zero), _mm_loadu_si128(weights + x + 1));
    __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(first, second), _mm_unpackhi_epi64(first, second));
    sum = _mm_srli_epi16(_mm_add_epi16(sum, half), 8);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to + x), _mm_packus_epi16(sum, zero));
  }
  for (; x < n && c[x].left < last; x++) {
    __m128i pair = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + c[x].left)), zero);
    __m128i parts = _mm_mullo_epi16(pair, _mm_loadu_si128(weights + x));
    __m128i sum = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(parts, _mm_srli_si128(parts, 8)), half), 8);
    to[x] = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(sum, zero)));
  }
  for (; x < n; x++) to[x] = from[last];
}
#else
// Each byte: (256 - weight) parts of a's and weight parts of b's, rounded. Byte-wise loops of
// 16-bit arithmetic, which the compiler turns into vector multiplies.
static void mixBytes(const uint32_t* a, const uint32_t* b, const uint16_t* weights, uint32_t* to, int32_t pixels) {
  const uint8_t *pa = reinterpret_cast<const uint8_t*>(a), *pb = reinterpret_cast<const uint8_t*>(b);
  uint8_t* out = reinterpret_cast<uint8_t*>(to);
  for (int32_t i = 0; i < 4 * pixels; i++)
    out[i] = uint8_t((pa[i] * (256 - weights[i]) + pb[i] * weights[i] + 128) >> 8);
}

static void gatherRow(const uint32_t* from) {
  const FilterStep* c = filter.columns.data();
  uint32_t *l = filter.lefts.data(), *r = filter.rights.data();
  for (int32_t x = filter.fromColumn; x <= filter.toColumn; x++) {
    l[x] = from[c[x].left];
    r[x] = from[c[x].right];
  }
}

static void stretchRow(const uint32_t* from, uint32_t* to) {
  gatherRow(from);
  int32_t x = filter.fromColumn;
  mixBytes(filter.lefts.data() + x, filter.rights.data() + x, filter.byteWeights.data() + 4 * x, to + x,
           filter.toColumn - x + 1);
}
#endif

// Two page rows stretched across, and where each lives. The rules:
// - A pass walks the output rows downwards, and the page rows it reads never go back by more
//   than one: two remembered rows are enough, and the older one gives way to a new one.
// - A row lives in one of the two line buffers, or in an output row this pass has written
//   (output rows are written once per pass, so it stays as it was until the pass ends).
// - A row stretched anew goes into the buffer the newer remembered row does not use, so that
//   both rows a mixed output row needs are readable at once.
// - Each pass starts with none: the page may have changed since the last.
class StretchedRows {
 public:
  void resize(int32_t shownW) {
    for (auto& line : lines_) line.resize(size_t(shownW));
  }
  void forget() {
    row_[0] = row_[1] = -1;
    at_[0] = at_[1] = nullptr;
  }
  const uint32_t* find(int32_t y) const {
    for (int k = 0; k < 2; k++)
      if (row_[k] == y) return at_[k];
    return nullptr;
  }
  void remember(int32_t y, const uint32_t* at) {
    int k = row_[0] < row_[1] ? 0 : 1;
    row_[k] = y, at_[k] = at;
  }
  // A buffer that the newer remembered row does not use; the older row's may be taken.
  uint32_t* freeLine() {
    const uint32_t* newer = at_[row_[0] < row_[1] ? 1 : 0];
    return lines_[newer == lines_[0].data() ? 1 : 0].data();
  }

 private:
  int32_t row_[2] = {-1, -1};
  const uint32_t* at_[2] = {nullptr, nullptr};
  std::vector<uint32_t> lines_[2];
};

static StretchedRows stretchedRows;

// Page row y stretched across, into a buffer that the other cached line does not use.
static const uint32_t* stretched(const uint32_t* pixels, int32_t y) {
  if (const uint32_t* at = stretchedRows.find(y)) return at;
  uint32_t* line = stretchedRows.freeLine();
  stretchRow(pixels + size_t(y) * filter.pageW, line);
  stretchedRows.remember(y, line);
  return line;
}

// Page row y stretched straight into output row to.
static const uint32_t* place(const uint32_t* pixels, int32_t y, uint32_t* to) {
  if (const uint32_t* at = stretchedRows.find(y)) {
    std::memcpy(to + filter.fromColumn, at + filter.fromColumn, size_t(filter.toColumn - filter.fromColumn + 1) * 4);
  } else {
    stretchRow(pixels + size_t(y) * filter.pageW, to);
  }
  stretchedRows.remember(y, to);
  return to;
}

ShownRect Scaler_Filter(const uint32_t* pixels, int32_t w, int32_t h, const PageRect& p, uint32_t* target, int32_t stride,
                        int32_t shownW, int32_t shownH) {
  if (filter.pageW != w || filter.pageH != h || filter.shownW != shownW || filter.shownH != shownH) {
    Present_FilterSteps(w, shownW, &filter.columns);
    Present_FilterSteps(h, shownH, &filter.rows);
#if defined(__SSE2__)
    filter.laneWeights.resize(8 * size_t(shownW));
    for (size_t i = 0; i < filter.laneWeights.size(); i++)
      filter.laneWeights[i] = i % 8 < 4 ? uint16_t(256 - filter.columns[i / 8].weight) : filter.columns[i / 8].weight;
#else
    filter.byteWeights.resize(4 * size_t(shownW));
    for (size_t i = 0; i < filter.byteWeights.size(); i++) filter.byteWeights[i] = filter.columns[i / 4].weight;
    filter.lefts.resize(size_t(shownW));
    filter.rights.resize(size_t(shownW));
#endif
    stretchedRows.resize(shownW);
    filter.pageW = w, filter.pageH = h, filter.shownW = shownW, filter.shownH = shownH;
  }
  stretchedRows.forget();
  int32_t fromRow, toRow;
  Present_StepsReading(filter.columns, p.x1, p.x2, &filter.fromColumn, &filter.toColumn);
  Present_StepsReading(filter.rows, p.y1, p.y2, &fromRow, &toRow);
  int32_t c0 = filter.fromColumn, width = filter.toColumn - c0 + 1;
  const FilterStep* r = filter.rows.data();
  for (int32_t y = fromRow, ahead = -1; y <= toRow; y++) {
    uint32_t* to = target + size_t(y) * stride;
    if (y == ahead) continue;
    if (r[y].weight == 0 && y > fromRow && r[y - 1].weight == 0 && r[y - 1].left == r[y].left) {
      std::memcpy(to + c0, to - stride + c0, size_t(width) * 4);
    } else if (r[y].weight == 0) {
      place(pixels, r[y].left, to);
    } else {
      // A mixed row before a plain one of its lower page row writes that one first and reads it.
      const uint32_t* a = stretched(pixels, r[y].left);
      bool next = y + 1 <= toRow && r[y + 1].weight == 0 && r[y + 1].left == r[y].right;
      const uint32_t* b = next ? place(pixels, r[y].right, to + stride) : stretched(pixels, r[y].right);
      if (next) ahead = y + 1;
      mixRows(a + c0, b + c0, r[y].weight, to + c0, width);
    }
  }
  return ShownRect{c0, fromRow, width, toRow - fromRow + 1};
}
